#pragma once

#include <string>

namespace platform {

// An advisory lock on a file in the runtime folder. It stands in for the named
// kernel objects of the original platform (the single-instance mutex, the sensor
// sharing event): the kernel drops the lock when its holder dies, however it dies,
// so a crash can never leave it taken.
//
// The lock is per open file description: two FileLock objects in one process
// exclude each other just as two processes do.
class FileLock {
 public:
  // name: a plain file name (no slashes) inside the runtime folder, which must be
  // private (paths::privateDir), or an absolute path. The lock file is opened
  // without following a symbolic link and must be a regular file of this user.
  explicit FileLock(std::string name);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Takes the lock without waiting. False when another holder has it or the
  // lock file cannot be opened (then error() says why).
  bool tryLock();
  // Waits until the lock is free, then takes it. False only on an I/O error.
  bool lock();
  void unlock();
  bool isLocked() const { return fd_ >= 0; }

  // True when some other holder has the lock right now. Tests without taking it,
  // so a probe never makes another holder's tryLock fail.
  bool heldElsewhere();
  // After a failed tryLock(): whether it failed because another holder has the
  // lock (rather than because the lock file could not be opened).
  bool wasHeldElsewhere() const { return heldByOther_; }

  const std::string& path() const { return path_; }
  const std::string& error() const { return error_; }

  // Well-known locks of the system.
  static constexpr const char* kSingleInstance = "Lockmere.instance.lock";
  static constexpr const char* kSensor = "NOSHARECHECK.lock";

 private:
  int openFile();
  bool acquire(bool wait);

  bool inRuntimeDir_;
  std::string path_;
  std::string error_;
  bool heldByOther_ = false;
  int fd_ = -1;
};

}  // namespace platform
