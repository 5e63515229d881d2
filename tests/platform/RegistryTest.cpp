#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include "platform/Registry.h"
#include "platform/RegistryTransaction.h"
#include "tests/support/TestEnv.h"

using platform::Registry;
using platform::RegistryKey;
using platform::RegistryStatus;
using platform::RegistryType;

namespace {

// "v" + std::to_string(n), in a form GCC 12 does not warn about at -O2.
std::string numbered(std::string prefix, int n) {
  prefix += std::to_string(n);
  return prefix;
}

std::string freshFile() { return testenv::makeTempDir("reg") + "/registry.sqlite"; }

RegistryKey create(Registry& reg, std::string_view path) {
  auto key = reg.createKey(path);
  EXPECT_TRUE(key) << key.errorString();
  return key.value();
}

std::vector<std::string> names(const platform::RegistryValue<std::vector<std::string>>& list) {
  EXPECT_TRUE(list) << list.errorString();
  return list.value();
}

unsigned modeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// Runs body in a forked child and returns its exit code (128 + signal when killed).
int runInChild(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace

TEST(Registry, KeyNamesAreCaseInsensitiveAndKeepTheirCase) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  ASSERT_TRUE(reg.isOpen()) << reg.errorString();
  create(reg, "\\Software\\Veradynics\\Lockmere\\Users\\Alice");

  auto other = reg.openKey("software\\VERADYNICS\\lockmere\\users\\ALICE");
  ASSERT_TRUE(other) << other.errorString();
  EXPECT_EQ(other.value().path(), "\\Software\\Veradynics\\Lockmere\\Users\\Alice");
  EXPECT_EQ(other.value().name(), "Alice");

  // Creating with another case opens the same key instead of adding a second one.
  auto again = reg.createKey("SOFTWARE\\veradynics\\LOCKMERE\\USERS\\alice");
  ASSERT_TRUE(again);
  EXPECT_EQ(again.value().path(), "\\Software\\Veradynics\\Lockmere\\Users\\Alice");
  EXPECT_EQ(names(reg.openKey("\\Software\\Veradynics\\Lockmere\\Users").value().subkeyNames()),
            std::vector<std::string>{"Alice"});

  // Values likewise: a rewrite under another case keeps the first name.
  ASSERT_TRUE(other.value().writeString("DataFile", "/home/alice/a.dat"));
  ASSERT_TRUE(again.value().writeString("DATAFILE", "/home/alice/b.dat"));
  EXPECT_EQ(other.value().readString("datafile").value(), "/home/alice/b.dat");
  EXPECT_EQ(names(other.value().valueNames()), std::vector<std::string>{"DataFile"});
}

TEST(Registry, LettersBeyondAsciiFoldToo) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  create(reg, "Users\\Müller");
  create(reg, "Users\\Σοφία");
  create(reg, "Users\\Иван");
  create(reg, "Users\\홍길동");
  create(reg, "Users\\straße");
  EXPECT_TRUE(reg.keyExists("USERS\\MÜLLER"));
  EXPECT_TRUE(reg.keyExists("users\\ΣΟΦΊΑ"));
  EXPECT_TRUE(reg.keyExists("users\\ИВАН"));
  EXPECT_TRUE(reg.keyExists("users\\홍길동"));
  EXPECT_FALSE(reg.keyExists("users\\STRASSE"));  // one character for one: no expansion
  EXPECT_EQ(names(reg.openKey("users").value().subkeyNames()).size(), 5u);
}

TEST(Registry, SubkeysAreListedInCaseInsensitiveOrder) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  for (const char* n : {"bob", "Émile", "charlie", "Alice", "ALBERT", "a_b", "ab", "émile"})
    create(reg, "U\\" + std::string(n));
  auto listed = names(reg.openKey("U").value().subkeyNames());
  // Compared upper-cased, character by character: "_" sorts after the letters.
  EXPECT_EQ(listed, (std::vector<std::string>{"ab", "ALBERT", "Alice", "a_b", "bob", "charlie", "Émile"}));
  EXPECT_TRUE(reg.openKey("U").value().hasSubkeys().value());
  EXPECT_FALSE(reg.openKey("U\\bob").value().hasSubkeys().value());
}

