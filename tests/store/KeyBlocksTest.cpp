#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <cstdio>

#include "lockmere/crypto/Hash.h"
#include "lockmere/store/AccountToolBlocks.h"
#include "lockmere/store/AutoLoginBlock.h"
#include "lockmere/store/KeyBlocks.h"
#include "tests/store/StoreFixture.h"

using namespace store;
using storetest::TestUser;

TEST(KeyBlocks, PasswordUnwrapsKey1WhateverBlanksSurroundIt) {
  TestUser u("hong", "s3cret 비밀", 1);
  const auto header = u.header();
  for (const char* typed : {"s3cret 비밀", " s3cret 비밀", "s3cret 비밀\t ", "\r\n s3cret 비밀 \x01"}) {
    SCOPED_TRACE(typed);
    const auto key = keys::unwrapByPassword(u.id, typed, u.key1.data(), 112, header, u.programKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(*key, u.dataKey);
  }
  EXPECT_FALSE(keys::unwrapByPassword(u.id, "s3cret  비밀", u.key1.data(), 112, header, u.programKey));  // inner blank
  EXPECT_FALSE(keys::unwrapByPassword(u.id, "S3cret 비밀", u.key1.data(), 112, header, u.programKey));
  EXPECT_FALSE(keys::unwrapByPassword("kim", "s3cret 비밀", u.key1.data(), 112, header, u.programKey));
  EXPECT_FALSE(keys::unwrapByPassword("", "s3cret 비밀", u.key1.data(), 112, header, u.programKey));
  EXPECT_FALSE(keys::unwrapByPassword(u.id, "😀", u.key1.data(), 112, header, u.programKey));  // no code-page form
  // A registry value of another size is refused, not read past.
  EXPECT_FALSE(keys::unwrapByPassword(u.id, "s3cret 비밀", u.key1.data(), 111, header, u.programKey));
  EXPECT_FALSE(keys::unwrapByPassword(u.id, "s3cret 비밀", nullptr, 0, header, u.programKey));
}

TEST(KeyBlocks, PasswordKeyIsMd5OfPasswordAndItsHexDigest) {
  // p = "abc": MD5("abc" + "900150983cd24fb0d6963f7d28e17f72").
  const auto key = keys::passwordKey("  abc ");
  ASSERT_TRUE(key);
  EXPECT_EQ(crypto::toHex(*key), crypto::md5Hex("abc900150983cd24fb0d6963f7d28e17f72"));
  // Korean passwords enter MD5 as code-page bytes ("가" = B0 A1).
  EXPECT_EQ(crypto::toHex(*keys::passwordKey("가")), crypto::md5Hex("\xB0\xA1" + crypto::md5Hex("\xB0\xA1")));
}

TEST(KeyBlocks, Key1WithAWrongDataKeyFailsTheCheckBlock) {
  TestUser u("lee", "pw", 0);
  const auto other = storetest::randomKey();
  const auto key1 = *keys::makeKey1(u.id, u.password, other, u.programKey);
  EXPECT_FALSE(keys::unwrapByPassword(u.id, u.password, key1.data(), 112, u.header(), u.programKey));
  EXPECT_TRUE(keys::verifyDataKey(u.id, u.dataKey, u.header()));
  EXPECT_FALSE(keys::verifyDataKey(u.id, other, u.header()));
  EXPECT_FALSE(keys::verifyDataKey("", u.dataKey, u.header()));
}

TEST(KeyBlocks, OpenKey1NeedsTheIdAndPasswordButNoDataFile) {
  TestUser u("opener", "its password", 0);
  const auto dataKey = keys::openKey1("opener", " its password", u.key1.data(), u.key1.size(), u.programKey);
  ASSERT_TRUE(dataKey);
  EXPECT_EQ(*dataKey, u.dataKey);
  EXPECT_FALSE(keys::openKey1("opener", "its passwort", u.key1.data(), u.key1.size(), u.programKey));
  EXPECT_FALSE(keys::openKey1("OPENER", "its password", u.key1.data(), u.key1.size(), u.programKey));
  EXPECT_FALSE(keys::openKey1("opener", "its password", u.key1.data(), 111, u.programKey));
  // What unwrapByPassword adds: the data file's check block.
  std::remove(u.path.c_str());
  EXPECT_TRUE(keys::openKey1("opener", "its password", u.key1.data(), u.key1.size(), u.programKey));
}

TEST(KeyBlocks, FingerprintUnwrapGroupsRecordsByWholeOwnerField) {
  TestUser a("alice", "pw", 2), b("bob", "pw", 3);
  // The login window's array: bob's records around alice's, as enumeration and files give them.
  const auto ra = *DataFile(a.path).loadTemplateRecords(a.programKey);
  const auto rb = *DataFile(b.path).loadTemplateRecords(b.programKey);
  TemplateRecords all;
  all.append(rb);
  all.append(ra);
  for (std::size_t i : {0u, 1u, 2u}) {
    EXPECT_EQ(*keys::fingerprintOwner(all, i), "bob");
    const auto key = keys::unwrapByFingerprint(all, i, b.key2.data(), 112, b.header(), b.programKey);
    ASSERT_TRUE(key) << i;
    EXPECT_EQ(*key, b.dataKey);
  }
  EXPECT_EQ(*keys::fingerprintOwner(all, 4), "alice");
  ASSERT_TRUE(keys::unwrapByFingerprint(all, 4, a.key2.data(), 112, a.header(), a.programKey));
  // Another user's Key2, or one record missing from the group, does not unwrap.
  EXPECT_FALSE(keys::unwrapByFingerprint(all, 4, b.key2.data(), 112, a.header(), a.programKey));
  TemplateRecords partial;
  partial.appendRecord(rb.record(0));
  partial.appendRecord(rb.record(1));
  EXPECT_FALSE(keys::unwrapByFingerprint(partial, 0, b.key2.data(), 112, b.header(), b.programKey));
  // An owner field that differs after the trimmed ID (here a trailing blank)
  // is another group, though it reads as the same ID.
  TemplateRecords mixed = rb;
  crypto::SecureBytes odd(rb.record(0), rb.record(0) + TemplateRecords::kRecordSize);
  odd[3] = ' ';
  mixed.appendRecord(odd.data());
  EXPECT_EQ(*keys::fingerprintOwner(mixed, 3), "bob");
  EXPECT_TRUE(keys::unwrapByFingerprint(mixed, 0, b.key2.data(), 112, b.header(), b.programKey));
  EXPECT_FALSE(keys::unwrapByFingerprint(mixed, 3, b.key2.data(), 112, b.header(), b.programKey));
  EXPECT_FALSE(keys::unwrapByFingerprint(all, 99, b.key2.data(), 112, b.header(), b.programKey));
}

TEST(KeyBlocks, MaskIsXorWithProgramKeyAndItsOwnInverse) {
  const auto pk = fixed::programKey();
  unsigned char block[112] = {};
  keys::mask(block, sizeof block, pk);
  for (int i = 0; i < 112; ++i) EXPECT_EQ(block[i], pk[static_cast<std::size_t>(i % 56)]);
  keys::mask(block, sizeof block, pk);
  for (unsigned char b : block) EXPECT_EQ(b, 0);
}

TEST(ProgramKey, PiecesLandAtTheirOffsets) {
  const auto a = fixed::programKey(), b = fixed::programKey();
  ASSERT_EQ(a.size(), 56u);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a[0], 0x94);
  EXPECT_EQ(a[16], 0x05);
  EXPECT_EQ(a[20], 0x32);
  EXPECT_EQ(a[51], 0x21);
  EXPECT_EQ(a[4], 0xC9);  // preset byte between the pieces
}

