#include "platform/StatusBlockReader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/StatusBlockView.h"

namespace platform {

StatusBlockReader::StatusBlockReader(std::string name) : name_(StatusBlock::normalizedName(name)) {}

std::optional<StatusBlockData> StatusBlockReader::read() {
  const std::string block = "the shared block \"" + name_ + "\"";
  if (name_.empty()) {
    error_ = "unusable name for the shared block";
    return std::nullopt;
  }
  int fd = ::shm_open(name_.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) {
    error_ = errno == ENOENT ? "Lockmere is not running (" + block + " does not exist)"
                             : "cannot open " + block + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::optional<StatusBlockData> data;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error_ = "cannot read " + block + ": " + std::strerror(errno);
  } else if (st.st_uid != ::geteuid()) {
    error_ = block + " belongs to another user";
  } else if (st.st_size < static_cast<off_t>(StatusBlock::kSize)) {
    error_ = block + " is too small";
  } else {
    StatusBlockView view(fd, StatusBlock::kSize, false);
    if (!view.isMapped()) {
      error_ = "cannot map " + block + ": " + std::strerror(errno);
    } else {
      data = StatusBlockData{view.loadHandle(), view.loadByte(StatusBlock::kLoggedInOffset) != 0,
                             view.loadByte(StatusBlock::kAutoGetUrlOffset) != 0};
      error_.clear();
    }
  }
  ::close(fd);
  return data;
}

}  // namespace platform