TEST(Registry, PathsAcceptTheSystemsFormsAndRefuseBadOnes) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  create(reg, "Software\\Veradynics");
  EXPECT_TRUE(reg.keyExists("\\Software\\Veradynics"));
  EXPECT_TRUE(reg.keyExists("\\Software\\Veradynics\\"));  // "...\Users\" + an empty ID names the key itself
  EXPECT_EQ(reg.openKey("\\").value().path(), "\\");

  for (std::string bad : {std::string("a\\\\b"), std::string("\\\\a"), std::string(256, 'x'), std::string("bad\xC3"),
                          std::string("nul\0x", 5)}) {
    auto r = reg.createKey(bad);
    EXPECT_EQ(r.status(), RegistryStatus::InvalidArgument) << bad;
    EXPECT_FALSE(r.errorString().empty());
  }
  EXPECT_TRUE(reg.createKey(std::string(255, 'x')));
  EXPECT_EQ(names(reg.rootKey().subkeyNames()).size(), 2u);  // nothing half-created by the refused paths
}

TEST(Registry, OpenWithoutCreateLeavesMissingKeysMissing) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  auto missing = reg.openKey("\\Software\\Veradynics\\Lockmere\\Users\\nobody");
  EXPECT_EQ(missing.status(), RegistryStatus::NotFound);
  EXPECT_NE(missing.errorString().find("Users\\nobody"), std::string::npos);
  EXPECT_FALSE(reg.keyExists("\\Software"));  // no parent was created on the way
  RegistryKey users = create(reg, "\\Software\\Veradynics\\Lockmere\\Users");
  EXPECT_FALSE(users.keyExists("nobody"));
  auto alice = users.createKey("alice\\sub");
  ASSERT_TRUE(alice);
  EXPECT_EQ(alice.value().path(), "\\Software\\Veradynics\\Lockmere\\Users\\alice\\sub");
}

TEST(Registry, ReadsTellAbsentFromEmptyFromAnotherType) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  RegistryKey key = create(reg, "\\Software\\Veradynics\\Lockmere");

  EXPECT_EQ(key.readString("LastLoginID").status(), RegistryStatus::NotFound);
  EXPECT_EQ(key.readString("LastLoginID").valueOr("fallback"), "fallback");
  ASSERT_TRUE(key.writeString("LastLoginID", ""));
  auto empty = key.readString("LastLoginID");
  EXPECT_TRUE(empty);
  EXPECT_EQ(empty.value(), "");

  ASSERT_TRUE(key.writeInteger("LastWindowLeft", -12));
  auto asString = key.readString("LastWindowLeft");
  EXPECT_EQ(asString.status(), RegistryStatus::WrongType);
  EXPECT_NE(asString.errorString().find("integer"), std::string::npos);
  EXPECT_EQ(key.readBinary("LastWindowLeft").status(), RegistryStatus::WrongType);
  EXPECT_EQ(key.readInteger("LastLoginID").status(), RegistryStatus::WrongType);
  EXPECT_EQ(key.readBool("LastLoginID").valueOr(true), true);
  EXPECT_EQ(key.valueType("LastWindowLeft").value(), RegistryType::Integer);
  EXPECT_EQ(key.valueType("Nothing").status(), RegistryStatus::NotFound);

  ASSERT_TRUE(key.writeBinary("ALData", std::vector<std::uint8_t>{}));
  EXPECT_TRUE(key.readBinary("ALData"));
  EXPECT_TRUE(key.readBinary("ALData").value().empty());
}