TEST(AutoLoginBlock, RoundTripAndFieldPositions) {
  const auto pk = fixed::programKey();
  const auto dataKey = storetest::randomKey();
  const auto block = autologin::make("홍길동", dataKey, pk);
  ASSERT_TRUE(block);
  const auto login = autologin::read(block->data(), block->size(), pk);
  ASSERT_TRUE(login);
  EXPECT_EQ(login->userId, "홍길동");
  EXPECT_EQ(login->dataKey, dataKey);
  // Decrypt by hand: "Cf", the ID in code-page bytes with its NUL, the key at 55.
  crypto::SecureBytes plain(112);
  crypto::Blowfish(pk.data(), pk.size()).decryptCbc(block->data(), plain.data(), 112, fixed::kAutoLoginIv);
  keys::mask(plain.data(), 112, pk);
  EXPECT_EQ(plain[0], 'C');
  EXPECT_EQ(plain[1], 'f');
  EXPECT_EQ(std::string(plain.begin() + 2, plain.begin() + 9), std::string("\xC8\xAB\xB1\xE6\xB5\xBF\0", 7));
  EXPECT_TRUE(std::equal(dataKey.begin(), dataKey.end(), plain.begin() + 55));
  // Two blocks for the same login differ (random filling).
  EXPECT_NE(*block, *autologin::make("홍길동", dataKey, pk));
  EXPECT_FALSE(autologin::make(std::string(51, 'x'), dataKey, pk));
  EXPECT_FALSE(autologin::read(block->data(), 111, pk));
}

