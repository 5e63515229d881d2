#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>

#include "platform/StatusBlock.h"
#include "platform/StatusBlockReader.h"

using platform::StatusBlock;
using platform::StatusBlockReader;

namespace {

// A name of its own for every test, so that neither a running Lockmere nor a
// parallel test is touched.
std::string uniqueName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return "/lockmere-test-" + std::to_string(::getpid()) + "-" + info->name();
}

std::string rawBytes(const std::string& name) {
  int fd = ::shm_open(name.c_str(), O_RDONLY, 0);
  if (fd < 0) return "<missing>";
  char buf[16];
  ssize_t n = ::pread(fd, buf, sizeof buf, 0);
  ::close(fd);
  return n < 0 ? "<unreadable>" : std::string(buf, static_cast<std::size_t>(n));
}

bool mappedInThisProcess(const std::string& name) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.find("/dev/shm" + name) != std::string::npos) return true;
  return false;
}

}  // namespace

TEST(StatusBlock, NameComesFromTheEnvironmentOrIsTheSystemsOwnAndCarriesTheUser) {
  const std::string uid = std::to_string(::geteuid());
  ::unsetenv("LOCKMERE_SHM_NAME");
  EXPECT_EQ(StatusBlock::defaultName(), "/Lockmere Memory Maped IO." + uid);
  EXPECT_EQ(StatusBlock::nameForUser(1000), "/Lockmere Memory Maped IO.1000");
  EXPECT_EQ(StatusBlockReader().name(), StatusBlock::defaultName());
  ::setenv("LOCKMERE_SHM_NAME", "lockmere-other", 1);
  EXPECT_EQ(StatusBlock::defaultName(), "/lockmere-other." + uid);
  ::unsetenv("LOCKMERE_SHM_NAME");
  EXPECT_EQ(StatusBlock::normalizedName("/a/b"), "");
  EXPECT_EQ(StatusBlock::normalizedName(std::string(300, 'x')), "");
  StatusBlock bad("/a/b");
  EXPECT_FALSE(bad.create(1));
  EXPECT_FALSE(bad.errorString().empty());
}

