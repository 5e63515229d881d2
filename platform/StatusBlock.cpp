#include "platform/StatusBlock.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/StatusBlockView.h"

namespace platform {
std::string StatusBlock::defaultName() { return nameForUser(::geteuid()); }

std::string StatusBlock::nameForUser(unsigned uid) {
  const char* env = std::getenv("LOCKMERE_SHM_NAME");
  return normalizedName((env && *env ? std::string(env) : std::string(kName)) + "." + std::to_string(uid));
}

std::string StatusBlock::normalizedName(const std::string& name) {
  std::string n = !name.empty() && name[0] == '/' ? name : "/" + name;
  if (n.size() < 2 || n.size() > NAME_MAX || n.find('/', 1) != std::string::npos) return {};
  return n;
}

StatusBlock::StatusBlock(std::string name) : name_(normalizedName(name)) {}

StatusBlock::~StatusBlock() { remove(); }

bool StatusBlock::fail(const std::string& what, int err) {
  error_ = what + " the shared block \"" + name_ + "\"" + (err ? std::string(": ") + std::strerror(err) : "");
  return false;
}

bool StatusBlock::create(std::uint32_t windowHandle) {
  if (fd_ >= 0) return setWindowHandle(windowHandle);
  if (name_.empty()) {
    error_ = "unusable name for the shared block";
    return false;
  }
  // Without O_EXCL: a block left behind by a crashed run of ours is taken over
  // (the single-instance lock makes sure no live run owns it).
  int fd = ::shm_open(name_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return fail(errno == EACCES ? "another user's program holds" : "cannot create", errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
    ::close(fd);
    return fail("another user owns", 0);
  }
  if (::fchmod(fd, 0600) != 0 || ::ftruncate(fd, kSize) != 0) {
    int err = errno;
    ::close(fd);
    return fail("cannot set up", err);
  }
  fd_ = fd;
  StatusBlockView view(fd_, kSize, true);
  if (!view.isMapped()) {
    int err = errno;
    remove();
    return fail("cannot map", err);
  }
  view.storeByte(kLoggedInOffset, 0);
  view.storeByte(kAutoGetUrlOffset, 0);
  view.storeHandle(windowHandle);
  error_.clear();
  return true;
}

bool StatusBlock::store(std::size_t offset, std::uint32_t value, std::size_t width) {
  if (fd_ < 0) {
    error_ = "the shared block \"" + name_ + "\" was not created";
    return false;
  }
  StatusBlockView view(fd_, kSize, true);
  if (!view.isMapped()) return fail("cannot map", errno);
  if (width == 4)
    view.storeHandle(value);
  else
    view.storeByte(offset, static_cast<std::uint8_t>(value));
  return true;
}

bool StatusBlock::setWindowHandle(std::uint32_t handle) { return store(0, handle, 4); }
bool StatusBlock::setLoggedIn(bool loggedIn) { return store(kLoggedInOffset, loggedIn ? 1 : 0, 1); }
bool StatusBlock::setAutoGetUrl(bool autoGetUrl) { return store(kAutoGetUrlOffset, autoGetUrl ? 1 : 0, 1); }

void StatusBlock::remove() {
  if (fd_ < 0) return;
  store(0, 0, 4);
  // Remove the name only while it still names our block.
  struct stat mine {
  }, named{};
  int fd = ::shm_open(name_.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd >= 0) {
    if (::fstat(fd_, &mine) == 0 && ::fstat(fd, &named) == 0 && mine.st_ino == named.st_ino &&
        mine.st_dev == named.st_dev)
      ::shm_unlink(name_.c_str());
    ::close(fd);
  }
  ::close(fd_);
  fd_ = -1;
}

}  // namespace platform
