#include "lockmere/crypto/Blowfish.h"

#include <gtest/gtest.h>

#include "lockmere/crypto/CryptoError.h"
#include "lockmere/crypto/Random.h"
#include "tests/crypto/HexUtil.h"

using crypto::Blowfish;
using testhex::bytes;
using testhex::hex;

namespace {

struct Vector {
  const char* key;
  const char* plain;
  const char* cipher;
};

// The ECB vectors published with the cipher (key, clear text, cipher text).
const Vector kEcbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

// The key-schedule vectors: prefixes of one key, 1 to 24 bytes long, over one block.
const char* const kSetKeyKey = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
const char* const kSetKeyPlain = "FEDCBA9876543210";
const char* const kSetKeyCipher[24] = {"F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
                                       "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
                                       "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
                                       "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
                                       "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
                                       "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080"};

Blowfish::Iv ivOf(const char* text) {
  auto b = bytes(text);
  Blowfish::Iv iv{};
  std::copy(b.begin(), b.end(), iv.begin());
  return iv;
}

}  // namespace

TEST(Blowfish, PublishedEcbVectorsBothWays) {
  for (const Vector& v : kEcbVectors) {
    SCOPED_TRACE(v.key);
    auto key = bytes(v.key);
    Blowfish bf(key.data(), key.size());
    auto block = bytes(v.plain);
    bf.encryptEcb(block.data(), block.data(), block.size());
    EXPECT_EQ(hex(block), v.cipher);
    bf.decryptEcb(block.data(), block.data(), block.size());
    EXPECT_EQ(hex(block), v.plain);
  }
}

TEST(Blowfish, PublishedKeyScheduleVectorsForEveryKeyLength) {
  const auto fullKey = bytes(kSetKeyKey);
  for (std::size_t n = 1; n <= 24; ++n) {
    SCOPED_TRACE(n);
    Blowfish bf(fullKey.data(), n);
    auto block = bytes(kSetKeyPlain);
    bf.encryptEcb(block.data(), block.data(), 8);
    EXPECT_EQ(hex(block), kSetKeyCipher[n - 1]);
  }
}

TEST(Blowfish, FiftySixByteKey) {
  // The longest key the cipher takes (448 bits).
  auto key = bytes(
      "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677"
      "04689104C2FD3B2F584023641ABA61761F1F1F1F0E0E0E0EFFFFFFFFFFFFFFFF");
  ASSERT_EQ(key.size(), 56u);
  Blowfish bf(key.data(), key.size());
  auto block = bytes("FEDCBA9876543210");
  bf.encryptEcb(block.data(), block.data(), 8);
  EXPECT_EQ(hex(block), "C04504012E4E1F53");
}

TEST(Blowfish, PublishedCbcVectorAndChainRestartsEveryCall) {
  auto key = bytes("0123456789ABCDEFF0E1D2C3B4A59687");
  const auto iv = ivOf("FEDCBA9876543210");
  // "7654321 Now is the time for " with its NUL, zero-filled to 32 bytes.
  const auto plain = bytes("37363534333231204E6F77206973207468652074696D6520666F722000000000");
  const char* expected = "6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC";
  Blowfish bf(key.data(), key.size());
  for (int round = 0; round < 2; ++round) {
    std::vector<unsigned char> out(plain.size());
    bf.encryptCbc(plain.data(), out.data(), out.size(), iv);
    EXPECT_EQ(hex(out), expected);
    bf.decryptCbc(out.data(), out.data(), out.size(), iv);
    EXPECT_EQ(out, plain);
  }
  // Two calls of 16 bytes each start their own chain: the second half differs.
  std::vector<unsigned char> halves(plain.size());
  bf.encryptCbc(plain.data(), halves.data(), 16, iv);
  bf.encryptCbc(plain.data() + 16, halves.data() + 16, 16, iv);
  EXPECT_EQ(hex(halves).substr(0, 32), std::string(expected).substr(0, 32));
  EXPECT_NE(hex(halves).substr(32), std::string(expected).substr(32));
}

TEST(Blowfish, LengthsThatAreNotWholeBlocksRaiseInvalidChunkSize) {
  unsigned char key[16] = {1, 2, 3};
  Blowfish bf(key, sizeof key);
  unsigned char buf[24] = {};
  const Blowfish::Iv iv{};
  for (std::size_t n : {1u, 7u, 9u, 23u}) {
    try {
      bf.encryptCbc(buf, buf, n, iv);
      ADD_FAILURE() << "no error for " << n;
    } catch (const crypto::CryptoError& e) {
      EXPECT_STREQ(e.what(), "Invalid chunk size");
    }
    EXPECT_THROW(bf.decryptCbc(buf, buf, n, iv), crypto::CryptoError);
    EXPECT_THROW(bf.encryptEcb(buf, buf, n), crypto::CryptoError);
    EXPECT_THROW(bf.decryptEcb(buf, buf, n), crypto::CryptoError);
  }
  // An empty run is a whole number of blocks.
  EXPECT_NO_THROW(bf.encryptCbc(buf, buf, 0, iv));
}

TEST(Blowfish, RejectsKeysOutsideTheCipherRange) {
  unsigned char key[57] = {};
  EXPECT_THROW(Blowfish(key, 0), crypto::CryptoError);
  EXPECT_THROW(Blowfish(key, 57), crypto::CryptoError);
  EXPECT_NO_THROW(Blowfish(key, 56));
}

TEST(Blowfish, LargeCbcRoundTripMatchesBlockByBlockChaining) {
  // CBC over a long run must equal chaining ECB blocks by hand.
  unsigned char key[56];
  ASSERT_TRUE(crypto::randomBytes(key, sizeof key));
  std::vector<unsigned char> plain(64 * 1024);
  ASSERT_TRUE(crypto::randomBytes(plain.data(), plain.size()));
  Blowfish::Iv iv{};
  ASSERT_TRUE(crypto::randomBytes(iv.data(), iv.size()));
  Blowfish bf(key, sizeof key);
  std::vector<unsigned char> cbc(plain.size());
  bf.encryptCbc(plain.data(), cbc.data(), plain.size(), iv);

  std::vector<unsigned char> manual(plain.size());
  unsigned char chain[8];
  std::copy(iv.begin(), iv.end(), chain);
  for (std::size_t off = 0; off < plain.size(); off += 8) {
    unsigned char block[8];
    for (int i = 0; i < 8; ++i) block[i] = plain[off + i] ^ chain[i];
    bf.encryptEcb(block, &manual[off], 8);
    std::copy(&manual[off], &manual[off] + 8, chain);
  }
  EXPECT_EQ(cbc, manual);
  bf.decryptCbc(cbc.data(), cbc.data(), cbc.size(), iv);
  EXPECT_EQ(cbc, plain);
}
