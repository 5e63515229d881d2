#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "lockmere/store/UserStore.h"
#include "platform/AtomicFile.h"
#include "tests/store/StoreFixture.h"

using namespace store;
using storetest::readAll;
using storetest::TestUser;

namespace {

// Version v of the store: v sites whose fields all say v, so that a load
// tells whether it got a whole version.
void makeVersion(UserStore& s, int v) {
  s.sites().RegSites().clear();
  for (int i = 0; i < v; ++i) {
    TRegSiteCollItem& site = s.sites().RegSites().add();
    site.Name = std::string("v").append(std::to_string(v));
    site.Description = std::string(300, static_cast<char>('a' + v % 26));
  }
}

int wholeVersion(UserStore& s) {
  const TRegSiteCollection& sites = s.sites().RegSites();
  const int v = sites.count();
  for (int i = 0; i < v; ++i)
    if (sites[i].Name != std::string("v").append(std::to_string(v)) ||
        sites[i].Description != std::string(300, static_cast<char>('a' + v % 26)))
      return -1;
  return v;
}

}  // namespace

namespace {

// What the file system shows of the data file and its folder: a change means
// a save is under way (a temporary file appeared or went, the file changed).
struct Snapshot {
  ino_t inode = 0;
  off_t size = 0;
  long mtime = 0;
  int entries = 0;
  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const std::string& path, const std::string& dir) {
  Snapshot s;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtime = st.st_mtim.tv_nsec ^ st.st_mtim.tv_sec;
  }
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(dir, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec))
    ++s.entries;
  return s;
}

}  // namespace

TEST(CrashSafety, KilledDuringSavesTheFileIsAlwaysAWholeVersion) {
  const std::string dir = testenv::makeTempDir("crash");
  TestUser u("crash", "pw", 2, TemplateRecords::kRecordSize, dir);
  {
    UserStore s(u.id, u.path, u.dataKey);
    ASSERT_TRUE(s.load());
    makeVersion(s, 1000);
    ASSERT_TRUE(s.save());
  }
  std::mt19937 rng(12345);
  int changed = 0;
  const int rounds = 60;
  for (int round = 0; round < rounds; ++round) {
    const std::string before = readAll(u.path);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Save versions one after the other, larger and smaller by turns, until killed.
      ::close(ready[0]);
      UserStore s(u.id, u.path, u.dataKey);
      if (!s.load()) ::_exit(3);
      if (::write(ready[1], "r", 1) != 1) ::_exit(5);
      for (int k = 0;; ++k) {
        makeVersion(s, (k % 2 ? 1000 : 600) + round);
        if (!s.save()) ::_exit(4);
      }
    }
    ::close(ready[1]);
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);
    // Kill at a random moment while a save shows on disk: after a random
    // number of changes, and a random few microseconds later.
    const int changesToSee = std::uniform_int_distribution<int>(1, 8)(rng);
    const int extraMicros = std::uniform_int_distribution<int>(0, 400)(rng);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    Snapshot last = snapshot(u.path, dir);
    for (int seen = 0; seen < changesToSee && std::chrono::steady_clock::now() < deadline;) {
      const Snapshot now = snapshot(u.path, dir);
      if (!(now == last)) ++seen;
      last = now;
      std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::microseconds(extraMicros));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself: " << WEXITSTATUS(status);

    UserStore check(u.id, u.path, u.dataKey);
    ASSERT_TRUE(check.load()) << "round " << round << ": " << check.errorString();
    ASSERT_GE(wholeVersion(check), 600) << "round " << round << ": a mixed store";
    changed += readAll(u.path) != before;
  }
  // Most kills land after at least one save was complete.
  EXPECT_GT(changed, rounds / 3);
}

TEST(AtomicFile, FailedWriteLeavesTheOldFileAndNoTemporary) {
  const std::string dir = testenv::makeTempDir("atomic");
  const std::string path = dir + "/file";
  ASSERT_TRUE(platform::AtomicFile::writeFile(path, "old contents"));
  // A write that runs into the file size limit (a full disk behaves alike).
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    const bool ok = platform::AtomicFile::writeFile(path, std::string(100000, 'n'), 0600, &error);
    ::_exit(ok ? 1 : (error.find("cannot write") != std::string::npos ? 0 : 2));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(readAll(path), "old contents");

  // Renaming over a folder fails at commit: the folder and nothing else remain.
  const std::string folder = dir + "/folder";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  std::string error;
  EXPECT_FALSE(platform::AtomicFile::writeFile(folder, "x", 0600, &error));
  EXPECT_FALSE(error.empty());

  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 2);  // file and folder, no temporaries
}

TEST(AtomicFile, AbandonedWriteNeverTouchesTheTarget) {
  const std::string dir = testenv::makeTempDir("atomic");
  const std::string path = dir + "/file";
  ASSERT_TRUE(platform::AtomicFile::writeFile(path, "old", 0644));
  {
    platform::AtomicFile f(path);
    ASSERT_TRUE(f.open());
    ASSERT_TRUE(f.write("new"));
    EXPECT_EQ(readAll(path), "old");
  }  // no commit
  EXPECT_EQ(readAll(path), "old");
  platform::AtomicFile f(path, 0640);
  ASSERT_TRUE(f.open());
  ASSERT_TRUE(f.write("new"));
  ASSERT_TRUE(f.commit());
  EXPECT_EQ(readAll(path), "new");
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_FALSE(f.commit());  // once only
}
