// Backups: one file with the data file and the user's registry values, that
// gives the same account back and refuses to be anything else.
#include <filesystem>
#include <fstream>

#include "lockmere/store/UserStore.h"
#include "lockmere/tools/account/core/AccountChanges.h"
#include "lockmere/tools/account/core/Backup.h"
#include "lockmere/tools/account/core/FileBytes.h"
#include "lockmere/tools/account/core/Restore.h"
#include "tests/account/AccountFixture.h"

namespace account::test {
namespace {

class BackupTest : public AccountTest {
 protected:
  // Quinn with two fingers, two sites and some settings.
  void SetUp() override {
    AccountTest::SetUp();
    createUser("Quinn", "quinn pw", {"104", "108"});
    createUser("Ravi", "ravi pw", {"105"});
    const UnlockedAccount quinn = unlock("Quinn", "quinn pw");
    store::UserStore user(quinn.id, quinn.dataFile, quinn.dataKey);
    ASSERT_TRUE(user.load());
    for (const char* name : {"mail", "bank"}) {
      auto& site = user.sites().RegSites().add();
      site.Name = name;
      site.URL = std::string("https://") + name + ".example/";
      site.PW_Value = std::string(name) + " secret";
    }
    ASSERT_TRUE(user.save());
    auto key = registry().openKey(userKeyPath("Quinn"));
    ASSERT_TRUE(key);
    key.value().writeInteger("Width", 640);
    key.value().writeBool("StayOnTop", true);
    key.value().writeString("Note", "기억할 것");
    backupPath_ = home_ + "/quinn.lmbackup";
    const auto contents = collectBackup(accounts(), "Quinn");
    ASSERT_TRUE(contents) << describe(contents.failure());
    ASSERT_FALSE(writeBackupFile(backupPath_, *contents));
  }

  std::vector<std::string> sitesOf(const std::string& id, const std::string& password) {
    const UnlockedAccount account = unlock(id, password);
    store::UserStore user(account.id, account.dataFile, account.dataKey);
    EXPECT_TRUE(user.load()) << user.errorString();
    std::vector<std::string> out;
    for (int i = 0; i < user.sites().RegSites().count(); ++i) {
      const auto& s = user.sites().RegSites()[i];
      out.push_back(s.Name + "=" + s.PW_Value);
    }
    return out;
  }

  void deleteQuinn() {
    auto values = confirmPassword(accounts(), "Quinn", "quinn pw", programKey_);
    ASSERT_TRUE(values);
    auto reg = accounts();
    ASSERT_FALSE(deleteAccount(reg, *values));
  }

  Outcome<RestoreDone> restore(RestoreRequest request) {
    const auto backup = readBackupFile(backupPath_);
    if (!backup) return backup.failure();
    auto reg = accounts();
    return restoreAccount(reg, *backup, request, programKey_);
  }

