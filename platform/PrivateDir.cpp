// The checks behind paths::privateDir() and paths::openPrivateFile().
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <unordered_map>
#include <vector>

#include "platform/Paths.h"

namespace platform::paths {
namespace {

std::string octal(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

PrivateDir refuse(const std::string& path, const std::string& why) {
  return {{}, "the folder " + path + " " + why + "; not using it"};
}

// Every folder above ours must be safe from other users: were one of them able
// to rename entries there, our checked folder could be swapped after the check.
// Root's folders and ours are fine; a folder others may write is fine only with
// the sticky bit (as /tmp), which keeps them from renaming what is not theirs.
bool ancestorsSafe(const std::string& parent, std::string& why) {
  char resolved[PATH_MAX];
  if (!::realpath(parent.c_str(), resolved)) {
    why = "cannot be reached: " + std::string(std::strerror(errno));
    return false;
  }
  const std::string path = resolved;
  std::vector<std::string> folders{"/"};
  for (std::size_t start = 1; start < path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    folders.push_back(path.substr(0, end));
    start = end + 1;
  }
  for (const std::string& folder : folders) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
      why = "cannot be reached: " + std::string(std::strerror(errno));
      return false;
    }
    if (st.st_uid != 0 && st.st_uid != ::geteuid()) {
      why = "lies in " + folder + ", which belongs to another user (uid " + std::to_string(st.st_uid) + ")";
      return false;
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0) {
      why = "lies in " + folder + ", which other users can change (mode " + octal(st.st_mode) + ")";
      return false;
    }
  }
  return true;
}

// Folders that passed the whole check, by path. Locks are taken many times a
// second (every sensor transfer): a folder seen before only needs to be the same
// folder, opened without following a link, still ours and closed to others. Its
// ancestors were found safe the first time; only root or the user could change
// them since.
struct Identity {
  dev_t device;
  ino_t inode;
};

std::mutex& checkedMutex() {
  static std::mutex mutex;
  return mutex;
}

std::unordered_map<std::string, Identity>& checked() {
  static std::unordered_map<std::string, Identity> folders;
  return folders;
}

bool isPrivateFolder(const struct stat& st) {
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

bool checkedBefore(const std::string& path) {
  Identity known{};
  {
    std::lock_guard guard(checkedMutex());
    auto it = checked().find(path);
    if (it == checked().end()) return false;
    known = it->second;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  const bool same =
      ::fstat(fd, &st) == 0 && st.st_dev == known.device && st.st_ino == known.inode && isPrivateFolder(st);
  ::close(fd);
  return same;
}

// The folder itself, opened without following a symbolic link.
bool folderIsPrivate(int parentFd, const std::string& leaf, std::string& why, Identity& identity) {
  struct stat st {};
  if (::fstatat(parentFd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    why = errno == ENOENT ? "does not exist" : "cannot be examined: " + std::string(std::strerror(errno));
    return false;
  }
  if (S_ISLNK(st.st_mode)) {
    why = "is a symbolic link";
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    why = "is not a folder";
    return false;
  }
  const int fd = ::openat(parentFd, leaf.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    why = "cannot be opened: " + std::string(std::strerror(errno));
    return false;
  }
  const bool examined = ::fstat(fd, &st) == 0;
  ::close(fd);
  if (!examined) {
    why = "cannot be examined: " + std::string(std::strerror(errno));
    return false;
  }
  if (st.st_uid != ::geteuid()) {
    why = "belongs to another user (uid " + std::to_string(st.st_uid) + ")";
    return false;
  }
  if ((st.st_mode & 077) != 0) {
    why = "is open to other users (mode " + octal(st.st_mode) + ")";
    return false;
  }
  identity = {st.st_dev, st.st_ino};
  return true;
}

bool isPlainPart(std::string_view part) { return !part.empty() && part != "." && part != ".."; }

bool isRelativePlainPath(std::string_view path) {
  if (path.empty() || path.front() == '/') return false;
  for (std::size_t start = 0; start <= path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    if (!isPlainPart(path.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

PrivateDir privateDir(Folder folder) {
  const std::string path = location(folder);
  if (path.empty())
    return {{},
            "no home folder is known for this user (uid " + std::to_string(::geteuid()) +
                "): set HOME; not using a shared folder instead"};
  return privateDir(path, true);
}

PrivateDir privateDir(Folder folder, std::string_view subfolder) {
  PrivateDir base = privateDir(folder);
  if (!base) return base;
  if (!isRelativePlainPath(subfolder)) return refuse(base.path + "/" + std::string(subfolder), "is not a subfolder");
  // Each level in turn, so that every one of them is checked.
  for (std::size_t end = subfolder.find('/');; end = subfolder.find('/', end + 1)) {
    PrivateDir level = privateDir(base.path + "/" + std::string(subfolder.substr(0, end)), true);
    if (!level || end == std::string_view::npos) return level;
  }
}

PrivateDir privateDir(const std::string& given, bool create) {
  if (given.empty() || given.front() != '/') return refuse("\"" + given + "\"", "is not an absolute path");
  std::string path = given;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  const std::string parent = slash == 0 ? std::string("/") : path.substr(0, slash);
  const std::string leaf = path.substr(slash + 1);
  if (!isPlainPart(leaf)) return refuse(path, "is not a folder name");
  if (checkedBefore(path)) return {path, {}};

  if (create && !makeDirs(parent, 0700)) return refuse(path, "cannot be created: " + std::string(std::strerror(errno)));
  const int parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parentFd < 0)
    return refuse(path, errno == ENOENT ? "does not exist" : "cannot be reached: " + std::string(std::strerror(errno)));
  std::string why;
  bool ok = ancestorsSafe(parent, why);
  if (ok && create && ::mkdirat(parentFd, leaf.c_str(), 0700) != 0 && errno != EEXIST) {
    why = "cannot be created: " + std::string(std::strerror(errno));
    ok = false;
  }
  Identity identity{};
  ok = ok && folderIsPrivate(parentFd, leaf, why, identity);
  ::close(parentFd);
  if (!ok) return refuse(path, why);
  std::lock_guard guard(checkedMutex());
  checked()[path] = identity;
  return {path, {}};
}

int openPrivateFile(const std::string& path, int flags, std::string* error, unsigned mode) {
  // O_NONBLOCK: opening a FIFO planted in place of the file must not wait for a writer.
  const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, static_cast<mode_t>(mode));
  auto fail = [&](int err, const std::string& why) {
    if (error) *error = "the file " + path + " " + why + "; not using it";
    errno = err;
    return -1;
  };
  if (fd < 0) {
    const int err = errno;
    return fail(
        err, err == ELOOP ? std::string("is a symbolic link") : "cannot be opened: " + std::string(std::strerror(err)));
  }
  struct stat st {};
  int err = 0;
  std::string why;
  if (::fstat(fd, &st) != 0) {
    err = errno;
    why = "cannot be examined: " + std::string(std::strerror(err));
  } else if (!S_ISREG(st.st_mode)) {
    err = EINVAL;
    why = "is not a regular file";
  } else if (st.st_uid != ::geteuid()) {
    err = EPERM;
    why = "belongs to another user (uid " + std::to_string(st.st_uid) + ")";
  }
  if (err != 0) {
    ::close(fd);
    return fail(err, why);
  }
  if ((flags & O_NONBLOCK) == 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

void warnOnce(const std::string& message) {
  static std::mutex mutex;
  static std::set<std::string> said;
  std::lock_guard guard(mutex);
  if (!said.insert(message).second) return;
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, message.c_str());
}

}  // namespace platform::paths
