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

namespace {

// Another process that takes a lock and holds it until released or killed.
class HolderProcess {
 public:
  explicit HolderProcess(const char* name) {
    int ready[2];
    if (::pipe(ready) != 0 || ::pipe(quit_) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      FileLock held(name);
      char ok = held.tryLock() ? '1' : '0';
      (void)!::write(ready[1], &ok, 1);
      char c;
      (void)!::read(quit_[0], &c, 1);
      held.unlock();
      ::_exit(0);
    }
    char ok = 0;
    holding_ = pid_ > 0 && ::read(ready[0], &ok, 1) == 1 && ok == '1';
    ::close(ready[0]);
    ::close(ready[1]);
  }
  ~HolderProcess() {
    if (pid_ > 0) kill();
    ::close(quit_[0]);
    ::close(quit_[1]);
  }
  bool holding() const { return holding_; }
  void release() { (void)!::write(quit_[1], "q", 1); }
  void kill() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int quit_[2] = {-1, -1};
  bool holding_ = false;
};

}  // namespace

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
  HolderProcess holder(FileLock::kSensor);
  ASSERT_TRUE(holder.holding());
  FileLock mine(FileLock::kSensor);
  EXPECT_TRUE(mine.heldElsewhere());
  EXPECT_FALSE(mine.tryLock());
  holder.kill();
  EXPECT_FALSE(mine.heldElsewhere());
  EXPECT_TRUE(mine.tryLock());
}

TEST(FileLock, UnopenableLockFileIsAnErrorNotAHang) {
  FileLock lock("/nonexistent-folder/x.lock");
  EXPECT_FALSE(lock.tryLock());
  EXPECT_FALSE(lock.error().empty());
  EXPECT_FALSE(lock.lock());
}

TEST(FileLock, LockWaitsForAnotherProcessToLetGo) {
  HolderProcess holder(FileLock::kSingleInstance);
  ASSERT_TRUE(holder.holding());
  std::atomic<bool> taken{false};
  std::atomic<bool> result{false};
  FileLock mine(FileLock::kSingleInstance);
  std::thread waiter([&] {
    result = mine.lock();
    taken = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(taken);  // still waiting while the other process holds it
  holder.release();
  waiter.join();
  EXPECT_TRUE(result);
  EXPECT_TRUE(mine.isLocked());
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
