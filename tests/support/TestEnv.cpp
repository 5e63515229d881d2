#include "tests/support/TestEnv.h"

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace testenv {
namespace {

std::string g_home;
bool g_owned = false;

void removeHome() {
  if (g_owned && !g_home.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(g_home, ec);
  }
}

}  // namespace

void isolateHome() {
  if (const char* h = std::getenv("LOCKMERE_HOME"); h && *h) {
    g_home = h;
    return;
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "lockmere-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a test home");
  g_home = pattern;
  g_owned = true;
  ::setenv("LOCKMERE_HOME", g_home.c_str(), 1);
  std::atexit(removeHome);
}

std::string home() { return g_home; }

std::string fingerprintsDir() { return LOCKMERE_FINGERPRINTS_DIR; }

std::string binDir() { return LOCKMERE_BIN_DIR; }

std::string makeTempDir(const std::string& prefix) {
  std::string pattern =
      (home().empty() ? std::filesystem::temp_directory_path().string() : home()) + "/" + prefix + "-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  return pattern;
}

}  // namespace testenv
