#pragma once

// The real program and its helpers as processes under an X server, for the
// end-to-end tests: runs, windows found by exact title, input by xdotool, the
// status block as the add-on reads it.
#include <QProcess>
#include <QStringList>
#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <thread>

#include <sys/mman.h>

#include "platform/StatusBlock.h"
#include "platform/StatusBlockReader.h"
#include "tests/support/TestEnv.h"

namespace e2e {

using namespace std::chrono_literals;

inline const QString kBin = QString::fromStdString(testenv::binDir());
inline const QString kLoginTitle = "Lockmere - 로그인";
inline const QString kNewUserTitle = "Lockmere - 새 사용자 등록";

inline QString fingerImage(const char* number, int impression) {
  return QString::fromStdString(testenv::fingerprintsDir()) +
         QString("/fvc2002_db1_b/%1_%2.pgm").arg(number).arg(impression);
}

// Runs a program to its end; its exit code, -1 when it did not end in time.
inline int run(const QString& program, const QStringList& args, const QByteArray& input = {},
               QByteArray* output = nullptr, int timeoutMs = 60000) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForStarted(10000)) return -1;
  if (!input.isEmpty()) p.write(input);
  p.closeWriteChannel();
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    return -1;
  }
  if (output) *output = p.readAllStandardOutput();
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

inline QStringList xdotool(const QStringList& args) {
  QByteArray out;
  run("xdotool", args, {}, &out, 20000);
  return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
}

inline bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 20s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

inline std::optional<platform::StatusBlockData> status() { return platform::StatusBlockReader().read(); }
inline bool loggedIn() {
  auto s = status();
  return s && s->loggedIn;
}

// One run of the program.
class Program {
 public:
  explicit Program(const QStringList& args = {}) {
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.start(kBin + "/lockmere", args);
    process_.waitForStarted(10000);
  }
  // Ended as a user's session would end it (SIGTERM), killed only when it hangs.
  ~Program() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (process_.waitForFinished(10000)) return;
    process_.kill();
    process_.waitForFinished(10000);
  }
  qint64 pid() const { return process_.processId(); }
  bool running() const { return process_.state() == QProcess::Running; }
  bool waitForEnd(int ms = 20000) { return process_.waitForFinished(ms); }
  int exitCode() const { return process_.exitCode(); }
  void terminate() { ::kill(static_cast<pid_t>(pid()), SIGTERM); }

  // The program's visible windows with exactly this title (xdotool's own
  // matching takes the Korean titles for other ones).
  QStringList windows(const QString& title) const {
    QStringList found;
    for (const QString& id : xdotool({"search", "--onlyvisible", "--pid", QString::number(pid()), "--name", "."})) {
      const QStringList name = xdotool({"getwindowname", id});
      if (!name.isEmpty() && name.first() == title) found << id;
    }
    return found;
  }
  QString waitForWindow(const QString& title, std::chrono::milliseconds timeout = 20s) const {
    QString found;
    waitFor(
        [&] {
          const QStringList ids = windows(title);
          if (!ids.isEmpty()) found = ids.last();
          return !found.isEmpty();
        },
        timeout);
    return found;
  }

 private:
  QProcess process_;
};

inline void typeInto(const QString& window, const QString& text) {
  xdotool({"windowactivate", "--sync", window});
  xdotool({"type", "--delay", "30", text});
}

inline void keys(const QString& window, const QStringList& sequence) {
  xdotool({"windowactivate", "--sync", window});
  for (const QString& key : sequence) {
    xdotool({"key", key});
    std::this_thread::sleep_for(150ms);
  }
}

inline QSize geometry(const QString& window) {
  QSize size;
  for (const QString& line : xdotool({"getwindowgeometry", window})) {
    const int at = line.indexOf("Geometry:");
    if (at < 0) continue;
    const QStringList wh = line.mid(at + 9).trimmed().split('x');
    if (wh.size() == 2) size = QSize(wh[0].toInt(), wh[1].toInt());
  }
  return size;
}

// A home of the test's own (private, as the program demands), a status block
// name of its own and the Korean texts, for this process and the programs it
// starts.
inline void useFreshHome() {
  const QString home = QString::fromStdString(testenv::makeTempDir("e2e"));
  qputenv("LOCKMERE_HOME", home.toUtf8());
  qputenv("LOCKMERE_SHM_NAME",
          QByteArray("/lockmere-e2e-") + QByteArray::number(::getpid()) + "-" + home.section('/', -1).toUtf8());
  qputenv("LOCKMERE_LANG", "ko");
}

// Removes the status block a killed program left behind under this test's name.
inline void removeStatusBlock() { ::shm_unlink(platform::StatusBlock::defaultName().c_str()); }

// A user made by the account tool, with the finger's impressions 1-3 when given.
inline bool newUser(const char* id, const char* password, const char* finger = nullptr) {
  QStringList args{"new", id};
  if (finger)
    args << "--finger" << QStringList{fingerImage(finger, 1), fingerImage(finger, 2), fingerImage(finger, 3)}.join(',');
  return run(kBin + "/lockmere-account", args, QByteArray(password) + "\n" + password + "\n") == 0;
}

// The ID (the box has the focus while no last login is known), Tab, the
// password, Enter; an error text when no login window came.
inline QString logInByPassword(Program& program, const char* id, const char* password) {
  const QString login = program.waitForWindow(kLoginTitle);
  if (login.isEmpty()) return "no login window";
  typeInto(login, id);
  xdotool({"key", "Tab"});
  xdotool({"type", "--delay", "30", password});
  xdotool({"key", "Return"});
  return {};
}

// openbox on the test's display: activation, iconifying, WM_DELETE_WINDOW.
class WindowManager {
 public:
  ~WindowManager() {
    process_.terminate();
    process_.waitForFinished(5000);
  }
  bool start() {
    process_.start("openbox", {"--sm-disable"});
    if (!process_.waitForStarted(10000)) return false;
    std::this_thread::sleep_for(500ms);
    return true;
  }

 private:
  QProcess process_;
};

}  // namespace e2e
