#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace platform::paths {
namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : std::string();
}

// Under su, cron, ssh or some display managers HOME may be missing; the password
// database still knows the user's own folder.
std::string passwordDatabaseHome() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
    return {};
  return found->pw_dir;
}

std::string tmpUserDir() { return "/tmp/lockmere-" + std::to_string(::geteuid()); }

// "" when no home is known: the caller's privateDir() then refuses instead of
// falling back to a shared folder.
std::string underHome(const std::string& rest) {
  const std::string home = homeDir();
  return home.empty() ? std::string() : home + rest;
}

}  // namespace

std::string homeDir() {
  if (auto h = env("HOME"); !h.empty()) return h;
  return passwordDatabaseHome();
}

std::string userDir() {
  if (auto h = env("LOCKMERE_HOME"); !h.empty()) return h;
  if (auto x = env("XDG_CONFIG_HOME"); !x.empty()) return x + "/Veradynics";
  return underHome("/.config/Veradynics");
}

std::string dataDir() {
  if (auto h = env("LOCKMERE_HOME"); !h.empty()) return h + "/data";
  if (auto x = env("XDG_DATA_HOME"); !x.empty()) return x + "/Veradynics/Lockmere";
  return underHome("/.local/share/Veradynics/Lockmere");
}

std::string machineDir() {
  if (auto m = env("LOCKMERE_MACHINE_DIR"); !m.empty()) return m;
  if (auto h = env("LOCKMERE_HOME"); !h.empty()) return h + "/machine";
  return "/var/lib/veradynics";
}

std::string runtimeDir() {
  if (auto h = env("LOCKMERE_HOME"); !h.empty()) return h + "/run";
  if (auto x = env("XDG_RUNTIME_DIR"); !x.empty()) return x + "/lockmere";
  return tmpUserDir();
}

std::string deviceDir() {
  if (auto d = env("LOCKMERE_DEVICE_DIR"); !d.empty()) return d;
  if (auto h = env("LOCKMERE_HOME"); !h.empty()) return h + "/run/verausb";
  if (auto x = env("XDG_RUNTIME_DIR"); !x.empty()) return x + "/verausb";
  return tmpUserDir() + "/verausb";
}

std::string location(Folder folder) {
  switch (folder) {
    case Folder::Config:
      return userDir();
    case Folder::Data:
      return dataDir();
    case Folder::Runtime:
      return runtimeDir();
    case Folder::Device:
      return deviceDir();
  }
  return {};
}

bool makeDirs(const std::string& path, unsigned mode) {
  if (path.empty()) return false;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  auto slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !makeDirs(path.substr(0, slash), mode)) return false;
  if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST) return false;
  return true;
}

}  // namespace platform::paths
