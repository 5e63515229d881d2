#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace platform::paths {
namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : std::string();
}

std::string homeDir() {
  std::string h = env("HOME");
  return h.empty() ? std::string("/tmp") : h;
}

std::string tmpUserDir() { return "/tmp/lockmere-" + std::to_string(::getuid()); }

}  // namespace

std::string userDir() {
  if (auto h = env("LOCKMERE_HOME"); !h.empty()) return h;
  if (auto x = env("XDG_CONFIG_HOME"); !x.empty()) return x + "/Veradynics";
  return homeDir() + "/.config/Veradynics";
}

std::string dataDir() {
  if (auto h = env("LOCKMERE_HOME"); !h.empty()) return h + "/data";
  if (auto x = env("XDG_DATA_HOME"); !x.empty()) return x + "/Veradynics/Lockmere";
  return homeDir() + "/.local/share/Veradynics/Lockmere";
}

std::string machineDir() {
  if (auto m = env("LOCKMERE_MACHINE_DIR"); !m.empty()) return m;
  if (auto h = env("LOCKMERE_HOME"); !h.empty()) return h + "/machine";
  return "/var/lib/veradynics";
}

std::string runtimeDir() {
  std::string dir;
  if (auto h = env("LOCKMERE_HOME"); !h.empty())
    dir = h + "/run";
  else if (auto x = env("XDG_RUNTIME_DIR"); !x.empty())
    dir = x + "/lockmere";
  else
    dir = tmpUserDir();
  makeDirs(dir, 0700);
  return dir;
}

std::string deviceDir() {
  if (auto d = env("LOCKMERE_DEVICE_DIR"); !d.empty()) return d;
  if (auto h = env("LOCKMERE_HOME"); !h.empty()) return h + "/run/verausb";
  if (auto x = env("XDG_RUNTIME_DIR"); !x.empty()) return x + "/verausb";
  return tmpUserDir() + "/verausb";
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
