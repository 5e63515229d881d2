#include "platform/bus/BusClient.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

#include "platform/bus/BusProtocol.h"
#include "platform/bus/MessageBridge.h"

namespace platform {
namespace {

constexpr int kConnectTimeoutMs = 5000;

}  // namespace

BusClient::Reply BusClient::send(std::uint32_t message, std::int64_t wParam, std::int64_t lParam, int timeoutMs,
                                 const QString& socketPath) {
  return exchange(false, message, wParam, lParam, timeoutMs, socketPath);
}

BusClient::Reply BusClient::post(std::uint32_t message, std::int64_t wParam, std::int64_t lParam, int timeoutMs,
                                 const QString& socketPath) {
  return exchange(true, message, wParam, lParam, timeoutMs, socketPath);
}

BusClient::Reply BusClient::exchange(bool post, std::uint32_t message, std::int64_t wParam, std::int64_t lParam,
                                     int timeoutMs, const QString& socketPath) {
  const QString path = socketPath.isEmpty() ? MessageBridge::defaultSocketPath() : socketPath;
  Reply reply;
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!socket.waitForConnected(kConnectTimeoutMs)) {
    reply.error = QStringLiteral("Lockmere is not running (no answer at %1: %2)").arg(path, socket.errorString());
    return reply;
  }
  bus::Request request{post, message, wParam, lParam};
  socket.write(QByteArray::fromStdString(bus::formatRequest(request)) + '\n');
  QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
  // A failed write is not the end: a bridge that refuses the peer says why before it closes.
  socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
  while (!socket.canReadLine()) {
    if (socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())) || socket.canReadLine()) continue;
    if (socket.state() != QLocalSocket::ConnectedState)
      reply.error = QStringLiteral("the program closed the connection without an answer");
    else if (deadline.hasExpired())
      reply.error = QStringLiteral("no answer within %1 ms").arg(timeoutMs);
    else
      reply.error = QStringLiteral("cannot read from %1: %2").arg(path, socket.errorString());
    return reply;
  }
  QByteArray line = socket.readLine().trimmed();
  auto parsed = bus::parseReply(std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
  if (!parsed) {
    reply.error = QStringLiteral("unexpected answer: %1").arg(QString::fromUtf8(line));
    return reply;
  }
  reply.ok = parsed->ok;
  reply.result = parsed->result;
  reply.error = QString::fromStdString(parsed->error);
  return reply;
}

}  // namespace platform
