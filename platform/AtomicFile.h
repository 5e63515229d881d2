#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Writes a new version of a file so that a crash, a kill or a full disk at any
// moment leaves either the old file or the complete new one, never a mix: the
// bytes go to a temporary file beside the target (same folder, so the rename
// cannot cross file systems), commit() flushes it to disk, renames it over the
// target and flushes the folder. Until commit() succeeds the target is not
// touched; a failed or abandoned write removes the temporary file.
//
//   platform::AtomicFile f(path);
//   if (!f.open() || !f.write(a, n) || !f.write(b, m) || !f.commit()) report(f.error());
class AtomicFile {
 public:
  explicit AtomicFile(std::string path, unsigned mode = 0600);
  ~AtomicFile();  // cancels unless committed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file with the given mode (whatever the umask says).
  bool open();
  bool write(const void* data, std::size_t size);
  bool write(std::string_view data) { return write(data.data(), data.size()); }
  bool commit();
  void cancel();

  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }

  // The whole file in one go.
  static bool writeFile(const std::string& path, std::string_view data, unsigned mode = 0600,
                        std::string* error = nullptr);

 private:
  bool fail(const std::string& what);

  std::string path_;
  unsigned mode_;
  std::string tempPath_;
  std::string error_;
  int fd_ = -1;
};

}  // namespace platform
