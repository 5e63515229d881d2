// Changing an account: a new password rewrites Key1 only, new fingers rewrite
// the records and Key2 together, the blocks the program hands the change
// tools are checked, and deletion leaves nothing.
#include <sys/stat.h>

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>

#include <cstring>
#include <filesystem>

#include "lockmere/crypto/RsaPublicKey.h"
#include "lockmere/store/AccountToolBlocks.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/store/UserStore.h"
#include "lockmere/tools/account/core/AccountChanges.h"
#include "lockmere/tools/account/core/FileBytes.h"
#include "lockmere/tools/account/core/ToolToken.h"
#include "tests/account/AccountFixture.h"

namespace account::test {
namespace {

using ChangesTest = AccountTest;

// A site in the user's store, so that changes can be seen to keep it.
void storeOneSite(const UnlockedAccount& account, const std::string& name) {
  store::UserStore user(account.id, account.dataFile, account.dataKey);
  ASSERT_TRUE(user.load()) << user.errorString();
  auto& site = user.sites().RegSites().add();
  site.Name = name;
  site.URL = "https://example.com/";
  site.Keyword = "EXAMPLE.COM";
  ASSERT_TRUE(user.save()) << user.errorString();
}

std::vector<std::string> siteNames(const UnlockedAccount& account) {
  store::UserStore user(account.id, account.dataFile, account.dataKey);
  EXPECT_TRUE(user.load()) << user.errorString();
  std::vector<std::string> names;
  for (int i = 0; i < user.sites().RegSites().count(); ++i) names.push_back(user.sites().RegSites()[i].Name);
  return names;
}

TEST_F(ChangesTest, NewPasswordReplacesTheOldOneAndFingersStillOpen) {
  createUser("Hana", "old password", {"104"});
  const UnlockedAccount account = unlock("Hana", "old password");
  const auto key2Before = accounts().read("Hana")->key2;
  auto reg = accounts();
  ASSERT_FALSE(changePassword(reg, account, "new password", programKey_));
  EXPECT_FALSE(unlockWithPassword(accounts(), "Hana", "old password", programKey_));
  const auto after = unlockWithPassword(accounts(), "Hana", "new password", programKey_);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->dataKey, account.dataKey);
  EXPECT_EQ(accounts().read("Hana")->key2, key2Before);
  EXPECT_EQ(identify("104", 6), "Hana");
  EXPECT_EQ(changePassword(reg, account, "  ", programKey_).problem, Problem::PasswordEmpty);
}

TEST_F(ChangesTest, NewFingersReplaceTheOldOnesAndKeepTheStore) {
  const std::string path = createUser("Ines", "pw", {"104"});
  createUser("Jun", "pw", {"105"});
  const UnlockedAccount account = unlock("Ines", "pw");
  storeOneSite(account, "kept");
  ASSERT_EQ(identify("104", 6), "Ines");

  auto reg = accounts();
  ASSERT_FALSE(replaceFingerprints(reg, account, {enrolled("108"), enrolled("107")}, programKey_));
  EXPECT_EQ(identify("108", 6), "Ines");
  EXPECT_EQ(identify("107", 5), "Ines");
  EXPECT_EQ(identify("104", 6), "");  // the old finger is gone
  EXPECT_EQ(identify("105", 7), "Jun");

  // Key2 is the fingerprint key of exactly the records in the file now.
  const auto records = store::DataFile(path).loadTemplateRecords(programKey_);
  ASSERT_TRUE(records);
  EXPECT_EQ(records->count(), 2u);
  const auto values = accounts().read("Ines");
  const auto header = store::DataFile(path).readHeader();
  ASSERT_TRUE(header);
  EXPECT_TRUE(
      store::keys::unwrapByFingerprint(*records, 1, values->key2.data(), values->key2.size(), *header, programKey_));
  // The header's check block and the store stay; the password still opens.
  EXPECT_EQ(siteNames(unlock("Ines", "pw")), (std::vector<std::string>{"kept"}));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(replaceFingerprints(reg, account, {}, programKey_).problem, Problem::NoFingers);
}

TEST_F(ChangesTest, FingerChangeThatTheRegistryRefusesLeavesTheOldFingers) {
  const std::string path = createUser("Kai", "pw", {"104"});
  const UnlockedAccount account = unlock("Kai", "pw");
  storeOneSite(account, "kept");
  std::string before;
  ASSERT_TRUE(readWholeFile(path, before));
  refuseValue("Key2");
  auto reg = accounts();
  EXPECT_EQ(replaceFingerprints(reg, account, {enrolled("108")}, programKey_).problem, Problem::RegistryFailed);
  removeRefusals();
  std::string after;
  ASSERT_TRUE(readWholeFile(path, after));
  EXPECT_TRUE(after == before);
  EXPECT_EQ(identify("104", 6), "Kai");
  EXPECT_EQ(identify("108", 6), "");
  EXPECT_EQ(dataFolderFiles().size(), 1u);  // no temporary file left
}

TEST_F(ChangesTest, DeletionRemovesKeyAndDataFile) {
  const std::string path = createUser("Lee", "pw", {"104"});
  createUser("Mia", "pw");
  auto values = confirmPassword(accounts(), "Lee", "wrong", programKey_);
  EXPECT_EQ(values.failure().problem, Problem::WrongPassword);
  values = confirmPassword(accounts(), "LEE", "pw", programKey_);
  ASSERT_TRUE(values);
  auto reg = accounts();
  ASSERT_FALSE(deleteAccount(reg, *values));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(userIds(), std::vector<std::string>{"Mia"});
  EXPECT_EQ(identify("104", 6), "");
  // A user whose data file is gone already can still be confirmed and deleted.
  const std::string second = createUser("Noa", "pw");
  std::filesystem::remove(second);
  values = confirmPassword(accounts(), "Noa", "pw", programKey_);
  ASSERT_TRUE(values);
  EXPECT_FALSE(deleteAccount(reg, *values));
  EXPECT_EQ(userIds(), std::vector<std::string>{"Mia"});
}

TEST_F(ChangesTest, ModificationBlockOpensOnlyTheAccountItNames) {
  createUser("Olu", "pw", {"104"});
  createUser("Pia", "pw");
  const UnlockedAccount olu = unlock("Olu", "pw");
  const auto block = store::tools::makeModificationBlock(olu.dataKey, "Olu", programKey_);
  ASSERT_TRUE(block);
  const auto opened = unlockWithModificationBlock(accounts(), block->data(), block->size(), programKey_);
  ASSERT_TRUE(opened) << describe(opened.failure());
  EXPECT_EQ(opened->id, "Olu");
  EXPECT_EQ(opened->dataKey, olu.dataKey);
  EXPECT_EQ(opened->dataFile, olu.dataFile);

  auto refused = [&](const store::tools::ModificationBlock& b) {
    const auto r = unlockWithModificationBlock(accounts(), b.data(), b.size(), programKey_);
    return !r && r.failure().problem == Problem::ModificationBlockInvalid;
  };
  // A flipped byte in the marker, the data key, the ID or the zero tail. (A
  // block of nothing but random filler, 80-103, may be damaged harmlessly.)
  for (std::size_t at : {0u, 20u, 60u, 70u, 110u, 127u}) {
    auto damaged = *block;
    damaged[at] ^= 0x01;
    const auto r = unlockWithModificationBlock(accounts(), damaged.data(), damaged.size(), programKey_);
    EXPECT_FALSE(r) << at;
  }
  // Another user's ID with Olu's data key, and Olu's ID in another case.
  EXPECT_TRUE(refused(*store::tools::makeModificationBlock(olu.dataKey, "Pia", programKey_)));
  EXPECT_TRUE(refused(*store::tools::makeModificationBlock(olu.dataKey, "OLU", programKey_)));
  // Made under another program key.
  crypto::SecureBytes otherKey = programKey_;
  otherKey[3] ^= 0x55;
  EXPECT_TRUE(refused(*store::tools::makeModificationBlock(olu.dataKey, "Olu", otherKey)));
}

TEST_F(ChangesTest, ToolTokenOpensOnlyWhenTheProgramMadeIt) {
  const auto token = store::tools::makeToolToken(programKey_);
  const auto key = openToolToken(token.data(), token.size());
  ASSERT_TRUE(key) << describe(key.failure());
  EXPECT_EQ(*key, programKey_);

  auto damaged = token;
  damaged[40] ^= 0x01;
  EXPECT_EQ(openToolToken(damaged.data(), damaged.size()).failure().problem, Problem::TokenInvalid);
  EXPECT_EQ(openToolToken(token.data(), 127).failure().problem, Problem::TokenInvalid);
  std::vector<unsigned char> ones(128, 0xFF);  // above the modulus
  EXPECT_EQ(openToolToken(ones.data(), ones.size()).failure().problem, Problem::TokenInvalid);

  // The right layout under a key pair of someone else's.
  crypto::SecureBytes message(store::tools::kTokenMessageSize, 0x41);
  std::memcpy(message.data(), store::fixed::kToolTokenMarker, store::fixed::kToolTokenMarkerSize);
  std::memcpy(message.data() + 58, programKey_.data(), programKey_.size());
  EVP_PKEY* pair = EVP_RSA_gen(1024);
  ASSERT_NE(pair, nullptr);
  auto number = [pair](const char* name) {
    BIGNUM* bn = nullptr;
    EVP_PKEY_get_bn_param(pair, name, &bn);
    std::vector<unsigned char> out(std::size_t(BN_num_bytes(bn)));
    BN_bn2bin(bn, out.data());
    BN_free(bn);
    return out;
  };
  const auto n = number("n"), e = number("e");
  EVP_PKEY_free(pair);
  const crypto::RsaPublicKey foreign(n.data(), n.size(), e.data(), e.size());
  const auto forged = foreign.encryptType2(message.data(), message.size());
  EXPECT_EQ(openToolToken(forged.data(), forged.size()).failure().problem, Problem::TokenInvalid);

  // Our key, but not our marker.
  message[0] ^= 0x20;
  const crypto::RsaPublicKey ours(store::fixed::kToolKeyModulus, sizeof store::fixed::kToolKeyModulus,
                                  store::fixed::kToolKeyExponent, sizeof store::fixed::kToolKeyExponent);
  const auto marked = ours.encryptType2(message.data(), message.size());
  EXPECT_EQ(openToolToken(marked.data(), marked.size()).failure().problem, Problem::TokenWrongMarker);
}

}  // namespace
}  // namespace account::test