TEST(Registry, ValuesKeepTheirExactContent) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  RegistryKey key = create(reg, "K");
  for (std::int32_t v : {0, 1, -1, 9999, INT32_MIN, INT32_MAX}) {
    ASSERT_TRUE(key.writeInteger("AutoLogoutTime", v));
    EXPECT_EQ(key.readInteger("AutoLogoutTime").value(), v);
  }
  ASSERT_TRUE(key.writeInteger("Flag", 2));
  EXPECT_TRUE(key.readBool("Flag").value());  // any non-zero is true
  ASSERT_TRUE(key.writeBool("Flag", false));
  EXPECT_EQ(key.readInteger("Flag").value(), 0);

  std::vector<std::uint8_t> block(4096);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
  ASSERT_TRUE(key.writeBinary("Key1", block));
  EXPECT_EQ(key.readBinary("Key1").value(), block);

  const std::string text = "C:/홍길동/데이터 파일.dat \t\"quoted\"";
  ASSERT_TRUE(key.writeString("DataFile", text));
  EXPECT_EQ(key.readString("DataFile").value(), text);

  // A value may change its type when rewritten.
  ASSERT_TRUE(key.writeString("Key1", "now text"));
  EXPECT_EQ(key.readString("Key1").value(), "now text");
}

TEST(Registry, RefusedWritesLeaveTheOldValue) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  RegistryKey key = create(reg, "K");
  ASSERT_TRUE(key.writeString("Name", "old"));
  EXPECT_EQ(key.writeString("Name", std::string("a\0b", 3)).status(), RegistryStatus::InvalidArgument);
  std::vector<std::uint8_t> huge((1 << 20) + 1);
  EXPECT_EQ(key.writeBinary("Name", huge).status(), RegistryStatus::InvalidArgument);
  EXPECT_EQ(key.readString("Name").value(), "old");
  EXPECT_EQ(key.writeString(std::string(16384, 'v'), "x").status(), RegistryStatus::InvalidArgument);
  EXPECT_EQ(key.writeBinary("Null", nullptr, 3).status(), RegistryStatus::InvalidArgument);
  EXPECT_EQ(RegistryKey().writeString("x", "y").status(), RegistryStatus::InvalidArgument);
}

TEST(Registry, TheUnnamedDefaultValueIsAValueOfItsOwn) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  RegistryKey key = create(reg, "K");
  EXPECT_EQ(key.readString("").status(), RegistryStatus::NotFound);  // not set until written
  EXPECT_TRUE(names(key.valueNames()).empty());
  ASSERT_TRUE(key.writeString("", "default"));
  ASSERT_TRUE(key.writeString("Named", "named"));
  EXPECT_EQ(key.readString("").value(), "default");
  EXPECT_EQ(names(key.valueNames()), (std::vector<std::string>{"", "Named"}));
  ASSERT_TRUE(key.deleteValue(""));
  EXPECT_EQ(key.readString("").status(), RegistryStatus::NotFound);
  EXPECT_EQ(key.readString("Named").value(), "named");
}

TEST(Registry, ValuesAreListedInTheOrderFirstWritten) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  RegistryKey key = create(reg, "K");
  for (const char* n : {"Width", "Height", "StayOnTop", "AutoLogout"}) ASSERT_TRUE(key.writeInteger(n, 1));
  ASSERT_TRUE(key.writeInteger("width", 2));  // a rewrite keeps the place
  ASSERT_TRUE(key.deleteValue("HEIGHT"));
  ASSERT_TRUE(key.writeInteger("Height", 3));  // a new value goes last
  EXPECT_EQ(names(key.valueNames()), (std::vector<std::string>{"Width", "StayOnTop", "AutoLogout", "Height"}));
  EXPECT_EQ(key.deleteValue("Height").status(), RegistryStatus::Ok);
  EXPECT_EQ(key.deleteValue("Height").status(), RegistryStatus::NotFound);
}

