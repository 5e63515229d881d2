// lockmere-send: sends one window message to the running Lockmere (as other
// programs do) and prints the handler's result.
//
//   lockmere-send [--post] [--timeout SECONDS] [--socket PATH] MSG WPARAM LPARAM
//
// Numbers are decimal or 0x hexadecimal and may be negative. Without --timeout a
// send gives up after 30 s, a post after 10 s. Exit status: 0 when the message was
// handled, 1 when it could not be delivered, 2 for a usage error.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "platform/bus/BusClient.h"
#include "platform/bus/BusProtocol.h"

namespace {

// A tool in a script must not hang on a handler that never returns.
constexpr int kDefaultSendTimeoutMs = 30000;
constexpr int kDefaultPostTimeoutMs = 10000;

int usage(const QString& problem) {
  QTextStream err(stderr);
  err << "lockmere-send: " << problem << "\n"
      << "usage: lockmere-send [--post] [--timeout SECONDS] [--socket PATH] MSG WPARAM LPARAM\n"
      << "       --timeout: how long to wait for the answer (default 30 s, 10 s with --post)\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  bool post = false;
  int timeoutMs = -1;
  QString socket;
  QStringList numbers;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    // Options come first; "-1" and friends are numbers, not options.
    if (numbers.isEmpty() && a == "--post") {
      post = true;
    } else if (numbers.isEmpty() && (a == "--timeout" || a == "--socket")) {
      if (i + 1 >= args.size()) return usage(a + " needs a value");
      const QString value = args[++i];
      if (a == "--socket") {
        socket = value;
        continue;
      }
      bool ok = false;
      double seconds = value.toDouble(&ok);
      if (!ok || seconds <= 0 || seconds > 86400) return usage("bad timeout: " + value);
      timeoutMs = static_cast<int>(seconds * 1000);
    } else if (numbers.isEmpty() && a == "--") {
      continue;
    } else if (numbers.isEmpty() && a.startsWith("--")) {
      return usage("unknown option " + a);
    } else {
      numbers << a;
    }
  }
  if (numbers.size() != 3) return usage("expected three numbers");
  auto message = platform::bus::parseMessageNumber(numbers[0].toStdString());
  if (!message) return usage("bad message number: " + numbers[0]);
  auto wParam = platform::bus::parseNumber(numbers[1].toStdString());
  if (!wParam) return usage("bad WPARAM: " + numbers[1]);
  auto lParam = platform::bus::parseNumber(numbers[2].toStdString());
  if (!lParam) return usage("bad LPARAM: " + numbers[2]);

  if (timeoutMs < 0) timeoutMs = post ? kDefaultPostTimeoutMs : kDefaultSendTimeoutMs;
  auto reply = post ? platform::BusClient::post(*message, *wParam, *lParam, timeoutMs, socket)
                    : platform::BusClient::send(*message, *wParam, *lParam, timeoutMs, socket);
  if (!reply.ok) {
    QTextStream(stderr) << "lockmere-send: " << reply.error << "\n";
    return 1;
  }
  std::printf("%lld\n", static_cast<long long>(reply.result));
  return 0;
}
