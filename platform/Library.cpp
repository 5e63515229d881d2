#include "platform/Library.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace platform {
namespace {

bool endsWithNoCase(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    char a = text[text.size() - tail.size() + i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != tail[i]) return false;
  }
  return true;
}

std::string lastError() {
  const char* e = ::dlerror();
  return e ? std::string(e) : std::string("unknown error");
}

std::string describeFolders(const std::vector<std::string>& folders) {
  std::string out;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (i) out += i + 1 == folders.size() ? " and " : ", ";
    out += folders[i].empty() ? "the system's library path" : folders[i];
  }
  return out;
}

}  // namespace

std::string Library::platformFileName(std::string_view name) {
  auto slash = name.find_last_of('/');
  std::string_view folder = slash == std::string_view::npos ? std::string_view() : name.substr(0, slash + 1);
  std::string_view base = name.substr(folder.size());
  if (base.rfind("lib", 0) == 0 && (endsWithNoCase(base, ".so") || base.find(".so.") != std::string_view::npos))
    return std::string(name);
  if (endsWithNoCase(base, ".dll")) base.remove_suffix(4);
  return std::string(folder) + "lib" + std::string(base) + ".so";
}

std::string Library::executableDir() {
  std::string path(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0) return {};
  path.resize(static_cast<std::size_t>(n));
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Library::installedLibraryDir() {
#ifdef LOCKMERE_INSTALLED_LIBRARY_DIR
  // Only an absolute folder: a relative one would be looked up from wherever
  // the program was started.
  std::string dir = LOCKMERE_INSTALLED_LIBRARY_DIR;
  if (!dir.empty() && dir.front() == '/') return dir;
#endif
  return {};
}

std::vector<std::string> Library::searchFolders() {
  if (const char* dir = std::getenv("LOCKMERE_LIB_DIR"); dir && *dir) return {dir};
  std::vector<std::string> folders;
  const std::string exe = executableDir();
  if (!exe.empty()) folders.push_back(exe);
  if (std::string installed = installedLibraryDir(); !installed.empty() && installed != exe)
    folders.push_back(std::move(installed));
  folders.emplace_back();
  return folders;
}

Library::Library(std::string name) : name_(std::move(name)), fileName_(platformFileName(name_)) {}

Library::~Library() { unload(); }

Library::Library(Library&& other) noexcept { *this = std::move(other); }

Library& Library::operator=(Library&& other) noexcept {
  if (this != &other) {
    unload();
    name_ = std::move(other.name_);
    fileName_ = std::move(other.fileName_);
    filePath_ = std::move(other.filePath_);
    error_ = std::move(other.error_);
    handle_ = std::exchange(other.handle_, nullptr);
    alreadyLoaded_ = std::exchange(other.alreadyLoaded_, false);
  }
  return *this;
}

bool Library::take(void* handle, bool alreadyLoaded) {
  handle_ = handle;
  alreadyLoaded_ = alreadyLoaded;
  struct link_map* map = nullptr;
  filePath_ = ::dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name ? map->l_name : fileName_;
  error_.clear();
  return true;
}

bool Library::load() {
  if (handle_) return true;
  if (fileName_.empty()) {
    error_ = "no library name";
    return false;
  }
  // A name with a folder is loaded from there only.
  std::vector<std::string> folders =
      fileName_.find('/') != std::string::npos ? std::vector<std::string>{""} : searchFolders();
  auto candidate = [&](const std::string& folder) { return folder.empty() ? fileName_ : folder + "/" + fileName_; };

  // A copy already in the process: another reference to it, nothing loaded twice.
  for (const auto& folder : folders)
    if (void* h = ::dlopen(candidate(folder).c_str(), RTLD_NOW | RTLD_NOLOAD)) return take(h, true);

  for (const auto& folder : folders) {
    std::string path = candidate(folder);
    // In a folder of our own, skip what is not there; a file that is there but does
    // not load (a missing dependency, a wrong architecture) is the answer.
    if (!folder.empty() && ::access(path.c_str(), F_OK) != 0) continue;
    if (void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return take(h, false);
    std::string why = lastError();
    if (folder.empty() && why.find("No such file") != std::string::npos) continue;
    error_ = "cannot load " + path + ": " + why;
    return false;
  }
  error_ = fileName_ + " (" + name_ + ") not found in " + describeFolders(folders);
  return false;
}

void Library::unload() {
  if (!handle_) return;
  ::dlclose(handle_);
  handle_ = nullptr;
  alreadyLoaded_ = false;
}

void* Library::resolve(const char* symbol) {
  if (!handle_) {
    error_ = "cannot look up " + std::string(symbol) + ": " + fileName_ + " is not loaded";
    return nullptr;
  }
  ::dlerror();
  void* address = ::dlsym(handle_, symbol);
  if (!address) error_ = "symbol " + std::string(symbol) + " not found in " + filePath_;
  return address;
}

}  // namespace platform