TEST(AutoLoginBlock, WithoutCfItIsRefused) {
  const auto pk = fixed::programKey();
  crypto::SecureBytes plain(112, 'a');
  plain[0] = 'C';
  plain[1] = 'F';
  keys::mask(plain.data(), 112, pk);
  autologin::Block block;
  crypto::Blowfish(pk.data(), pk.size()).encryptCbc(plain.data(), block.data(), 112, fixed::kAutoLoginIv);
  EXPECT_FALSE(autologin::read(block.data(), block.size(), pk));
  // And a block made under another program key decrypts to noise.
  const auto foreign = autologin::make("kim", storetest::randomKey(), storetest::randomKey());
  EXPECT_FALSE(autologin::read(foreign->data(), foreign->size(), pk));
}

TEST(AutoLoginBlock, WithoutNulTheIdIsBytes2To51) {
  const auto pk = fixed::programKey();
  crypto::SecureBytes plain(112, 'z');
  plain[0] = 'C';
  plain[1] = 'f';
  for (int i = 2; i < 52; ++i) plain[static_cast<std::size_t>(i)] = static_cast<unsigned char>('A' + i % 26);
  for (int i = 55; i < 111; ++i) plain[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
  keys::mask(plain.data(), 112, pk);
  autologin::Block block;
  crypto::Blowfish(pk.data(), pk.size()).encryptCbc(plain.data(), block.data(), 112, fixed::kAutoLoginIv);
  const auto login = autologin::read(block.data(), block.size(), pk);
  ASSERT_TRUE(login);
  ASSERT_EQ(login->userId.size(), 50u);
  EXPECT_EQ(login->userId.front(), 'C');  // byte 2 = 'A' + 2
  EXPECT_EQ(login->userId.back(), 'Z');   // byte 51 = 'A' + 25
  EXPECT_EQ(login->dataKey[0], 55);
  EXPECT_EQ(login->dataKey[55], 110);
}

namespace {

// Decrypts a tool token with the private key kept in the test data.
std::vector<unsigned char> openToken(const std::vector<unsigned char>& token) {
  const std::string pemPath = std::string(LOCKMERE_SOURCE_DIR) + "/tests/store/data/tool-token-private.pem";
  FILE* f = std::fopen(pemPath.c_str(), "r");
  EXPECT_NE(f, nullptr) << pemPath;
  if (!f) return {};
  EVP_PKEY* key = PEM_read_PrivateKey(f, nullptr, nullptr, nullptr);
  std::fclose(f);
  EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr);
  std::vector<unsigned char> out(128);
  std::size_t size = out.size();
  EXPECT_EQ(EVP_PKEY_decrypt_init(ctx), 1);
  EXPECT_EQ(EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_NO_PADDING), 1);
  EXPECT_EQ(EVP_PKEY_decrypt(ctx, out.data(), &size, token.data(), token.size()), 1);
  EVP_PKEY_CTX_free(ctx);
  EVP_PKEY_free(key);
  out.resize(size);
  return out;
}

}  // namespace

TEST(ToolToken, PrivateKeyOfTheTestDataOpensIt) {
  const auto pk = fixed::programKey();
  const auto token = tools::makeToolToken(pk);
  ASSERT_EQ(token.size(), 128u);
  const auto block = openToken(token);
  ASSERT_EQ(block.size(), 128u);
  EXPECT_EQ(block[0], 0);
  EXPECT_EQ(block[1], 2);
  for (int i = 2; i < 9; ++i) EXPECT_NE(block[static_cast<std::size_t>(i)], 0);
  EXPECT_EQ(block[9], 0);
  const unsigned char* message = block.data() + 10;
  EXPECT_EQ(std::string(message, message + 54), fixed::kToolTokenMarker);
  EXPECT_TRUE(std::equal(pk.begin(), pk.end(), message + 58));
  // Fresh randomness every time: the random bytes and the filler change.
  const auto other = openToken(tools::makeToolToken(pk));
  EXPECT_NE(std::vector<unsigned char>(block.begin() + 64, block.begin() + 68),
            std::vector<unsigned char>(other.begin() + 64, other.begin() + 68));
}