TEST(Registry, DeletingAKeyTakesItsWholeSubtreeAndNothingElse) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  RegistryKey deep = create(reg, "Users\\alice\\a\\b");
  ASSERT_TRUE(deep.writeString("v", "1"));
  ASSERT_TRUE(create(reg, "Users\\alice").writeString("DataFile", "x"));
  ASSERT_TRUE(create(reg, "Users\\alice2").writeString("DataFile", "keep"));
  ASSERT_TRUE(create(reg, "Users\\bob\\alice").writeString("v", "keep"));

  ASSERT_TRUE(reg.deleteKey("users\\ALICE"));
  EXPECT_FALSE(reg.keyExists("Users\\alice"));
  EXPECT_FALSE(deep.exists());  // the subkeys went with it, not just out of sight
  EXPECT_EQ(names(reg.openKey("Users").value().subkeyNames()), (std::vector<std::string>{"alice2", "bob"}));
  EXPECT_EQ(reg.openKey("Users\\alice2").value().readString("DataFile").value(), "keep");
  EXPECT_EQ(reg.openKey("Users\\bob\\alice").value().readString("v").value(), "keep");

  // Re-created keys start empty: no values survive from the deleted subtree.
  RegistryKey again = create(reg, "Users\\alice\\a\\b");
  EXPECT_TRUE(names(again.valueNames()).empty());

  EXPECT_EQ(reg.deleteKey("Users\\carol").status(), RegistryStatus::NotFound);
  EXPECT_EQ(reg.deleteKey("\\").status(), RegistryStatus::InvalidArgument);
  EXPECT_EQ(reg.deleteKey("").status(), RegistryStatus::InvalidArgument);
}

TEST(Registry, AHandleToADeletedKeyNeverReachesItsSuccessor) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  RegistryKey old = create(reg, "Users\\alice");
  ASSERT_TRUE(old.writeString("DataFile", "old"));
  ASSERT_TRUE(reg.deleteKey("Users\\alice"));
  EXPECT_FALSE(old.exists());
  EXPECT_EQ(old.writeString("DataFile", "stale").status(), RegistryStatus::NotFound);
  EXPECT_EQ(old.readString("DataFile").status(), RegistryStatus::NotFound);
  EXPECT_EQ(old.valueNames().status(), RegistryStatus::NotFound);
  EXPECT_EQ(old.createKey("sub").status(), RegistryStatus::NotFound);

  RegistryKey fresh = create(reg, "Users\\alice");
  EXPECT_EQ(old.writeString("DataFile", "stale").status(), RegistryStatus::NotFound);
  EXPECT_FALSE(fresh.valueExists("DataFile"));
}

TEST(Registry, ScopesAreSeparateFilesCreatedPrivate) {
  std::string home = testenv::makeTempDir("scopes") + "/fresh/home";
  ::setenv("LOCKMERE_HOME", home.c_str(), 1);
  EXPECT_EQ(Registry::filePath(Registry::CurrentUser), home + "/registry.sqlite");
  EXPECT_EQ(Registry::filePath(Registry::LocalMachine), home + "/machine/registry.sqlite");
  {
    Registry user(Registry::CurrentUser);
    ASSERT_TRUE(user.isOpen()) << user.errorString();
    ASSERT_TRUE(create(user, "\\Software\\Veradynics\\Lockmere").writeString("LastLoginID", "alice"));
    Registry machine(Registry::LocalMachine);
    ASSERT_TRUE(machine.isOpen()) << machine.errorString();
    EXPECT_FALSE(machine.keyExists("\\Software\\Veradynics\\Lockmere"));
  }
  EXPECT_EQ(modeOf(home + "/registry.sqlite"), 0600u);
  EXPECT_EQ(modeOf(home), 0700u);
  // The machine scope is written by an installer and read by every user's program.
  EXPECT_EQ(modeOf(home + "/machine"), 0755u);
  EXPECT_EQ(modeOf(home + "/machine/registry.sqlite"), 0644u);
  // Another object, as another program would open it, sees what was stored.
  Registry again(Registry::CurrentUser);
  EXPECT_EQ(again.openKey("\\Software\\Veradynics\\Lockmere").value().readString("LastLoginID").value(), "alice");
  ::setenv("LOCKMERE_HOME", testenv::home().c_str(), 1);
}