  std::string backupPath_;
};

TEST_F(BackupTest, BackupDeleteRestoreGivesTheSameAccountBack) {
  const std::vector<std::string> sites{"mail=mail secret", "bank=bank secret"};
  ASSERT_EQ(sitesOf("Quinn", "quinn pw"), sites);
  deleteQuinn();
  EXPECT_EQ(identify("104", 6), "");

  EXPECT_EQ(restore({"wrong", std::nullopt, ""}).failure().problem, Problem::WrongPassword);
  EXPECT_FALSE(accounts().find("Quinn"));
  const auto done = restore({"quinn pw", std::nullopt, ""});
  ASSERT_TRUE(done) << describe(done.failure());
  EXPECT_FALSE(done->replaced);
  EXPECT_EQ(sitesOf("Quinn", "quinn pw"), sites);
  EXPECT_EQ(identify("104", 6), "Quinn");
  EXPECT_EQ(identify("108", 5), "Quinn");
  EXPECT_EQ(identify("105", 7), "Ravi");
  auto key = registry().openKey(userKeyPath("Quinn"));
  EXPECT_EQ(key.value().readInteger("Width").valueOr(0), 640);
  EXPECT_TRUE(key.value().readBool("StayOnTop").valueOr(false));
  EXPECT_EQ(key.value().readString("Note").valueOr(""), "기억할 것");
  EXPECT_EQ(key.value().readString("DataFile").valueOr(""), done->dataFile);
}

TEST_F(BackupTest, ReplacingAUserNeedsThatUsersCurrentPassword) {
  // Since the backup, Quinn changed the password and lost a site.
  const UnlockedAccount quinn = unlock("Quinn", "quinn pw");
  auto reg = accounts();
  ASSERT_FALSE(changePassword(reg, quinn, "newer pw", programKey_));
  {
    store::UserStore user(quinn.id, quinn.dataFile, quinn.dataKey);
    ASSERT_TRUE(user.load());
    user.sites().RegSites().remove(0);
    ASSERT_TRUE(user.save());
  }
  EXPECT_EQ(restore({"quinn pw", std::nullopt, ""}).failure().problem, Problem::ReplaceNotConfirmed);
  EXPECT_EQ(restore({"quinn pw", std::string("quinn pw"), ""}).failure().problem, Problem::WrongPassword);
  EXPECT_EQ(sitesOf("Quinn", "newer pw").size(), 1u);  // untouched so far

  const auto done = restore({"quinn pw", std::string("newer pw"), "quinn"});
  ASSERT_TRUE(done) << describe(done.failure());
  EXPECT_TRUE(done->replaced);
  EXPECT_TRUE(done->loggedInStoreRestored);   // the program reloads the store
  EXPECT_EQ(done->dataFile, quinn.dataFile);  // where the program looks for it
  EXPECT_EQ(sitesOf("Quinn", "quinn pw").size(), 2u);
  EXPECT_EQ(identify("104", 6), "Quinn");
  EXPECT_EQ(userIds(), (std::vector<std::string>{"Quinn", "Ravi"}));
}

TEST_F(BackupTest, AnEarlierAccountOfTheLoggedInIdIsNotRestoredUnderIt) {
  deleteQuinn();
  createUser("Quinn", "another", {"107"});
  // The program holds the new account's data key, which the backup's store does not open.
  EXPECT_EQ(restore({"quinn pw", std::string("another"), "Quinn"}).failure().problem, Problem::BackupOfOtherAccount);
  EXPECT_EQ(identify("107", 5), "Quinn");
  // Logged out (or logged in as somebody else) it may replace it.
  ASSERT_TRUE(restore({"quinn pw", std::string("another"), "Ravi"}));
  EXPECT_EQ(identify("104", 6), "Quinn");
  EXPECT_EQ(identify("107", 5), "");
}

TEST_F(BackupTest, DamagedTruncatedAndForeignFilesAreRefused) {
  std::string bytes;
  ASSERT_TRUE(readWholeFile(backupPath_, bytes));
  auto refusal = [&](const std::string& content) {
    const std::string path = home_ + "/bad.lmbackup";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    const auto read = readBackupFile(path);
    return read ? Problem::None : read.failure().problem;
  };
  // A flipped byte anywhere: in the ID, the values, the data file, the check sum.
  for (std::size_t at : {20ul, 40ul, 200ul, bytes.size() / 2, bytes.size() - 40, bytes.size() - 1}) {
    std::string damaged = bytes;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x08);
    EXPECT_EQ(refusal(damaged), Problem::BackupDamaged) << at;
  }
  for (std::size_t keep : {bytes.size() - 1, bytes.size() - 33, bytes.size() / 2, std::size_t(14)})
    EXPECT_EQ(refusal(bytes.substr(0, keep)), Problem::BackupDamaged) << keep;
  EXPECT_EQ(refusal("name,url,username,password\n"), Problem::BackupForeign);
  EXPECT_EQ(refusal(""), Problem::BackupForeign);
  std::string newer = bytes;
  newer[8] = 2;
  EXPECT_EQ(refusal(newer), Problem::BackupNewerFormat);
  // Nothing was restored from any of them, and the good file still reads.
  EXPECT_EQ(userIds(), (std::vector<std::string>{"Quinn", "Ravi"}));
  EXPECT_TRUE(readBackupFile(backupPath_));
}

TEST_F(BackupTest, RestoreThatTheRegistryRefusesLeavesNothing) {
  deleteQuinn();
  refuseValue("Key2");
  EXPECT_EQ(restore({"quinn pw", std::nullopt, ""}).failure().problem, Problem::RegistryFailed);
  removeRefusals();
  EXPECT_FALSE(accounts().find("Quinn"));
  EXPECT_EQ(dataFolderFiles().size(), 1u);  // Ravi's only
}

}  // namespace
}  // namespace account::test
