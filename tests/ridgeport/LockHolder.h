#pragma once

#include <sys/types.h>
#include <string>

namespace ridgeport::test {

// Another program using the sensor: a ridgeport-sim hold-lock process.
class LockHolder {
 public:
  LockHolder();  // returns once the process holds the sensor lock
  ~LockHolder();
  void release();
  void take();

 private:
  void say(const char* line);
  std::string hear();

  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
};

}  // namespace ridgeport::test