TEST(Registry, DeletedValuesAndKeysLeaveNoTraceInTheFile) {
  // Key blocks are deleted with their user: the bytes must not stay in free pages.
  const std::string file = freshFile();
  auto secret = [](char tag) {
    std::string s;
    while (s.size() < 3000) s += std::string("KEYBLOCK-") + tag + "-0123456789abcdef-";
    return s;
  };
  auto inFile = [&](const std::string& what) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {}).find(what) != std::string::npos;
  };
  {
    Registry reg(file, Registry::OpenMode::ReadWrite);
    RegistryKey alice = create(reg, "Users\\alice");
    ASSERT_TRUE(alice.writeBinary("Key1", secret('1').data(), secret('1').size()));
    ASSERT_TRUE(alice.writeBinary("Key2", secret('2').data(), secret('2').size()));
    ASSERT_TRUE(create(reg, "Users\\bob").writeString("Key1", "kept"));
    ASSERT_TRUE(inFile(secret('1')) && inFile(secret('2')));
    ASSERT_TRUE(alice.deleteValue("Key1"));
    ASSERT_TRUE(reg.deleteKey("Users\\alice"));
  }
  EXPECT_FALSE(inFile(secret('1').substr(0, 40)));
  EXPECT_FALSE(inFile(secret('2').substr(0, 40)));
  EXPECT_TRUE(inFile("kept"));
}

