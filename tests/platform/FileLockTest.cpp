#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include "platform/FileLock.h"

using platform::FileLock;

TEST(FileLock, SecondHolderIsRefusedUntilTheFirstLetsGo) {
  FileLock first("test.lock");
  FileLock second("test.lock");
  ASSERT_TRUE(first.tryLock()) << first.error();
  EXPECT_FALSE(second.tryLock());
  EXPECT_TRUE(second.heldElsewhere());
  EXPECT_FALSE(first.heldElsewhere());  // the holder itself is not "elsewhere"
  first.unlock();
  EXPECT_FALSE(second.heldElsewhere());
  EXPECT_TRUE(second.tryLock());
}

TEST(FileLock, ProbingDoesNotTakeTheLock) {
  FileLock probe("probe.lock");
  FileLock taker("probe.lock");
  ASSERT_FALSE(probe.heldElsewhere());
  // A probe between two takers must leave the lock free for the next one.
  EXPECT_TRUE(taker.tryLock());
  EXPECT_TRUE(probe.heldElsewhere());
}

TEST(FileLock, HolderKilledWithSigkillReleasesIt) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileLock held(FileLock::kSensor);
    char ok = held.tryLock() ? '1' : '0';
    (void)!::write(ready[1], &ok, 1);
    ::pause();
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, '1');
  FileLock mine(FileLock::kSensor);
  EXPECT_TRUE(mine.heldElsewhere());
  EXPECT_FALSE(mine.tryLock());
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_FALSE(mine.heldElsewhere());
  EXPECT_TRUE(mine.tryLock());
  ::close(ready[0]);
  ::close(ready[1]);
}

TEST(FileLock, UnopenableLockFileIsAnErrorNotAHang) {
  FileLock lock("/nonexistent-folder/x.lock");
  EXPECT_FALSE(lock.tryLock());
  EXPECT_FALSE(lock.error().empty());
  EXPECT_FALSE(lock.lock());
}
