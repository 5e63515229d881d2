// The program's private folders and the files in them, as another local user
// would attack them: folders made first, links planted, modes opened up.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "tests/support/TestEnv.h"

using platform::FileLock;
using platform::Registry;
namespace paths = platform::paths;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

// Sets environment variables for the life of the object, then puts them back.
class Environment {
 public:
  void set(const char* name, const std::optional<std::string>& value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

unsigned modeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
}

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A fresh LOCKMERE_HOME for one test (the runtime folder is home/run).
std::string freshHome(Environment& env) {
  const std::string home = testenv::makeTempDir("home");
  env.set("LOCKMERE_HOME", home);
  return home;
}

bool asRoot() { return ::geteuid() == 0; }

}  // namespace

TEST(PrivateDir, WithoutHomeTheFoldersComeFromThePasswordDatabaseNeverFromASharedOne) {
  Environment env;
  for (const char* name : {"HOME", "LOCKMERE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
    env.set(name, std::nullopt);
  const struct passwd* me = ::getpwuid(::geteuid());
  ASSERT_NE(me, nullptr);
  const std::string home = me->pw_dir;
  EXPECT_EQ(paths::homeDir(), home);
  EXPECT_EQ(paths::userDir(), home + "/.config/Veradynics");
  EXPECT_EQ(paths::dataDir(), home + "/.local/share/Veradynics/Lockmere");
  EXPECT_EQ(Registry::filePath(Registry::CurrentUser), home + "/.config/Veradynics/registry.sqlite");
  EXPECT_EQ(paths::runtimeDir(), "/tmp/lockmere-" + std::to_string(::geteuid()));

  env.set("HOME", "/home/elsewhere");
  EXPECT_EQ(paths::userDir(), "/home/elsewhere/.config/Veradynics");
}

TEST(PrivateDir, MissingFoldersAreCreatedPrivateWhateverTheUmask) {
  Environment env;
  const std::string base = testenv::makeTempDir("fresh");
  const std::string home = base + "/a/b/home";
  env.set("LOCKMERE_HOME", home);
  const mode_t oldMask = ::umask(0);
  const auto data = paths::privateDir(paths::Folder::Data);
  const auto profile = paths::privateDir(paths::Folder::Data, "browser/Default");
  const auto runtime = paths::privateDir(paths::Folder::Runtime);
  ::umask(oldMask);
  ASSERT_TRUE(data) << data.error;
  ASSERT_TRUE(profile) << profile.error;
  ASSERT_TRUE(runtime) << runtime.error;
  EXPECT_EQ(data.path, home + "/data");
  EXPECT_EQ(profile.path, home + "/data/browser/Default");
  for (const std::string& made :
       {base + "/a", base + "/a/b", home, home + "/data", home + "/data/browser", profile.path, runtime.path})
    EXPECT_EQ(modeOf(made), 0700u) << made;

  for (const char* bad : {"../escape", "/absolute", "a/../b", "", "./x", "x//y"}) {
    const auto refused = paths::privateDir(paths::Folder::Data, bad);
    EXPECT_FALSE(refused) << bad;
    EXPECT_TRUE(contains(refused.error, "not a subfolder")) << refused.error;
  }
  EXPECT_FALSE(fs::exists(home + "/escape"));
  EXPECT_FALSE(paths::privateDir("relative/path"));
}

TEST(PrivateDir, AFolderAnotherUserMadeFirstIsRefusedAndNothingIsCreatedInIt) {
  if (!asRoot()) GTEST_SKIP() << "needs root to make a folder of another user";
  Environment env;
  const std::string home = freshHome(env);
  const std::string run = home + "/run";
  ASSERT_EQ(::mkdir(run.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(run.c_str(), 0777), 0);
  ASSERT_EQ(::chown(run.c_str(), kNobody, kNobody), 0);

  const auto refused = paths::privateDir(paths::Folder::Runtime);
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.error, "the folder " + run + " belongs to another user (uid 65534); not using it");
  for (const char* name : {FileLock::kSingleInstance, FileLock::kSensor}) {
    FileLock lock(name);
    EXPECT_FALSE(lock.tryLock()) << name;
    EXPECT_EQ(lock.error(), refused.error);
    EXPECT_FALSE(lock.heldElsewhere());
  }
  EXPECT_TRUE(fs::is_empty(run));
  EXPECT_EQ(modeOf(run), 0777u);  // refused, not repaired
}

TEST(PrivateDir, TheUsersKeysNeverGoIntoARegistryFileOfAnotherUser) {
  if (!asRoot()) GTEST_SKIP() << "needs root to make files of another user";
  Environment env;
  // The per-user folder, made first by another user, with a registry file in it.
  const std::string folder = testenv::makeTempDir("planted") + "/Veradynics";
  const std::string planted = folder + "/registry.sqlite";
  ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
  { ASSERT_TRUE(Registry(planted, Registry::OpenMode::ReadWrite).isOpen()); }
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(planted.c_str(), 0666), 0);
  ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chown(planted.c_str(), kNobody, kNobody), 0);
  const std::string before = contents(planted);
  env.set("LOCKMERE_HOME", folder);

  Registry user(Registry::CurrentUser);
  EXPECT_FALSE(user.isOpen());
  EXPECT_TRUE(contains(user.errorString(), folder + " belongs to another user")) << user.errorString();
  auto key = user.createKey("\\Software\\Veradynics\\Lockmere\\Users\\alice");
  EXPECT_FALSE(key);
  EXPECT_EQ(contents(planted), before);
  EXPECT_FALSE(Registry(Registry::CurrentUser, Registry::OpenMode::ReadOnly).isOpen());
}