TEST(Registry, ReadOnlyNeverCreatesAndReadsAMissingFileAsEmpty) {
  std::string file = freshFile();
  Registry ro(file, Registry::OpenMode::ReadOnly);
  EXPECT_TRUE(ro.isOpen()) << ro.errorString();
  EXPECT_EQ(ro.openKey("\\SOFTWARE\\Microsoft").status(), RegistryStatus::NotFound);
  EXPECT_TRUE(names(ro.rootKey().subkeyNames()).empty());
  auto write = ro.createKey("\\SOFTWARE");
  EXPECT_EQ(write.status(), RegistryStatus::Failed);
  EXPECT_NE(write.errorString().find("read-only"), std::string::npos);
  EXPECT_NE(::access(file.c_str(), F_OK), 0);  // still no file

  Registry rw(file, Registry::OpenMode::ReadWrite);
  ASSERT_TRUE(create(rw, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{1234}").writeInteger("x", 1));
  Registry ro2(file, Registry::OpenMode::ReadOnly);
  EXPECT_TRUE(ro2.keyExists("\\software\\microsoft\\windows\\currentversion\\uninstall\\{1234}"));
  EXPECT_EQ(ro2.openKey("\\SOFTWARE").value().writeInteger("y", 1).status(), RegistryStatus::Failed);
}

TEST(Registry, ADamagedOrForeignFileIsAClearErrorNotACrash) {
  std::string garbage = freshFile();
  writeFile(garbage, std::string(8192, '\x5A'));
  Registry bad(garbage, Registry::OpenMode::ReadWrite);
  EXPECT_FALSE(bad.isOpen());
  EXPECT_NE(bad.errorString().find(garbage), std::string::npos);
  EXPECT_NE(bad.errorString().find("not a database"), std::string::npos) << bad.errorString();
  auto key = bad.createKey("\\Software");
  EXPECT_EQ(key.status(), RegistryStatus::Failed);
  EXPECT_EQ(key.errorString(), bad.errorString());
  EXPECT_FALSE(Registry(garbage, Registry::OpenMode::ReadOnly).isOpen());

  // An SQLite file of some other program is left alone.
  std::string foreign = freshFile();
  {
    Registry mine(foreign, Registry::OpenMode::ReadWrite);
    ASSERT_TRUE(mine.isOpen());
  }
  int fd = ::open(foreign.c_str(), O_WRONLY);
  const unsigned char otherId[4] = {0, 0, 0, 7};  // the header's application id
  ASSERT_EQ(::pwrite(fd, otherId, 4, 68), 4);
  ::close(fd);
  Registry other(foreign, Registry::OpenMode::ReadWrite);
  EXPECT_FALSE(other.isOpen());
  EXPECT_NE(other.errorString().find("not a Lockmere registry"), std::string::npos) << other.errorString();
}

TEST(Registry, DamagedPagesFailReadsInsteadOfInventingData) {
  std::string file = freshFile();
  {
    Registry reg(file, Registry::OpenMode::ReadWrite);
    RegistryKey key = create(reg, "Users\\alice");
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(key.writeString(numbered("v", i), std::string(300, 'a')));
  }
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  ASSERT_GT(st.st_size, 16384);
  int fd = ::open(file.c_str(), O_WRONLY);
  std::string noise(static_cast<std::size_t>(st.st_size) - 4096, '\xA5');
  ASSERT_EQ(::pwrite(fd, noise.data(), noise.size(), 4096), static_cast<ssize_t>(noise.size()));
  ::close(fd);

  Registry reg(file, Registry::OpenMode::ReadWrite);
  auto key = reg.openKey("Users\\alice");
  bool sawFailure = !reg.isOpen() || !key;
  if (key) {
    auto value = key.value().readString("v42");
    sawFailure = sawFailure || value.status() == RegistryStatus::Failed;
    EXPECT_NE(value.status(), RegistryStatus::Ok);
  }
  EXPECT_TRUE(sawFailure);
}

TEST(Registry, AFileThatCannotBeWrittenStillReadsAndSaysWhyWritesFail) {
  std::string dir = testenv::makeTempDir("locked");
  std::string file = dir + "/registry.sqlite";
  {
    Registry reg(file, Registry::OpenMode::ReadWrite);
    ASSERT_TRUE(create(reg, "K").writeString("v", "stored"));
  }
  ::chmod(file.c_str(), 0644);
  ::chmod(dir.c_str(), 0755);
  ::chmod(testenv::home().c_str(), 0755);
  // Root may write anything: drop to an unprivileged user in a child.
  int rc = runInChild([&] {
    bool dropped = ::geteuid() == 0;
    if (dropped && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 10;
    if (::geteuid() != 0) ::chmod(file.c_str(), 0444);
    Registry reg(file, Registry::OpenMode::ReadWrite);
    if (!reg.isOpen()) return 11;
    auto key = reg.openKey("K");
    if (!key || key.value().readString("v").value() != "stored") return 12;
    auto w = key.value().writeString("v", "changed");
    if (w.status() != RegistryStatus::Failed || w.errorString().find("not writable") == std::string::npos) return 13;
    if (dropped) {
      // A folder of another user, in which it may not create a registry.
      Registry hidden(testenv::home() + "/nope/registry.sqlite", Registry::OpenMode::ReadWrite);
      if (hidden.isOpen() || hidden.errorString().find("nope") == std::string::npos) return 14;
    }
    return 0;
  });
  ::chmod(testenv::home().c_str(), 0700);
  EXPECT_EQ(rc, 0);
  Registry reg(file, Registry::OpenMode::ReadWrite);
  EXPECT_EQ(reg.openKey("K").value().readString("v").value(), "stored");
}

TEST(Registry, AFolderThatCannotBeCreatedIsAClearError) {
  std::string dir = testenv::makeTempDir("blocked");
  writeFile(dir + "/file", "x");
  Registry reg(dir + "/file/sub/registry.sqlite", Registry::OpenMode::ReadWrite);
  EXPECT_FALSE(reg.isOpen());
  EXPECT_NE(reg.errorString().find("cannot create the folder"), std::string::npos) << reg.errorString();
  Registry folder(dir, Registry::OpenMode::ReadWrite);
  EXPECT_FALSE(folder.isOpen());
}

TEST(Registry, ProcessesWritingAtOnceLoseNothing) {
  const std::string file = freshFile();
  { ASSERT_TRUE(Registry(file, Registry::OpenMode::ReadWrite).isOpen()); }
  constexpr int kWriters = 4;
  constexpr int kWrites = 60;
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(go[1]);
      char c;
      if (::read(go[0], &c, 1) != 0) ::_exit(20);  // wait until every writer is ready
      Registry reg(file, Registry::OpenMode::ReadWrite);
      for (int i = 0; i < kWrites; ++i) {
        auto shared = reg.createKey("\\Software\\Shared");
        auto own = reg.createKey("\\Software\\Users\\w" + std::to_string(w) + "\\k" + std::to_string(i));
        if (!shared || !own) ::_exit(21);
        if (!shared.value().writeInteger(numbered(numbered("w", w) + "_", i), w * 1000 + i)) ::_exit(22);
        if (!own.value().writeString("DataFile", std::to_string(i))) ::_exit(23);
      }
      ::_exit(0);
    }
    children.push_back(pid);
  }
  ::close(go[0]);
  ::close(go[1]);  // all start together
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer exit " << status;
  }
  Registry reg(file, Registry::OpenMode::ReadOnly);
  auto shared = reg.openKey("\\Software\\Shared");
  ASSERT_TRUE(shared);
  EXPECT_EQ(names(shared.value().valueNames()).size(), static_cast<std::size_t>(kWriters * kWrites));
  for (int w = 0; w < kWriters; ++w) {
    auto users = reg.openKey("\\Software\\Users\\w" + std::to_string(w));
    ASSERT_TRUE(users);
    EXPECT_EQ(names(users.value().subkeyNames()).size(), static_cast<std::size_t>(kWrites));
    for (int i = 0; i < kWrites; i += 7) {
      EXPECT_EQ(shared.value().readInteger(numbered(numbered("w", w) + "_", i)).value(), w * 1000 + i);
      EXPECT_EQ(users.value().openKey(numbered("k", i)).value().readString("DataFile").value(), std::to_string(i));
    }
  }
}

