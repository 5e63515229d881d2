#include "platform/FileLock.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/Paths.h"

namespace platform {
namespace {

// Open-file-description locks: like flock they belong to the open file, not the
// process, and die with it; unlike flock they can be tested without being taken.
struct flock wholeFile(short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  return fl;
}

}  // namespace

FileLock::FileLock(std::string name)
    : inRuntimeDir_(name.empty() || name[0] != '/'),
      path_(inRuntimeDir_ ? paths::runtimeDir() + "/" + name : std::move(name)) {}

FileLock::~FileLock() { unlock(); }

int FileLock::openFile() {
  if (inRuntimeDir_) {
    // Checked at every open: the folder may have been tampered with since the last one.
    paths::PrivateDir dir = paths::privateDir(paths::Folder::Runtime);
    if (!dir) {
      error_ = dir.error;
      return -1;
    }
  }
  return paths::openPrivateFile(path_, O_RDWR | O_CREAT, &error_, 0600);
}

bool FileLock::acquire(bool wait) {
  if (fd_ >= 0) return true;
  heldByOther_ = false;
  int fd = openFile();
  if (fd < 0) return false;
  struct flock fl = wholeFile(F_WRLCK);
  int rc;
  do {
    rc = ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    heldByOther_ = errno == EAGAIN || errno == EACCES;
    error_ = heldByOther_ ? std::string("held by another holder") : path_ + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  error_.clear();
  return true;
}

bool FileLock::tryLock() { return acquire(false); }
bool FileLock::lock() { return acquire(true); }

void FileLock::unlock() {
  if (fd_ < 0) return;
  ::close(fd_);  // closing the last descriptor of the description drops the lock
  fd_ = -1;
}

bool FileLock::heldElsewhere() {
  if (fd_ >= 0) return false;
  int fd = openFile();
  if (fd < 0) return false;
  struct flock fl = wholeFile(F_WRLCK);
  bool held = ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

}  // namespace platform
