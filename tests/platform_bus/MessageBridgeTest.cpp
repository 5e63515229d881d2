#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <cstring>
#include <thread>

#include "platform/Paths.h"
#include "platform/UnixSocket.h"
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

// Descriptors open in this process right now.
int openDescriptors() {
  return static_cast<int>(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

// Resident memory of this process in KiB.
long residentKb() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return -1;
}

int connectBlocking(const QString& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.toLocal8Bit().constData(), sizeof addr.sun_path - 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Another process that runs body and writes its one-number report to a pipe;
// this thread's event loop keeps serving meanwhile. With hold, the process stays
// (with whatever it has open) until this object goes.
class OtherProcess {
 public:
  explicit OtherProcess(const std::function<long()>& body, bool hold = false) {
    if (::pipe(pipe_) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      const long report = body();
      (void)!::write(pipe_[1], &report, sizeof report);
      while (hold) ::pause();
      ::_exit(0);
    }
  }
  ~OtherProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(pipe_[0]);
    ::close(pipe_[1]);
  }
  // The report, serving events until it comes (or -999 after waitMs).
  long report(int waitMs = kWaitMs) {
    QDeadlineTimer deadline(waitMs);
    pollfd p{pipe_[0], POLLIN, 0};
    while (::poll(&p, 1, 0) == 0 && !deadline.hasExpired()) QTest::qWait(5);
    long value = -999;
    if (p.revents & POLLIN) (void)!::read(pipe_[0], &value, sizeof value);
    return value;
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int pipe_[2] = {-1, -1};
};

// A bridge that drops idle peers after half a second, listening on path.
struct ImpatientBridge {
  Recorder window;
  MessageBridge bridge{window.receiver.handle()};
  MessageBridge::Limits limits = [] {
    MessageBridge::Limits l;
    l.idleTimeoutMs = 500;
    return l;
  }();
  QString path;
  bool listening;

  explicit ImpatientBridge(const QString& socket) : path(socket) {
    bridge.setLimits(limits);
    listening = bridge.listen(path);
  }
};

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

  void aFloodOfIdleConnectionsIsCappedAndTheProgramStaysReachable() {
    ImpatientBridge impatient(socketPath());
    QVERIFY(impatient.listening);
    auto& [window, bridge, limits, path, listening] = impatient;
    const int before = openDescriptors();
    // Another process opens 200 connections, says nothing and keeps them open.
    OtherProcess flood(
        [&]() -> long {
          std::vector<int> fds;
          for (int i = 0; i < 200; ++i)
            if (int fd = connectBlocking(path); fd >= 0) fds.push_back(fd);
          char answer[64] = {};
          timeval tv{2, 0};
          ::setsockopt(fds.back(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
          const bool told = ::recv(fds.back(), answer, sizeof answer - 1, 0) > 0 && std::strstr(answer, "busy");
          return told ? static_cast<long>(fds.size()) : -1;
        },
        true);
    int peak = 0;
    int mostConnections = 0;
    long flooded = -999;
    for (QDeadlineTimer deadline(kWaitMs); flooded == -999 && !deadline.hasExpired();) {
      peak = std::max(peak, openDescriptors() - before);
      mostConnections = std::max(mostConnections, bridge.connectionCount());
      flooded = flood.report(20);
    }
    QCOMPARE(flooded, 200L);  // all connected; the last was told the bridge is busy
    QVERIFY2(peak <= limits.maxConnections + 4, qPrintable(QString("peak %1 descriptors").arg(peak)));
    QVERIFY(mostConnections <= limits.maxConnections);
    // Idle connections are dropped, though the flood still holds its end of them.
    QTRY_COMPARE_WITH_TIMEOUT(bridge.connectionCount(), 0, 5000);
    QCOMPARE(runTool({"--socket", path, "1", "0", "0"}).exitCode, 0);
    QVERIFY(bridge.isListening());
  }

  void afterAFailedAcceptTheBridgeListensAgain() {
    Recorder window;
    MessageBridge bridge(window.receiver.handle());
    const QString path = socketPath();
    QVERIFY(bridge.listen(path));
    rlimit normal{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &normal), 0);
    // No descriptor left for this process: every accept fails while five
    // clients of another process wait.
    rlimit exhausted = normal;
    exhausted.rlim_cur = static_cast<rlim_t>(openDescriptors() + 2);  // the report pipe's two ends come first
    OtherProcess* clients = nullptr;
    {
      QCOMPARE(::setrlimit(RLIMIT_NOFILE, &exhausted), 0);
      clients = new OtherProcess([&]() -> long {
        ::setrlimit(RLIMIT_NOFILE, &normal);
        long answered = 0;
        std::vector<int> fds;
        for (int i = 0; i < 5; ++i) fds.push_back(connectBlocking(path));
        for (int fd : fds) {
          if (fd < 0) continue;
          const auto deadline = platform::unixsocket::deadlineIn(std::chrono::seconds(10));
          char reply[16] = {};
          if (platform::unixsocket::sendAll(fd, "send 1 0 0\n", 11, deadline) &&
              platform::unixsocket::receiveAll(fd, reply, 8, deadline) && std::string(reply) == "ok 4242\n")
            ++answered;
        }
        return answered;
      });
      QTest::qWait(300);
      QCOMPARE(::setrlimit(RLIMIT_NOFILE, &normal), 0);
    }
    QCOMPARE(clients->report(), 5L);
    delete clients;
    QVERIFY(bridge.isListening());
    QVERIFY(QFile::exists(path));
    QCOMPARE(runTool({"--socket", path, "1", "0", "0"}).exitCode, 0);
  }

  void aPeerThatLeavesItsRepliesUnreadIsNotReadAndIsDropped() {
    ImpatientBridge impatient(socketPath());
    QVERIFY(impatient.listening);
    auto& [window, bridge, limits, path, listening] = impatient;
    const long memoryBefore = residentKb();
    constexpr long kToSend = 4 << 20;
    // Sends requests as fast as the bridge takes them and never reads a reply:
    // the report is the bytes sent, negative when the bridge hung up on it.
    OtherProcess peer([&]() -> long {
      const int fd = connectBlocking(path);
      ::fcntl(fd, F_SETFL, O_NONBLOCK);
      std::string chunk;
      while (chunk.size() < 65536) chunk += "send 1 0 0\n";
      long sent = 0;
      while (sent < kToSend) {
        const ssize_t n = ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (n > 0) {
          sent += n;
          continue;
        }
        if (errno != EAGAIN) return -sent;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 3000) == 0) return sent;  // neither taken nor dropped
      }
      return sent;
    });
    QElapsedTimer clock;
    clock.start();
    const long outcome = peer.report();
    QVERIFY2(outcome < 0, qPrintable(QString("not dropped, sent %1 bytes").arg(outcome)));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    const long sent = -outcome;
    QVERIFY2(sent < kToSend / 4, qPrintable(QString("the bridge read %1 bytes").arg(sent)));
    QVERIFY(window.got.size() < static_cast<std::size_t>(sent / 11));
    const long grown = residentKb() - memoryBefore;
    QVERIFY2(grown < 16 * 1024, qPrintable(QString("grew by %1 KiB").arg(grown)));
    QTRY_COMPARE_WITH_TIMEOUT(bridge.connectionCount(), 0, 5000);
    QCOMPARE(runTool({"--socket", path, "1", "0", "0"}).exitCode, 0);
  }

  void theToolBoundsTheAnswerItReadsAndTheTimeItWaits() {
    const QString dir = QString::fromStdString(testenv::makeTempDir("fake"));
    // A server of this user that answers with an endless line, and one that never answers.
    const std::string endless = (dir + "/endless.bus").toStdString();
    const std::string silent = (dir + "/silent.bus").toStdString();
    const int endlessFd = platform::unixsocket::listenAt(endless, 4);
    const int silentFd = platform::unixsocket::listenAt(silent, 4);
    QVERIFY(endlessFd >= 0 && silentFd >= 0);
    std::atomic<long> written{0};
    std::thread server([&] {
      const int fd = ::accept(endlessFd, nullptr, nullptr);
      const std::string chunk(65536, 'x');
      while (written < (256L << 20) && ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL) > 0) written += 65536;
      ::close(fd);
    });
    QElapsedTimer clock;
    clock.start();
    Tool t = runTool({"--socket", dir + "/endless.bus", "1", "0", "0"});
    server.join();
    QCOMPARE(t.exitCode, 1);
    QVERIFY2(t.err.contains("too long"), qPrintable(t.err));
    QVERIFY2(written < (256L << 20), "the tool read on and on");
    clock.restart();
    t = runTool({"--socket", dir + "/silent.bus", "--timeout", "0.5", "1", "0", "0"});
    QCOMPARE(t.exitCode, 1);
    QVERIFY2(t.err.contains("no answer within 500 ms"), qPrintable(t.err));
    QVERIFY(clock.elapsed() < 5000);
    ::close(endlessFd);
    ::close(silentFd);
  }

  void clientsRefuseAServerOfAnotherUser() {
    if (::geteuid() != 0) QSKIP("needs root to run a server as another user");
    char dir[] = "/tmp/lockmere-fake-XXXXXX";
    QVERIFY(::mkdtemp(dir));
    QCOMPARE(::chown(dir, 65534, 65534), 0);
    const QString path = QString(dir) + "/lockmere.bus";
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    // The other user's fake bridge reports whether any request reached it.
    OtherProcess fake([&]() -> long {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) return -1;
      const int listening = platform::unixsocket::listenAt(path.toStdString(), 4);
      (void)!::write(ready[1], "r", 1);
      long requests = 0;
      pollfd p{listening, POLLIN, 0};
      while (::poll(&p, 1, 3000) > 0) {
        const int fd = ::accept(listening, nullptr, nullptr);
        char buffer[64];
        timeval tv{0, 500000};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        if (::recv(fd, buffer, sizeof buffer, 0) > 0) {
          ++requests;
          (void)!::send(fd, "ok 1\n", 5, MSG_NOSIGNAL);
        }
        ::close(fd);
      }
      return requests;
    });
    char c;
    QCOMPARE(::read(ready[0], &c, 1), 1);
    Tool t = runTool({"--socket", path, "0x806", "0", "0"});
    QCOMPARE(t.exitCode, 1);
    QVERIFY2(t.err.contains("another user"), qPrintable(t.err));
    auto reply = platform::BusClient::post(platform::msg::kBrowserGone, 1, 0, 2000, path);
    QVERIFY(!reply.ok);
    QCOMPARE(fake.report(), 0L);
    ::unlink(path.toLocal8Bit().constData());
    ::rmdir(dir);
    ::close(ready[0]);
    ::close(ready[1]);
  }

  void aRuntimeFolderOfAnotherUserIsNeitherListenedInNorAsked() {
    if (::geteuid() != 0) QSKIP("needs root to make a folder of another user");
    const QByteArray saved = qgetenv("LOCKMERE_HOME");
    const QString home = QString::fromStdString(testenv::makeTempDir("taken"));
    qputenv("LOCKMERE_HOME", home.toLocal8Bit());
    const QString run = home + "/run";
    QVERIFY(QDir().mkdir(run));
    ::chmod(run.toLocal8Bit().constData(), 0777);
    QCOMPARE(::chown(run.toLocal8Bit().constData(), 65534, 65534), 0);
    Recorder window;
    MessageBridge bridge(window.receiver.handle());
    const bool listened = bridge.listen();
    auto reply = platform::BusClient::send(1, 0, 0, 2000);
    qputenv("LOCKMERE_HOME", saved);
    QVERIFY(!listened);
    QVERIFY2(bridge.errorString().contains(run + " belongs to another user"), qPrintable(bridge.errorString()));
    QVERIFY(!reply.ok);
    QVERIFY2(reply.error.contains(run + " belongs to another user"), qPrintable(reply.error));
    QVERIFY(QDir(run).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System));
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