TEST(ModificationBlock, LayoutAndRoundTrip) {
  const auto pk = fixed::programKey();
  const auto dataKey = storetest::randomKey();
  const auto block = tools::makeModificationBlock(dataKey, "me", pk);
  ASSERT_TRUE(block);
  crypto::SecureBytes plain(128);
  crypto::Blowfish(pk.data(), pk.size()).decryptCbc(block->data(), plain.data(), 128, fixed::kModificationIv);
  EXPECT_EQ(std::string(plain.begin(), plain.begin() + 4), "LMMD");
  EXPECT_TRUE(std::equal(dataKey.begin(), dataKey.end(), plain.begin() + 9));
  EXPECT_EQ(std::string(plain.begin() + 69, plain.begin() + 72), std::string("me\0", 3));
  // No address in 121-124 (a 64-bit one would not fit): the tools read the data file.
  for (int i = 112; i < 128; ++i) EXPECT_EQ(plain[static_cast<std::size_t>(i)], 0) << i;

  const auto read = tools::readModificationBlock(block->data(), block->size(), pk);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->userId, "me");
  EXPECT_EQ(read->dataKey, dataKey);
  EXPECT_FALSE(tools::makeModificationBlock(dataKey, "", pk));
}

TEST(ModificationBlock, LongestIdReachesIntoTheZeroTail) {
  const auto pk = fixed::programKey();
  const auto dataKey = storetest::randomKey();
  const std::string id(50, 'x');  // bytes 69-118, its NUL at 119
  const auto block = tools::makeModificationBlock(dataKey, id, pk);
  ASSERT_TRUE(block);
  const auto read = tools::readModificationBlock(block->data(), block->size(), pk);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->userId, id);
}

namespace {

// Re-encrypts a changed plain block as the program would have made it.
tools::ModificationBlock encryptPlain(crypto::SecureBytes plain, const crypto::SecureBytes& pk) {
  tools::ModificationBlock out;
  crypto::Blowfish(pk.data(), pk.size()).encryptCbc(plain.data(), out.data(), 128, fixed::kModificationIv);
  return out;
}

}  // namespace

TEST(ModificationBlock, DamagedOrForeignBlocksAreRefused) {
  const auto pk = fixed::programKey();
  const auto dataKey = storetest::randomKey();
  const auto block = *tools::makeModificationBlock(dataKey, "someone", pk);
  // A flipped byte in the marker's block, or in one of the last three blocks,
  // garbles the marker or the zero tail. (Damage to the data key or the ID is
  // found when the tool checks them against the user's data file.)
  for (std::size_t at : {0u, 7u, 104u, 112u, 120u, 127u}) {
    auto damaged = block;
    damaged[at] ^= 0x20;
    EXPECT_FALSE(tools::readModificationBlock(damaged.data(), damaged.size(), pk)) << at;
  }
  EXPECT_FALSE(tools::readModificationBlock(block.data(), 127, pk));
  EXPECT_FALSE(tools::readModificationBlock(block.data(), block.size(), storetest::randomKey()));

  crypto::SecureBytes plain(128);
  crypto::Blowfish(pk.data(), pk.size()).decryptCbc(block.data(), plain.data(), 128, fixed::kModificationIv);
  // An address in 121-124, as an older program wrote it, is ignored.
  auto withAddress = plain;
  for (int i = 121; i < 125; ++i) withAddress[static_cast<std::size_t>(i)] = 0xAB;
  const auto old = encryptPlain(withAddress, pk);
  EXPECT_TRUE(tools::readModificationBlock(old.data(), old.size(), pk));
  // Anything else in the zero tail, or an ID without its NUL, is not a block.
  auto tail = plain;
  tail[126] = 1;
  const auto badTail = encryptPlain(tail, pk);
  EXPECT_FALSE(tools::readModificationBlock(badTail.data(), badTail.size(), pk));
  auto noNul = plain;
  for (int i = 69; i < 120; ++i) noNul[static_cast<std::size_t>(i)] = 'a';
  const auto unterminated = encryptPlain(noNul, pk);
  EXPECT_FALSE(tools::readModificationBlock(unterminated.data(), unterminated.size(), pk));
}