TEST(Registry, ThreadsMayShareOneRegistry) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  constexpr int kThreads = 4;
  constexpr int kWrites = 50;
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      Registry own = reg;  // copies share the connection
      for (int i = 0; i < kWrites; ++i) {
        auto key = own.createKey("T\\t" + std::to_string(t));
        if (!key || !key.value().writeInteger(numbered("v", i), i)) ++failures;
        auto back = reg.openKey("T\\t" + std::to_string(t));
        if (!back || back.value().readInteger(numbered("v", i)).value() != i) ++failures;
        if (!reg.openKey("T").value().subkeyNames()) ++failures;
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
  for (int t = 0; t < kThreads; ++t)
    EXPECT_EQ(names(reg.openKey("T\\t" + std::to_string(t)).value().valueNames()).size(),
              static_cast<std::size_t>(kWrites));
}

TEST(RegistryTransaction, StoresAllOrNothingAndOthersSeeOnlyTheEnd) {
  const std::string file = freshFile();
  Registry reg(file, Registry::OpenMode::ReadWrite);
  Registry other(file, Registry::OpenMode::ReadWrite);  // another connection, as another program has
  RegistryKey main = create(reg, "\\Software\\Veradynics\\Lockmere");
  {
    platform::RegistryTransaction tx(reg);
    ASSERT_TRUE(tx.isActive()) << tx.result().errorString();
    ASSERT_TRUE(main.writeString("LastLoginID", "alice"));
    ASSERT_TRUE(main.writeInteger("LastWindowLeft", 10));
    ASSERT_TRUE(reg.createKey("\\Software\\Veradynics\\Lockmere\\Users\\alice"));
    EXPECT_EQ(main.readString("LastLoginID").value(), "alice");  // visible inside
    EXPECT_FALSE(other.keyExists("\\Software\\Veradynics\\Lockmere\\Users\\alice"));
    EXPECT_FALSE(other.openKey("\\Software\\Veradynics\\Lockmere").value().valueExists("LastLoginID"));
    ASSERT_TRUE(tx.commit());
  }
  EXPECT_TRUE(other.keyExists("\\Software\\Veradynics\\Lockmere\\Users\\alice"));
  EXPECT_EQ(other.openKey("\\Software\\Veradynics\\Lockmere").value().readInteger("LastWindowLeft").value(), 10);

  {
    platform::RegistryTransaction tx(reg);
    ASSERT_TRUE(main.writeString("LastLoginID", "bob"));
    ASSERT_TRUE(reg.deleteKey("\\Software\\Veradynics\\Lockmere\\Users"));
  }  // not committed: rolled back
  EXPECT_EQ(main.readString("LastLoginID").value(), "alice");
  EXPECT_TRUE(reg.keyExists("\\Software\\Veradynics\\Lockmere\\Users\\alice"));
}

