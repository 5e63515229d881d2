#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <thread>

#include "platform/bus/BusClient.h"
#include "platform/bus/MessageBridge.h"
#include "platform/bus/MessageBus.h"
#include "platform/bus/MessageReceiver.h"
#include "tests/support/TestEnv.h"

using platform::Message;
using platform::MessageBridge;
using platform::MessageReceiver;

namespace {

constexpr int kWaitMs = 60000;

struct Tool {
  int exitCode = -1;
  QString out;
  QString err;
};

// Runs lockmere-send while this thread's event loop keeps serving the bridge.
Tool runTool(const QStringList& args, const std::function<void()>& asOtherUser = {}) {
  QProcess p;
  if (asOtherUser) p.setChildProcessModifier(asOtherUser);
  p.start(LM_SEND_TOOL, args);
  Tool t;
  if (!p.waitForStarted(kWaitMs)) return t;
  QSignalSpy finished(&p, &QProcess::finished);
  if (p.state() != QProcess::NotRunning && !finished.wait(kWaitMs)) return t;
  t.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  t.out = QString::fromUtf8(p.readAllStandardOutput());
  t.err = QString::fromUtf8(p.readAllStandardError());
  return t;
}

// A window that records what reached it.
struct Recorder {
  std::vector<Message> got;
  std::vector<QThread*> threads;
  std::int64_t answer = 4242;
  MessageReceiver receiver{[this](const Message& m) -> std::int64_t {
    got.push_back(m);
    threads.push_back(QThread::currentThread());
    return answer;
  }};
};

// A nested event loop, as a modal window runs one, until the condition holds.
void modalLoopUntil(const std::function<bool()>& done) {
  QEventLoop modal;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &modal, [&] {
    if (done()) modal.quit();
  });
  poll.start(5);
  modal.exec();
}

// Runs a client in a plain thread while this thread's event loop serves the bridge.
bool serveWhile(const std::function<void()>& client) {
  std::atomic<bool> done{false};
  std::thread t([&] {
    client();
    done = true;
  });
  QDeadlineTimer deadline(kWaitMs);
  while (!done && !deadline.hasExpired()) QTest::qWait(5);
  t.join();
  return done;
}

// Writes raw bytes as one client and returns the reply lines that came back.
QByteArray rawExchange(const QString& path, const QByteArray& request, int lines = 1) {
  QByteArray replies = "no connection";
  serveWhile([&] {
    QLocalSocket s;
    s.connectToServer(path);
    if (!s.waitForConnected(kWaitMs)) return;
    replies.clear();
    s.write(request);
    s.waitForBytesWritten(kWaitMs);
    while (replies.count('\n') < lines && s.waitForReadyRead(kWaitMs)) replies += s.readAll();
    replies += s.readAll();
  });
  return replies.endsWith('\n') ? replies.chopped(1) : replies;
}

}  // namespace

class MessageBridgeTest : public QObject {
  Q_OBJECT

 private:
  QString socketPath() { return QString::fromStdString(testenv::makeTempDir("bus")) + "/lockmere.bus"; }

 private slots:
  void initTestCase() { testenv::isolateHome(); }

  void theDefaultSocketLivesInTheRuntimeFolder() {
    qunsetenv("LOCKMERE_BUS_SOCKET");
    QCOMPARE(MessageBridge::defaultSocketPath(), QString::fromStdString(testenv::home()) + "/run/lockmere.bus");
    qputenv("LOCKMERE_BUS_SOCKET", "/tmp/elsewhere.bus");
    QCOMPARE(MessageBridge::defaultSocketPath(), QString("/tmp/elsewhere.bus"));
    qunsetenv("LOCKMERE_BUS_SOCKET");
  }

