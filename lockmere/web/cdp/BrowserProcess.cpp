#include "lockmere/web/cdp/BrowserProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QString>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

#include "lockmere/web/cdp/AutomationError.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"

extern char** environ;

namespace cdp {
namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::vector<std::string> splitBlanks(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

std::string errnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Sets path.to.key = value inside a JSON object, creating the objects on the way.
void setPath(QJsonObject& object, const QStringList& path, const QJsonValue& value) {
  if (path.size() == 1) {
    object.insert(path.front(), value);
    return;
  }
  QJsonObject inner = object.value(path.front()).toObject();
  setPath(inner, path.mid(1), value);
  object.insert(path.front(), inner);
}

}  // namespace

LaunchOptions LaunchOptions::fromEnvironment() {
  LaunchOptions o;
  o.executable = env("LOCKMERE_BROWSER");
  if (o.executable.empty()) {
    const QString found = QStandardPaths::findExecutable("chromium");
    o.executable = found.isEmpty() ? std::string("/usr/bin/chromium") : found.toStdString();
  }
  o.profileDir = platform::paths::dataDir() + "/browser";
  o.headless = env("LOCKMERE_BROWSER_HEADLESS") == "1";
  o.extraArgs = splitBlanks(env("LOCKMERE_BROWSER_ARGS"));
  return o;
}

std::vector<std::string> BrowserProcess::arguments(const LaunchOptions& o) {
  std::vector<std::string> args = {
      o.executable,
      "--remote-debugging-pipe",
      "--user-data-dir=" + o.profileDir,
      "--no-first-run",
      "--no-default-browser-check",
      // Windows are opened over the pipe, so that every page is followed from
      // its first document on.
      "--no-startup-window",
  };
  if (::geteuid() == 0) args.push_back("--no-sandbox");
  if (o.headless) {
    for (const char* a : {"--headless=new", "--disable-gpu", "--disable-quic", "--disable-background-networking",
                          "--disable-component-update", "--disable-sync", "--no-proxy-server", "--password-store=basic",
                          "--disable-crash-reporter", "--mute-audio"})
      args.emplace_back(a);
  }
  args.insert(args.end(), o.extraArgs.begin(), o.extraArgs.end());
  return args;
}

void BrowserProcess::prepareProfile(const std::string& profileDir) {
  const std::string dir = profileDir + "/Default";
  if (!platform::paths::makeDirs(dir, 0700)) throw AutomationError(errnoText(("cannot create " + dir).c_str()));
  const QString path = QString::fromStdString(dir + "/Preferences");
  QJsonObject prefs;
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) prefs = QJsonDocument::fromJson(file.readAll()).object();
  file.close();
  const QJsonObject before = prefs;
  setPath(prefs, {"credentials_enable_service"}, false);
  setPath(prefs, {"credentials_enable_autosignin"}, false);
  setPath(prefs, {"profile", "password_manager_enabled"}, false);
  setPath(prefs, {"profile", "password_manager_leak_detection"}, false);
  setPath(prefs, {"profile", "exit_type"}, "Normal");
  setPath(prefs, {"profile", "exited_cleanly"}, true);
  if (prefs == before) return;
  std::string error;
  const QByteArray text = QJsonDocument(prefs).toJson(QJsonDocument::Compact);
  if (!platform::AtomicFile::writeFile(path.toStdString(), std::string_view(text.constData(), text.size()), 0600,
                                       &error))
    throw AutomationError("cannot write the browser's preferences: " + error);
}

BrowserProcess::~BrowserProcess() {
  if (started()) stop(std::chrono::milliseconds(0));
}

int BrowserProcess::start(const LaunchOptions& options) {
  if (started()) throw AutomationError("the browser is already started");
  if (::access(options.executable.c_str(), X_OK) != 0)
    throw AutomationError("the browser program " + options.executable + " cannot be run (package chromium)");
  if (!platform::paths::makeDirs(options.profileDir, 0700))
    throw AutomationError(errnoText(("cannot create " + options.profileDir).c_str()));
  prepareProfile(options.profileDir);

  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) throw AutomationError(errnoText("socketpair"));
  // Above the descriptors the child gets, so that putting them on 3 and 4 never
  // overwrites them.
  const int childEnd = ::fcntl(pair[1], F_DUPFD_CLOEXEC, 10);
  ::close(pair[1]);
  if (childEnd < 0) {
    ::close(pair[0]);
    throw AutomationError(errnoText("fcntl"));
  }

  const std::vector<std::string> args = arguments(options);
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const std::string log = options.profileDir + "/browser.log";

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, childEnd, 3);
  posix_spawn_file_actions_adddup2(&actions, childEnd, 4);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // A group of its own, so that stopping it reaches its helper processes too.
  posix_spawnattr_setpgroup(&attr, 0);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGINT);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, options.executable.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  ::close(childEnd);
  if (rc != 0) {
    ::close(pair[0]);
    errno = rc;
    throw AutomationError(errnoText("cannot start the browser"));
  }
  pid_ = pid;
  return pair[0];
}

bool BrowserProcess::hasExited() {
  if (!started()) return true;
  siginfo_t info{};
  // Seen without reaping: while the leader is a zombie its group cannot be reused,
  // so the helpers left in it can be ended safely.
  if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
    if (errno == ECHILD) pid_ = -1;
    return !started();
  }
  if (info.si_pid != pid_) return false;
  reap();
  return true;
}

void BrowserProcess::reap() {
  ::kill(-pid_, SIGKILL);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

void BrowserProcess::stop(std::chrono::milliseconds grace) {
  if (!started()) return;
  const auto until = std::chrono::steady_clock::now() + grace;
  while (!hasExited()) {
    if (std::chrono::steady_clock::now() >= until) {
      ::kill(pid_, SIGKILL);
      reap();
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace cdp
