#include "tests/ridgeport/LockHolder.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/TestEnv.h"

extern char** environ;

namespace ridgeport::test {

LockHolder::LockHolder() {
  int in[2], out[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0) {
    ADD_FAILURE() << "pipe";
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  const std::string program = testenv::binDir() + "/ridgeport-sim";
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("hold-lock"), nullptr};
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) {
    ADD_FAILURE() << "cannot start " << program;
    pid_ = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  toChild_ = in[1];
  fromChild_ = out[0];
  EXPECT_EQ(hear(), "held");
}

LockHolder::~LockHolder() {
  ::close(toChild_);  // end of input ends the holder
  if (pid_ > 0) {
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  ::close(fromChild_);
}

void LockHolder::say(const char* line) {
  std::string text = std::string(line) + "\n";
  ASSERT_EQ(::write(toChild_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

std::string LockHolder::hear() {
  std::string line;
  char c;
  while (::read(fromChild_, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

void LockHolder::release() {
  say("release");
  EXPECT_EQ(hear(), "released");
}

void LockHolder::take() {
  say("take");
  EXPECT_EQ(hear(), "held");
}

}  // namespace ridgeport::test
