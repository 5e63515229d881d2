// The widget-free side of the user windows: the users' registry values, the
// all-users array and the records of one user, deletion and the automatic
// login, and the settings read at login.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "lockmere/store/AutoLoginBlock.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/store/RegistryLayout.h"
#include "lockmere/store/UserDirectory.h"
#include "lockmere/store/UserSettings.h"
#include "tests/users/UsersFixture.h"

namespace users::test {
namespace {

namespace reg = store::reg;

// A record whose owner field holds these bytes (the template does not matter here).
crypto::SecureBytes recordOwnedBy(const std::string& field) {
  crypto::SecureBytes record(store::TemplateRecords::kRecordSize, 0);
  std::memcpy(record.data(), field.data(), std::min(field.size(), store::TemplateRecords::kOwnerSize));
  record[100] = static_cast<unsigned char>(field.size());  // records of different owners differ beyond the field too
  return record;
}

class UserDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override { resetUsers(); }
  platform::Registry registry_{platform::Registry::CurrentUser};
  store::UserDirectory users_{registry_, store::fixed::programKey()};
};

TEST_F(UserDirectoryTest, OwnerFieldsAreTrimmedInPlaceAndOnlyThere) {
  store::TemplateRecords records;
  records.appendRecord(recordOwnedBy("  bob\t").data());
  records.appendRecord(recordOwnedBy("alice").data());
  crypto::SecureBytes before(records.data(), records.data() + 2 * store::TemplateRecords::kRecordSize);
  records.trimOwnerFields();
  EXPECT_EQ(std::memcmp(records.record(0), recordOwnedBy("bob").data(), store::TemplateRecords::kOwnerSize), 0);
  EXPECT_EQ(std::memcmp(records.record(1), before.data() + store::TemplateRecords::kRecordSize,
                        store::TemplateRecords::kRecordSize),
            0);  // an ID as the tools write it is left as it is
  EXPECT_EQ(records.owner(0), "bob");
}

TEST_F(UserDirectoryTest, AUsersRecordsNeverIncludeThoseOfAnIdItPrefixes) {
  store::TemplateRecords all;
  for (const char* owner : {"alice", "al", "alice", "bob", "al"}) all.appendRecord(recordOwnedBy(owner).data());
  const auto al = store::recordsSharingOwner(all, 1);
  ASSERT_EQ(al.count(), 2u);
  EXPECT_EQ(std::memcmp(al.record(0), all.record(1), store::TemplateRecords::kRecordSize), 0);
  EXPECT_EQ(std::memcmp(al.record(1), all.record(4), store::TemplateRecords::kRecordSize), 0);
  EXPECT_EQ(store::recordsSharingOwner(all, 0).count(), 2u);
  EXPECT_EQ(store::recordsSharingOwner(all, 5).count(), 0u);
  EXPECT_EQ(store::recordsOwnedBy(all, "al").count(), 2u);
  EXPECT_EQ(store::recordsOwnedBy(all, "alice").count(), 2u);
  EXPECT_EQ(store::recordsOwnedBy(all, "ALICE").count(), 0u);
  EXPECT_EQ(store::recordsOwnedBy(all, "").count(), 0u);
}

TEST_F(UserDirectoryTest, AllUsersRecordsInRegistryOrderSkippingMissingFiles) {
  makeUser("carol", "pw", {kFinger104});
  const MadeUser bob = makeUser("Bob", "pw", {kFinger108, kFinger109});
  const MadeUser dave = makeUser("dave", "pw", {kFinger105});
  std::filesystem::remove(dave.dataFile);
  const auto all = users_.loadAllRecords();
  ASSERT_EQ(all.count(), 3u);
  EXPECT_EQ(all.owner(0), "Bob");  // case-insensitive enumeration order
  EXPECT_EQ(all.owner(1), "Bob");
  EXPECT_EQ(all.owner(2), "carol");
  EXPECT_EQ(users_.userIds(), (std::vector<std::string>{"Bob", "carol", "dave"}));
}

TEST_F(UserDirectoryTest, PasswordChecks) {
  const MadeUser bob = makeUser("bob", "secret", {});
  using R = store::UserDirectory::PasswordResult;
  EXPECT_EQ(users_.loginByPassword("nobody", "secret").result, R::NoSuchUser);
  EXPECT_EQ(users_.loginByPassword("", "secret").result, R::NoSuchUser);
  EXPECT_EQ(users_.loginByPassword("bob", "Secret").result, R::Refused);
  EXPECT_EQ(users_.loginByPassword("BOB", "secret").result, R::Refused);
  auto ok = users_.loginByPassword("bob", "secret");
  ASSERT_EQ(ok.result, R::Accepted);
  EXPECT_TRUE(ok.dataKey == bob.dataKey);

  EXPECT_EQ(users_.confirmPassword("bob", "secret"), true);
  EXPECT_EQ(users_.confirmPassword("bob", "wrong"), false);
  EXPECT_EQ(users_.confirmPassword("BOB", "secret"), false);
  EXPECT_EQ(users_.confirmPassword("nobody", "secret"), std::nullopt);
  // The confirmation does not need the data file; the login does.
  std::filesystem::remove(bob.dataFile);
  EXPECT_EQ(users_.confirmPassword("bob", "secret"), true);
  EXPECT_EQ(users_.loginByPassword("bob", "secret").result, R::Refused);
}

TEST_F(UserDirectoryTest, FingerprintLoginNeedsTheOwnersKey2AndHeader) {
  const MadeUser al = makeUser("al", "pw", {kFinger105});
  const MadeUser alice = makeUser("alice", "pw", {kFinger104, kFinger109});
  const auto all = users_.loadAllRecords();
  ASSERT_EQ(all.count(), 3u);
  for (std::size_t i = 0; i < all.count(); ++i) {
    auto login = users_.loginByFingerprint(all, i);
    ASSERT_TRUE(login) << i;
    const MadeUser& owner = i == 0 ? al : alice;
    EXPECT_EQ(login->userId, owner.id);
    EXPECT_TRUE(login->dataKey == owner.dataKey);
    EXPECT_EQ(login->records.count(), owner.records.count());
  }
  EXPECT_FALSE(users_.loginByFingerprint(all, 3));
  registry_.deleteKey(reg::userKeyPath("al"));
  EXPECT_FALSE(users_.loginByFingerprint(all, 0));
}

TEST_F(UserDirectoryTest, DeletionRemovesKeyAndFileAndSaysWhatWent) {
  using D = store::UserDirectory::DeleteResult;
  const MadeUser bob = makeUser("bob", "pw", {});
  const MadeUser carol = makeUser("carol", "pw", {});
  EXPECT_EQ(users_.deleteUser("bob"), D::Deleted);
  EXPECT_FALSE(users_.exists("bob"));
  EXPECT_FALSE(std::filesystem::exists(bob.dataFile));
  std::filesystem::remove(carol.dataFile);
  std::string error;
  EXPECT_EQ(users_.deleteUser("carol", &error), D::KeyOnly);
  EXPECT_FALSE(users_.exists("carol"));
  EXPECT_EQ(users_.deleteUser("carol"), D::Failed);
  EXPECT_EQ(users_.deleteUser(""), D::Failed);
  EXPECT_TRUE(registry_.keyExists(reg::kUsersKey));  // an empty ID never names the users key
}

TEST_F(UserDirectoryTest, AutomaticLoginWrittenOrDeleted) {
  const MadeUser bob = makeUser("bob", "pw", {});
  const auto programKey = store::fixed::programKey();
  auto main = [&] { return registry_.openKey(reg::kMainKey).value(); };
  ASSERT_TRUE(users_.writeAutoLogin("bob", bob.dataKey, false));  // nothing to delete is fine
  EXPECT_FALSE(main().readBool(reg::kAutoLogin).value());
  ASSERT_TRUE(users_.writeAutoLogin("bob", bob.dataKey, true));
  EXPECT_TRUE(users_.autoLogin());
  const auto block = main().readBinary(reg::kALData).value();
  const auto login = store::autologin::read(block.data(), block.size(), programKey);
  ASSERT_TRUE(login);
  EXPECT_EQ(login->userId, "bob");
  EXPECT_TRUE(login->dataKey == bob.dataKey);
  ASSERT_TRUE(users_.writeAutoLogin("bob", bob.dataKey, false));
  EXPECT_TRUE(main().readBinary(reg::kALData).isNotFound());
  EXPECT_FALSE(users_.autoLogin());
}

TEST_F(UserDirectoryTest, SettingsAtLoginCreateTheKeyAndKeepDefaultLoginType) {
  store::UserSettings settings;
  settings.DefaultLoginType = 2;
  settings.StayOnTop = true;  // left from the previous user
  auto values = store::readSettingsAtLogin(registry_, "newcomer", settings);
  EXPECT_TRUE(values.keyOpened);
  EXPECT_TRUE(registry_.keyExists(reg::userKeyPath("newcomer")));
  EXPECT_TRUE(values.dataFile.empty());
  EXPECT_FALSE(values.width);
  EXPECT_FALSE(settings.StayOnTop);
  EXPECT_EQ(settings.DefaultLoginType, 2);
  EXPECT_EQ(settings.AutoLogoutTime, 9999);

  auto key = registry_.openKey(reg::userKeyPath("newcomer")).value();
  key.writeString(reg::kDataFile, "/x/y.lmd");
  key.writeInteger(reg::kWidth, 400);
  key.writeInteger(reg::kHeight, 500);
  key.writeInteger(reg::kDefaultLoginType, 5);
  key.writeBool(reg::kAutoGetIEURL, false);
  key.writeInteger(reg::kFPIWaitTime, 20);
  values = store::readSettingsAtLogin(registry_, "NEWCOMER", settings);
  EXPECT_EQ(values.dataFile, "/x/y.lmd");
  EXPECT_EQ(values.width, 400);
  EXPECT_EQ(values.height, 500);
  EXPECT_EQ(settings.DefaultLoginType, 5);
  EXPECT_FALSE(settings.AutoGetIEURL);
  EXPECT_EQ(settings.FPIWaitTime, 20);
  EXPECT_TRUE(settings.AlarmNewSite);
}

}  // namespace
}  // namespace users::test
