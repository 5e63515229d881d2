#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A shared library loaded at run time by the file name the original platform used
// ("Ridgecore.dll" is libRidgecore.so here), with the symbols looked up by name.
//
// Search order: only $LOCKMERE_LIB_DIR when it is set (tests use it to make a
// library missing); otherwise the folder of the running executable, then the
// installed library folder the build was configured for, then the system's
// search (LD_LIBRARY_PATH, the caller's RUNPATH, the cache, /usr/lib ...). A copy already loaded
// in the process from one of those places is reused. Each successful load() counts
// as one reference and unload() gives exactly that one back, so several owners may
// hold the same library and close it in any order.
//
//   platform::Library core("Ridgecore.dll");
//   if (!core.load()) throw std::runtime_error("Dynamic library " + core.fileName() + " not found");
//   auto compare = core.resolve<VD_CompareFn>("VD_Compare");  // nullptr when missing
//
// One object is not meant for several threads at once; separate objects are.
class Library {
 public:
  // "Ridgecore.dll" -> "libRidgecore.so"; a folder in front is kept; names already
  // in the platform's form ("libz.so.1") stay as they are.
  static std::string platformFileName(std::string_view name);
  // The folders load() tries, in order; "" stands for the system's search.
  static std::vector<std::string> searchFolders();
  // The folder of the running program.
  static std::string executableDir();
  // The library folder of an installed copy, fixed when the build is configured
  // (<libdir>/lockmere below CMAKE_INSTALL_PREFIX); empty when the build names none.
  static std::string installedLibraryDir();

  Library() = default;
  explicit Library(std::string name);
  ~Library();
  Library(Library&& other) noexcept;
  Library& operator=(Library&& other) noexcept;
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Loads the library (or takes another reference to a copy already loaded).
  // False with errorString() when it is missing or cannot be loaded.
  bool load();
  bool isLoaded() const { return handle_ != nullptr; }
  // Whether load() found the library already in the process.
  bool wasAlreadyLoaded() const { return alreadyLoaded_; }
  void unload();

  // The address of an exported symbol; nullptr with errorString() when it is missing.
  void* resolve(const char* symbol);
  template <typename Function>
  Function resolve(const char* symbol) {
    return reinterpret_cast<Function>(resolve(symbol));
  }

  const std::string& name() const { return name_; }          // as given: "Ridgecore.dll"
  const std::string& fileName() const { return fileName_; }  // "libRidgecore.so"
  const std::string& filePath() const { return filePath_; }  // where it was loaded from
  const std::string& errorString() const { return error_; }

 private:
  bool take(void* handle, bool alreadyLoaded);

  std::string name_;
  std::string fileName_;
  std::string filePath_;
  std::string error_;
  void* handle_ = nullptr;
  bool alreadyLoaded_ = false;
};

}  // namespace platform
