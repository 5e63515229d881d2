#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

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

TEST(FileLock, LockWaitsForAnotherProcessToLetGo) {
  int ready[2], quit[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(quit), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileLock held(FileLock::kSingleInstance);
    char ok = held.tryLock() ? '1' : '0';
    (void)!::write(ready[1], &ok, 1);
    char c;
    (void)!::read(quit[0], &c, 1);
    held.unlock();
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, '1');
  std::atomic<bool> taken{false};
  std::atomic<bool> result{false};
  FileLock mine(FileLock::kSingleInstance);
  std::thread waiter([&] {
    result = mine.lock();
    taken = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(taken);  // still waiting while the other process holds it
  (void)!::write(quit[1], "q", 1);
  waiter.join();
  EXPECT_TRUE(result);
  EXPECT_TRUE(mine.isLocked());
  int status = 0;
  ::waitpid(child, &status, 0);
  for (int fd : {ready[0], ready[1], quit[0], quit[1]}) ::close(fd);
}

TEST(FileLock, AProgramStartedByTheHolderDoesNotKeepTheLock) {
  FileLock held(FileLock::kSensor);
  ASSERT_TRUE(held.tryLock());
  // A browser or tool started while the lock is held must not inherit it.
  pid_t child = 0;
  char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("30"), nullptr};
  ASSERT_EQ(::posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ), 0);
  held.unlock();
  FileLock other(FileLock::kSensor);
  EXPECT_FALSE(other.heldElsewhere());
  EXPECT_TRUE(other.tryLock());
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}
