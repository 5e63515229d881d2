#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

AtomicFile::AtomicFile(std::string path, unsigned mode) : path_(std::move(path)), mode_(mode) {}

AtomicFile::~AtomicFile() { cancel(); }

bool AtomicFile::fail(const std::string& what) {
  error_ = what + " (" + path_ + "): " + std::strerror(errno);
  cancel();
  return false;
}

bool AtomicFile::open() {
  cancel();
  error_.clear();
  tempPath_ = path_ + ".tmp-XXXXXX";
  fd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    tempPath_.clear();
    return fail("cannot create a temporary file beside the file");
  }
  if (::fchmod(fd_, mode_) != 0) return fail("cannot set the temporary file's mode");
  return true;
}

bool AtomicFile::write(const void* data, std::size_t size) {
  if (fd_ < 0) {
    error_ = "the file is not open (" + path_ + ")";
    return false;
  }
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("cannot write the new file");
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool AtomicFile::commit() {
  if (fd_ < 0) {
    if (error_.empty()) error_ = "the file is not open (" + path_ + ")";
    return false;
  }
  if (::fsync(fd_) != 0) return fail("cannot flush the new file to disk");
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return fail("cannot close the new file");
  if (::rename(tempPath_.c_str(), path_.c_str()) != 0) return fail("cannot put the new file in place");
  tempPath_.clear();
  // The rename is durable only once the folder is flushed too.
  const int dir = ::open(folderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

void AtomicFile::cancel() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
  }
}

bool AtomicFile::writeFile(const std::string& path, std::string_view data, unsigned mode, std::string* error) {
  AtomicFile f(path, mode);
  const bool ok = f.open() && f.write(data) && f.commit();
  if (!ok && error) *error = f.error();
  return ok;
}

}  // namespace platform