TEST(PrivateDir, ALinkInPlaceOfTheFolderIsNotFollowed) {
  Environment env;
  const std::string home = freshHome(env);
  const std::string target = testenv::makeTempDir("target");  // private and ours: only the link is wrong
  ASSERT_EQ(::symlink(target.c_str(), (home + "/run").c_str()), 0);

  const auto refused = paths::privateDir(paths::Folder::Runtime);
  EXPECT_EQ(refused.error, "the folder " + home + "/run is a symbolic link; not using it");
  FileLock lock(FileLock::kSingleInstance);
  EXPECT_FALSE(lock.tryLock());
  EXPECT_TRUE(contains(lock.error(), "symbolic link")) << lock.error();
  EXPECT_TRUE(fs::is_empty(target));
}

TEST(PrivateDir, AFolderOthersCanEnterOrChangeIsRefusedAsIs) {
  Environment env;
  const std::string home = freshHome(env);
  const std::string run = home + "/run";
  ASSERT_EQ(::mkdir(run.c_str(), 0700), 0);
  ASSERT_EQ(::chmod(run.c_str(), 0750), 0);
  EXPECT_EQ(paths::privateDir(paths::Folder::Runtime).error,
            "the folder " + run + " is open to other users (mode 0750); not using it");
  EXPECT_EQ(modeOf(run), 0750u);

  // A private folder inside a folder other users may rename things in.
  const std::string shared = testenv::makeTempDir("shared");
  ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
  env.set("LOCKMERE_HOME", shared + "/home");
  const auto inShared = paths::privateDir(paths::Folder::Config);
  EXPECT_FALSE(inShared);
  EXPECT_TRUE(contains(inShared.error, "lies in " + shared + ", which other users can change (mode 0777)"))
      << inShared.error;
  // The sticky bit (as on /tmp) keeps others from renaming what is not theirs.
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  EXPECT_TRUE(paths::privateDir(paths::Folder::Config)) << paths::privateDir(paths::Folder::Config).error;
}

TEST(PrivateFile, LinksAndFifosPlantedInPlaceOfLockFilesAreRefused) {
  Environment env;
  freshHome(env);
  const auto run = paths::privateDir(paths::Folder::Runtime);
  ASSERT_TRUE(run) << run.error;
  const std::string outside = testenv::makeTempDir("victim");
  const std::string victim = outside + "/precious";
  std::ofstream(victim) << "the user's file";
  // One link to a file that exists, one to a file the lock would create.
  ASSERT_EQ(::symlink(victim.c_str(), (run.path + "/" + FileLock::kSensor).c_str()), 0);
  ASSERT_EQ(::symlink((outside + "/created").c_str(), (run.path + "/" + FileLock::kSingleInstance).c_str()), 0);
  for (const char* name : {FileLock::kSensor, FileLock::kSingleInstance}) {
    FileLock lock(name);
    EXPECT_FALSE(lock.tryLock()) << name;
    EXPECT_EQ(lock.error(), "the file " + run.path + "/" + name + " is a symbolic link; not using it");
  }
  EXPECT_EQ(contents(victim), "the user's file");
  EXPECT_FALSE(fs::exists(outside + "/created"));

  ASSERT_EQ(::mkfifo((run.path + "/fifo.lock").c_str(), 0600), 0);
  FileLock fifo("fifo.lock");
  EXPECT_FALSE(fifo.tryLock());
  EXPECT_TRUE(contains(fifo.error(), "is not a regular file")) << fifo.error();
  std::string error;
  EXPECT_LT(paths::openPrivateFile(run.path + "/fifo.lock", O_RDONLY, &error), 0);  // returns, never waits
  EXPECT_TRUE(contains(error, "is not a regular file")) << error;
}