  void aMessageFromAnotherProcessArrivesWithItsThreeNumbers() {
    Recorder window;
    MessageBridge bridge(window.receiver.handle());
    const QString path = socketPath();
    QVERIFY2(bridge.listen(path), qPrintable(bridge.errorString()));
    Tool t = runTool({"--socket", path, "0x806", "-1", "0x7fffffff"});
    QCOMPARE(t.exitCode, 0);
    QCOMPARE(t.out, QString("4242\n"));
    QCOMPARE(window.got.size(), std::size_t(1));
    QCOMPARE(window.got[0].message, platform::msg::kLoginButton);
    QCOMPARE(window.got[0].wParam, std::int64_t(-1));
    QCOMPARE(window.got[0].lParam, std::int64_t(0x7fffffff));
    QCOMPARE(window.threads[0], qApp->thread());

    // Negative hexadecimal and the full unsigned range of a parameter.
    window.answer = -5;
    t = runTool({"--socket", path, "2046", "-0x10", "18446744073709551615"});
    QCOMPARE(t.exitCode, 0);
    QCOMPARE(t.out, QString("-5\n"));
    QCOMPARE(window.got.back().message, platform::msg::kLoginRequest);
    QCOMPARE(window.got.back().wParam, std::int64_t(-16));
    QCOMPARE(window.got.back().lParam, std::int64_t(-1));
  }

  void aPostFromAnotherProcessRunsAfterTheToolReturns() {
    Recorder window;
    MessageBridge bridge(window.receiver.handle());
    const QString path = socketPath();
    QVERIFY(bridge.listen(path));
    Tool t = runTool({"--post", "--socket", path, "0x4FA", "0x10001", "0"});
    QCOMPARE(t.exitCode, 0);
    QCOMPARE(t.out, QString("1\n"));
    QTRY_COMPARE_WITH_TIMEOUT(window.got.size(), std::size_t(1), kWaitMs);
    QCOMPARE(window.got[0].message, platform::msg::kBrowserGone);
    QCOMPARE(window.got[0].wParam, std::int64_t(0x10001));
  }

  void badArgumentsAreUsageErrorsAndDeliverNothing() {
    Recorder window;
    MessageBridge bridge(window.receiver.handle());
    const QString path = socketPath();
    QVERIFY(bridge.listen(path));
    const QList<QStringList> bad = {
        {"0x806", "0"},
        {"0x806", "12abc", "0"},
        {"-1", "0", "0"},
        {"0x100000000", "0", "0"},
        {"0x806", "0x", "0"},
        {"0x806", " 1", "0"},
        {"0x806", "1e3", "0"},
        {"0x806", "0", "99999999999999999999"},
        {"--bogus", "1", "2", "3"},
        {"0x806", "0", "0", "0"},
    };
    for (const auto& args : bad) {
      Tool t = runTool(QStringList{"--socket", path} + args);
      QVERIFY2(t.exitCode == 2, qPrintable(args.join(' ') + " -> " + QString::number(t.exitCode)));
      QVERIFY(t.err.contains("usage:"));
    }
    QCoreApplication::processEvents();
    QVERIFY(window.got.empty());
  }

  void withoutARunningProgramTheToolSaysSo() {
    Tool t = runTool({"--socket", socketPath(), "0x806", "0", "0"});
    QCOMPARE(t.exitCode, 1);
    QVERIFY2(t.err.contains("not running"), qPrintable(t.err));
    QVERIFY(t.out.isEmpty());
  }

  void aWindowThatIsGoneIsReportedNotAnswered() {
    auto* window = new MessageReceiver([](const Message&) -> std::int64_t { return 1; });
    MessageBridge bridge(window->handle());
    const QString path = socketPath();
    QVERIFY(bridge.listen(path));
    delete window;
    Tool t = runTool({"--socket", path, "0x806", "0", "0"});
    QCOMPARE(t.exitCode, 1);
    QVERIFY2(t.err.contains("no such window"), qPrintable(t.err));
  }