TEST(StatusBlock, CreationWritesTheHandleAndClearsBothFlagsInTheFixedLayout) {
  const std::string name = uniqueName();
  StatusBlock block(name);
  ASSERT_TRUE(block.create(0x11223344u)) << block.errorString();
  EXPECT_EQ(rawBytes(name), std::string("\x44\x33\x22\x11\x00\x00", 6));
  ASSERT_TRUE(block.setLoggedIn(true));
  ASSERT_TRUE(block.setAutoGetUrl(true));
  EXPECT_EQ(rawBytes(name), std::string("\x44\x33\x22\x11\x01\x01", 6));
  ASSERT_TRUE(block.setLoggedIn(false));
  ASSERT_TRUE(block.setWindowHandle(0xFFFFFFFEu));
  EXPECT_EQ(rawBytes(name), std::string("\xFE\xFF\xFF\xFF\x00\x01", 6));

  struct stat st {};
  ASSERT_EQ(::stat(("/dev/shm" + name).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_size, 6);
}

TEST(StatusBlock, NoViewStaysMappedBetweenWrites) {
  const std::string name = uniqueName();
  StatusBlock block(name);
  ASSERT_TRUE(block.create(7));
  EXPECT_FALSE(mappedInThisProcess(name));
  ASSERT_TRUE(block.setLoggedIn(true));
  EXPECT_FALSE(mappedInThisProcess(name));
  StatusBlockReader reader(name);
  ASSERT_TRUE(reader.read());
  EXPECT_FALSE(mappedInThisProcess(name));

  // The probe itself sees a view that is left mapped.
  int fd = ::shm_open(name.c_str(), O_RDONLY, 0);
  void* view = ::mmap(nullptr, 6, PROT_READ, MAP_SHARED, fd, 0);
  ASSERT_NE(view, MAP_FAILED);
  EXPECT_TRUE(mappedInThisProcess(name));
  ::munmap(view, 6);
  ::close(fd);
}

TEST(StatusBlock, AnotherProcessReadsEveryChange) {
  const std::string name = uniqueName();
  StatusBlock block(name);
  ASSERT_TRUE(block.create(0x00010203u));
  int toChild[2], toParent[2];
  ASSERT_EQ(::pipe(toChild), 0);
  ASSERT_EQ(::pipe(toParent), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::close(toChild[1]);  // so that the parent's close ends the loop
    StatusBlockReader reader(name);
    char step;
    // Reports handle, logged in and AutoGetIEURL after each change the parent makes.
    while (::read(toChild[0], &step, 1) == 1) {
      auto s = reader.read();
      std::string line = s ? std::to_string(s->windowHandle) + " " + std::to_string(s->loggedIn) + " " +
                                 std::to_string(s->autoGetUrl) + "\n"
                           : "none\n";
      if (::write(toParent[1], line.data(), line.size()) < 0) ::_exit(1);
    }
    ::_exit(0);
  }
  auto ask = [&] {
    char buf[64];
    if (::write(toChild[1], "x", 1) != 1) return std::string("write failed");
    ssize_t n = ::read(toParent[0], buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string("read failed");
  };
  EXPECT_EQ(ask(), "66051 0 0\n");
  block.setLoggedIn(true);
  block.setAutoGetUrl(true);
  EXPECT_EQ(ask(), "66051 1 1\n");
  block.setLoggedIn(false);  // logout clears both
  block.setAutoGetUrl(false);
  EXPECT_EQ(ask(), "66051 0 0\n");
  block.remove();
  EXPECT_EQ(ask(), "none\n");
  ::close(toChild[1]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(StatusBlock, RemovalAtExitZeroesTheHandleForReadersStillAttached) {
  const std::string name = uniqueName();
  int early = -1;
  {
    StatusBlock block(name);
    ASSERT_TRUE(block.create(42));
    block.setLoggedIn(true);
    early = ::shm_open(name.c_str(), O_RDONLY, 0);
    ASSERT_GE(early, 0);
  }  // the destructor removes it
  EXPECT_EQ(rawBytes(name), "<missing>");
  char buf[6];
  ASSERT_EQ(::pread(early, buf, 6, 0), 6);
  EXPECT_EQ(std::string(buf, 4), std::string(4, '\0'));
  ::close(early);
  StatusBlockReader reader(name);
  EXPECT_FALSE(reader.read());
  EXPECT_NE(reader.errorString().find("not running"), std::string::npos) << reader.errorString();
}

TEST(StatusBlock, ABlockLeftByACrashedRunIsTakenOverAndReset) {
  const std::string name = uniqueName();
  int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ::fchmod(fd, 0644);
  const std::string junk(32, '\x7F');
  ASSERT_EQ(::pwrite(fd, junk.data(), junk.size(), 0), 32);
  ::close(fd);
  StatusBlock block(name);
  ASSERT_TRUE(block.create(9)) << block.errorString();
  EXPECT_EQ(rawBytes(name), std::string("\x09\x00\x00\x00\x00\x00", 6));
  struct stat st {};
  ASSERT_EQ(::stat(("/dev/shm" + name).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(StatusBlock, RemovingLeavesANewerBlockOfTheSameNameAlone) {
  const std::string name = uniqueName();
  StatusBlock first(name);
  ASSERT_TRUE(first.create(1));
  ::shm_unlink(name.c_str());
  StatusBlock second(name);
  ASSERT_TRUE(second.create(2));
  first.remove();
  auto s = StatusBlockReader(name).read();
  ASSERT_TRUE(s);
  EXPECT_EQ(s->windowHandle, 2u);
}

TEST(StatusBlock, ReaderRefusesBlocksItCannotTrust) {
  const std::string name = uniqueName();
  int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 3), 0);
  StatusBlockReader reader(name);
  EXPECT_FALSE(reader.read());
  EXPECT_NE(reader.errorString().find("too small"), std::string::npos);
  ASSERT_EQ(::ftruncate(fd, 6), 0);
  EXPECT_TRUE(reader.read());
  if (::geteuid() == 0) {
    // A block planted by another user: neither trusted nor taken over.
    ASSERT_EQ(::fchown(fd, 65534, 65534), 0);
    EXPECT_FALSE(reader.read());
    EXPECT_NE(reader.errorString().find("another user"), std::string::npos);
    StatusBlock block(name);
    EXPECT_FALSE(block.create(5));
    EXPECT_NE(block.errorString().find("another user"), std::string::npos) << block.errorString();
  }
  ::close(fd);
  ::shm_unlink(name.c_str());
}

TEST(StatusBlock, WritesBeforeCreationFailCleanly) {
  StatusBlock block(uniqueName());
  EXPECT_FALSE(block.setLoggedIn(true));
  EXPECT_FALSE(block.errorString().empty());
  block.remove();  // nothing to remove: no effect
}

TEST(StatusBlock, AnotherUsersBlocksDoNotKeepThisUsersProgramFromCreatingItsOwn) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  const std::string base = uniqueName();
  ::setenv("LOCKMERE_SHM_NAME", base.c_str(), 1);
  // Another user runs the program first, and plants the design's single name too.
  const pid_t other = ::fork();
  if (other == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(10);
    auto* theirs = new StatusBlock;  // left in place: that program is still running
    if (!theirs->create(7)) ::_exit(11);
    ::_exit(::shm_open(base.c_str(), O_RDWR | O_CREAT, 0644) >= 0 ? 0 : 12);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(other, &status, 0), other);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

  StatusBlock mine;
  EXPECT_TRUE(mine.create(42)) << mine.errorString();
  auto seen = StatusBlockReader().read();
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->windowHandle, 42u);
  EXPECT_FALSE(StatusBlockReader(StatusBlock::nameForUser(65534)).read());  // theirs is not trusted
  mine.remove();
  ::shm_unlink(base.c_str());
  ::shm_unlink(StatusBlock::nameForUser(65534).c_str());
  ::unsetenv("LOCKMERE_SHM_NAME");
}
