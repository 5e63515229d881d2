// Creating users: what the program needs to log a user in is there, by
// password and by fingerprint, and a failure at any step leaves nothing.
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "lockmere/store/DataFile.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/Credentials.h"
#include "platform/Paths.h"
#include "tests/account/AccountFixture.h"

namespace account::test {
namespace {

using CreationTest = AccountTest;

TEST_F(CreationTest, CreatedUserOpensByPasswordAndByFingerprint) {
  const std::string path = createUser("Carol", "carol's password", {"104", "108"});
  createUser("Dave", "dave", {"105"});
  createUser("Erin", "erin");  // password only
  ASSERT_FALSE(HasFailure());

  // The data file: private, in the data folder, header, two records, no store.
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::filesystem::path(path).parent_path(), std::filesystem::path(platform::paths::dataDir()));
  EXPECT_EQ(std::uint64_t(st.st_size), store::DataFileHeader::kSize + 2 * store::TemplateRecords::kRecordSize);
  const auto records = store::DataFile(path).loadTemplateRecords(programKey_);
  ASSERT_TRUE(records);
  ASSERT_EQ(records->count(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(records->owner(i), "Carol");
    EXPECT_EQ(records->enroll(i).magic, RIDGECORE_ENROLL_MAGIC);
    EXPECT_EQ(records->enroll(i).security, 5);
  }

  // By password, as the login window checks it (blanks at the ends do not count).
  const auto values = accounts().read("Carol");
  ASSERT_TRUE(values);
  EXPECT_EQ(values->dataFile, path);
  const auto header = store::DataFile(path).readHeader();
  ASSERT_TRUE(header);
  const auto dataKey = store::keys::unwrapByPassword("Carol", " carol's password ", values->key1.data(),
                                                     values->key1.size(), *header, programKey_);
  ASSERT_TRUE(dataKey);
  EXPECT_TRUE(store::keys::verifyDataKey("Carol", *dataKey, *header));
  EXPECT_FALSE(
      store::keys::unwrapByPassword("Carol", "carol", values->key1.data(), values->key1.size(), *header, programKey_));
  EXPECT_EQ(store::DataFile(path).loadStore(*dataKey).result, store::StoreLoad::NoStore);

  // By fingerprint: Key2 opens with the records' MD5, and other impressions of
  // the enrolled fingers name their owner among all users.
  for (std::size_t i = 0; i < 2; ++i) {
    const auto byFinger =
        store::keys::unwrapByFingerprint(*records, i, values->key2.data(), values->key2.size(), *header, programKey_);
    ASSERT_TRUE(byFinger);
    EXPECT_EQ(*byFinger, *dataKey);
  }
  EXPECT_EQ(identify("104", 6), "Carol");
  EXPECT_EQ(identify("108", 5), "Carol");
  EXPECT_EQ(identify("105", 7), "Dave");
  EXPECT_EQ(identify("110", 6), "");  // nobody enrolled it
  EXPECT_EQ(userIds(), (std::vector<std::string>{"Carol", "Dave", "Erin"}));
}

TEST_F(CreationTest, IdsAreCheckedAsTheProgramReadsThem) {
  EXPECT_EQ(checkNewId(""), Problem::IdEmpty);
  EXPECT_EQ(checkNewId(" ann"), Problem::IdBlankAtEnd);
  EXPECT_EQ(checkNewId("ann\t"), Problem::IdBlankAtEnd);
  EXPECT_EQ(checkNewId("an\x01n"), Problem::IdControlCharacter);
  EXPECT_EQ(checkNewId("an\xC2\x85n"), Problem::IdControlCharacter);  // U+0085
  EXPECT_EQ(checkNewId("an\\n"), Problem::IdBackslash);
  EXPECT_EQ(checkNewId("ann lee"), Problem::None);
  // 50 bytes of owner field, one of them the NUL.
  EXPECT_EQ(checkNewId(std::string(49, 'x')), Problem::None);
  EXPECT_EQ(checkNewId(std::string(50, 'x')), Problem::IdTooLong);
  std::string hangul;
  for (int i = 0; i < 24; ++i) hangul += "가";  // two bytes each in the code page
  EXPECT_EQ(checkNewId(hangul), Problem::None);
  EXPECT_EQ(checkNewId(hangul + "x"), Problem::None);
  EXPECT_EQ(checkNewId(hangul + "가"), Problem::IdTooLong);
  EXPECT_EQ(checkNewId("smile\xF0\x9F\x98\x80"), Problem::IdNotCodePage);
  EXPECT_EQ(checkNewId("\xFF"), Problem::IdNotCodePage);

  // Taken IDs are compared as the registry compares keys.
  createUser("Alice", "pw");
  createUser("Иван", "pw");
  auto reg = accounts();
  AccountCreation creation(reg, programKey_);
  for (const char* taken : {"ALICE", "alice", "иван", "ИВАН"}) {
    const auto again = creation.create({taken, "pw", {}});
    ASSERT_FALSE(again) << taken;
    EXPECT_EQ(again.failure().problem, Problem::IdExists) << taken;
  }
  EXPECT_EQ(userIds(), (std::vector<std::string>{"Alice", "Иван"}));
}

TEST_F(CreationTest, PasswordsAreCheckedAndRated) {
  EXPECT_EQ(checkNewPassword(""), Problem::PasswordEmpty);
  EXPECT_EQ(checkNewPassword(" \t "), Problem::PasswordEmpty);  // the password key ignores them
  EXPECT_EQ(checkNewPassword("pass\xF0\x9F\x98\x80"), Problem::PasswordNotCodePage);
  EXPECT_EQ(checkNewPassword("same", "Same"), Problem::PasswordsDiffer);
  EXPECT_EQ(checkNewPassword("비밀번호", "비밀번호"), Problem::None);

  EXPECT_EQ(passwordStrength(""), Strength::Empty);
  EXPECT_EQ(passwordStrength("abc12"), Strength::Weak);
  EXPECT_EQ(passwordStrength("aaaaaaaaaaaaaaaaaaaa"), Strength::Weak);
  EXPECT_EQ(passwordStrength("abcdefghij"), Strength::Weak);
  EXPECT_EQ(passwordStrength("abcdef1234"), Strength::Fair);
  EXPECT_EQ(passwordStrength("Correct-Horse-9"), Strength::Strong);
  EXPECT_EQ(passwordStrength("correcthorse1234"), Strength::Strong);

  auto reg = accounts();
  AccountCreation creation(reg, programKey_);
  const auto refused = creation.create({"Ann", "   ", {}});
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.failure().problem, Problem::PasswordEmpty);
  EXPECT_TRUE(userIds().empty());
  EXPECT_TRUE(dataFolderFiles().empty());
}

// After each failed creation: no registry key, no data file, no temporary
// file; and the ID can be created once the fault is gone.
class FailedCreationTest : public AccountTest {
 protected:
  void expectNothingLeft(const Outcome<std::string>& result, Problem problem) {
    ASSERT_FALSE(result);
    EXPECT_EQ(result.failure().problem, problem) << describe(result.failure());
    EXPECT_FALSE(accounts().find("Frank"));
    EXPECT_TRUE(dataFolderFiles().empty()) << dataFolderFiles().front();
  }
  Outcome<std::string> createFrank() {
    auto reg = accounts();
    AccountCreation creation(reg, programKey_);
    return creation.create({"Frank", "frank's password", {finger_}});
  }
  void expectFrankCreatedAtLast() {
    const auto created = createFrank();
    ASSERT_TRUE(created) << describe(created.failure());
    EXPECT_EQ(identify("104", 7), "Frank");
  }
  void SetUp() override {
    AccountTest::SetUp();
    finger_ = enrolled("104");
    userIds();  // the registry file exists before any fault
  }
  tagENROLL finger_{};
};

TEST_F(FailedCreationTest, DataFolderThatCannotBeMade) {
  const std::string folder = platform::paths::dataDir();
  std::ofstream(folder) << "a file where the folder should be";
  const auto result = createFrank();
  ASSERT_FALSE(result);
  EXPECT_EQ(result.failure().problem, Problem::DataFolderUnusable);
  EXPECT_FALSE(accounts().find("Frank"));
  std::filesystem::remove(folder);
  expectFrankCreatedAtLast();
}

TEST_F(FailedCreationTest, DiskFullWhileWritingTheDataFile) {
  platform::paths::makeDirs(platform::paths::dataDir());
  // The file-size limit makes the record's write fail as a full disk would.
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 2000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto result = createFrank();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  expectNothingLeft(result, Problem::DataFileNotWritten);
  expectFrankCreatedAtLast();
}

TEST_F(FailedCreationTest, RegistryRefusingAnyOfItsWrites) {
  refuseKey("Frank");
  expectNothingLeft(createFrank(), Problem::RegistryFailed);
  for (const char* value : {"DataFile", "Key1", "Key2"}) {
    removeRefusals();
    refuseValue(value);
    expectNothingLeft(createFrank(), Problem::RegistryFailed);
  }
  removeRefusals();
  expectFrankCreatedAtLast();
}

TEST_F(CreationTest, TwoCreationsOfOneIdAtOnceMakeOneUser) {
  std::vector<Outcome<std::string>> results(2, Outcome<std::string>(Problem::None));
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&, t] {
      platform::Registry own(platform::Registry::CurrentUser);  // as two programs would
      AccountRegistry reg(own);
      AccountCreation creation(reg, programKey_);
      results[std::size_t(t)] = creation.create({t ? "GRACE" : "Grace", "pw " + std::to_string(t), {}});
    });
  for (auto& t : threads) t.join();
  ASSERT_NE(results[0].ok(), results[1].ok());
  const auto& lost = results[0].ok() ? results[1] : results[0];
  EXPECT_EQ(lost.failure().problem, Problem::IdExists);
  EXPECT_EQ(userIds().size(), 1u);
  EXPECT_EQ(dataFolderFiles().size(), 1u);
}

}  // namespace
}  // namespace account::test