TEST(RegistryTransaction, AFailedCallUndoesOnlyItself) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  RegistryKey key = create(reg, "K");
  RegistryKey doomed = create(reg, "Doomed");
  ASSERT_TRUE(reg.deleteKey("Doomed"));
  platform::RegistryTransaction tx(reg);
  ASSERT_TRUE(key.writeInteger("a", 1));
  EXPECT_EQ(doomed.writeInteger("x", 1).status(), RegistryStatus::NotFound);
  EXPECT_EQ(reg.createKey("bad\\\\path").status(), RegistryStatus::InvalidArgument);
  EXPECT_EQ(reg.openKey("missing").status(), RegistryStatus::NotFound);
  ASSERT_TRUE(key.writeInteger("b", 2));
  // A second transaction in the same thread is refused, the first goes on.
  platform::RegistryTransaction nested(reg);
  EXPECT_FALSE(nested.isActive());
  EXPECT_EQ(nested.result().status(), RegistryStatus::InvalidArgument);
  EXPECT_FALSE(nested.commit());
  ASSERT_TRUE(tx.commit());
  EXPECT_EQ(names(key.valueNames()), (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(tx.commit());  // once only
}

TEST(RegistryTransaction, OtherThreadsWaitForItsEnd) {
  Registry reg(freshFile(), Registry::OpenMode::ReadWrite);
  RegistryKey key = create(reg, "K");
  std::atomic<bool> written{false};
  std::thread other;
  {
    platform::RegistryTransaction tx(reg);
    ASSERT_TRUE(key.writeInteger("first", 1));
    other = std::thread([&] {
      RegistryKey mine = key;
      written = mine.writeInteger("second", 2).ok();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(written);  // held off until the transaction ends
    ASSERT_TRUE(tx.commit());
  }
  other.join();
  EXPECT_TRUE(written);
  EXPECT_EQ(names(key.valueNames()), (std::vector<std::string>{"first", "second"}));
}

TEST(RegistryTransaction, AReadOnlyRegistryCannotBeginOne) {
  std::string file = freshFile();
  {
    Registry rw(file, Registry::OpenMode::ReadWrite);
    create(rw, "K");
  }
  Registry ro(file, Registry::OpenMode::ReadOnly);
  platform::RegistryTransaction tx(ro);
  EXPECT_FALSE(tx.isActive());
  EXPECT_EQ(tx.result().status(), RegistryStatus::Failed);
  EXPECT_TRUE(ro.keyExists("K"));  // reads still work
}