  void aPeerOfAnotherUserIsRefused() {
    if (::geteuid() != 0) QSKIP("needs root to run a client as another user");
    Recorder window;
    MessageBridge bridge(window.receiver.handle());
    QSignalSpy refused(&bridge, &MessageBridge::peerRefused);
    char dir[] = "/tmp/lockmere-bridge-XXXXXX";
    QVERIFY(::mkdtemp(dir));
    const QString path = QString(dir) + "/lockmere.bus";
    QVERIFY(bridge.listen(path));
    // Open the file system's doors on purpose: only the peer check stands in the way.
    ::chmod(dir, 0755);
    ::chmod(path.toLocal8Bit().constData(), 0777);
    Tool t = runTool({"--socket", path, "0x806", "0", "0"}, [] {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
    });
    bridge.close();
    ::rmdir(dir);
    QCOMPARE(t.exitCode, 1);
    QVERIFY2(t.err.contains("refused"), qPrintable(t.err));
    QVERIFY(window.got.empty());
    QCOMPARE(refused.count(), 1);
    QCOMPARE(refused.at(0).at(0).toLongLong(), 65534LL);
  }

  void aFolderItMakesIsPrivateAndOneItFindsKeepsItsMode() {
    Recorder window;
    MessageBridge bridge(window.receiver.handle());
    const QString base = QString::fromStdString(testenv::makeTempDir("open"));
    auto modeOf = [](const QString& path) {
      struct stat st {};
      return ::stat(path.toLocal8Bit().constData(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    // Made by the bridge: private.
    QVERIFY2(bridge.listen(base + "/made/lockmere.bus"), qPrintable(bridge.errorString()));
    QCOMPARE(modeOf(base + "/made"), 0700u);
    QCOMPARE(modeOf(base + "/made/lockmere.bus") & 0777, 0600u);
    bridge.close();
    QVERIFY(!QFile::exists(base + "/made/lockmere.bus"));  // closing removes the socket file
    // Found: a home-like folder and a sticky shared one are left as they are.
    for (unsigned mode : {0755u, 01777u}) {
      const QString dir = base + "/found" + QString::number(mode, 8);
      QVERIFY(QDir().mkdir(dir));
      ::chmod(dir.toLocal8Bit().constData(), mode);
      QVERIFY2(bridge.listen(dir + "/lockmere.bus"), qPrintable(bridge.errorString()));
      QCOMPARE(modeOf(dir), mode);
      QCOMPARE(rawExchange(dir + "/lockmere.bus", "send 1 0 0\n"), QByteArray("ok 4242"));
      bridge.close();
    }
    if (::geteuid() == 0) {
      QCOMPARE(::chown((base + "/made").toLocal8Bit().constData(), 65534, 65534), 0);
      QVERIFY(!bridge.listen(base + "/made/lockmere.bus"));
      QVERIFY2(bridge.errorString().contains("another user"), qPrintable(bridge.errorString()));
      QCOMPARE(modeOf(base + "/made"), 0700u);
    }
  }

  void onlyOneBridgeListensAndAStaleSocketIsTakenOver() {
    Recorder window;
    const QString path = socketPath();
    {
      MessageBridge first(window.receiver.handle());
      QVERIFY(first.listen(path));
      MessageBridge second(window.receiver.handle());
      QVERIFY(!second.listen(path));
      QVERIFY2(second.errorString().contains("another program"), qPrintable(second.errorString()));
      QVERIFY(first.isListening());
    }
    // A socket file whose program died without removing it.
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.toLocal8Bit().constData(), sizeof addr.sun_path - 1);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    QVERIFY(QFile::exists(path));
    MessageBridge third(window.receiver.handle());
    QVERIFY2(third.listen(path), qPrintable(third.errorString()));
    QCOMPARE(rawExchange(path, "send 1 2 3\n"), QByteArray("ok 4242"));
  }

  void malformedRequestsGetAnErrorAndTheConnectionGoesOn() {
    Recorder window;
    MessageBridge bridge(window.receiver.handle());
    const QString path = socketPath();
    QVERIFY(bridge.listen(path));
    QByteArray replies = rawExchange(path, "hello\nsend 0x7E9 101\nsend 2025 102 0\r\npost 2027 0 0\n", 4);
    const auto lines = replies.split('\n');
    QVERIFY(lines[0].startsWith("error "));
    QVERIFY(lines[1].startsWith("error "));
    QCOMPARE(lines[2], QByteArray("ok 4242"));
    QCOMPARE(lines[3], QByteArray("ok 1"));
    QTRY_COMPARE_WITH_TIMEOUT(window.got.size(), std::size_t(2), kWaitMs);
    QCOMPARE(window.got[0].message, platform::msg::kToolFinished);
    QCOMPARE(window.got[0].wParam, platform::msg::kToolFingerprintsChanged);

    // An over-long request is answered and skipped; the next one is served.
    QByteArray huge(4000, 'x');
    QCOMPARE(rawExchange(path, huge + "\nsend 1 0 0\n", 2), QByteArray("error request too long\nok 4242"));
    QCOMPARE(rawExchange(path, huge), QByteArray("error request too long"));  // no line end at all
    QCOMPARE(window.got.size(), std::size_t(3));
  }

  void aClientInAnotherThreadOfTheProgramIsServed() {
    Recorder window;
    window.answer = 77;
    MessageBridge bridge(window.receiver.handle());
    const QString path = socketPath();
    QVERIFY(bridge.listen(path));
    platform::BusClient::Reply reply;
    QVERIFY(
        serveWhile([&] { reply = platform::BusClient::send(platform::msg::kPasswordGenClosed, 0, 0, kWaitMs, path); }));
    QVERIFY2(reply.ok, qPrintable(reply.error));
    QCOMPARE(reply.result, std::int64_t(77));
  }

  void aHandlerInAModalLoopDoesNotBlockOtherClients() {
    // The first message opens a "modal window" (a nested loop) that ends only when
    // a second message, from another client, has been handled in the meantime.
    std::atomic<bool> firstInside{false};
    bool secondHandled = false;
    MessageReceiver window([&](const Message& m) -> std::int64_t {
      if (m.message == 1) {
        firstInside = true;
        modalLoopUntil([&] { return secondHandled; });
        return 100;
      }
      secondHandled = true;
      return 200;
    });
    MessageBridge bridge(window.handle());
    const QString path = socketPath();
    QVERIFY(bridge.listen(path));
    platform::BusClient::Reply first, second;
    QVERIFY(serveWhile([&] {
      std::thread a([&] { first = platform::BusClient::send(1, 0, 0, kWaitMs, path); });
      while (!firstInside) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      second = platform::BusClient::send(2, 0, 0, kWaitMs, path);
      a.join();
    }));
    QVERIFY2(first.ok && second.ok, qPrintable(first.error + second.error));
    QCOMPARE(first.result, std::int64_t(100));
    QCOMPARE(second.result, std::int64_t(200));
  }

  void aClientThatLeavesDuringTheHandlerDoesNoHarm() {
    std::atomic<bool> clientGone{false};
    int calls = 0;
    MessageReceiver window([&](const Message& m) -> std::int64_t {
      ++calls;
      if (m.message != 3) return 1;
      modalLoopUntil([&] { return clientGone.load(); });
      QTest::qWait(20);  // the disconnection is seen inside the handler
      return 1;
    });
    MessageBridge bridge(window.handle());
    const QString path = socketPath();
    QVERIFY(bridge.listen(path));
    platform::BusClient::Reply reply;
    QVERIFY(serveWhile([&] {
      reply = platform::BusClient::send(3, 0, 0, 300, path);  // gives up and goes away
      clientGone = true;
    }));
    QVERIFY(!reply.ok);
    QVERIFY2(reply.error.contains("no answer"), qPrintable(reply.error));
    QTRY_COMPARE_WITH_TIMEOUT(calls, 1, kWaitMs);
    QTest::qWait(50);  // the handler returns into a connection whose client is gone
    QCOMPARE(rawExchange(path, "send 4 0 0\n"), QByteArray("ok 1"));
  }
};

QTEST_GUILESS_MAIN(MessageBridgeTest)
#include "MessageBridgeTest.moc"
