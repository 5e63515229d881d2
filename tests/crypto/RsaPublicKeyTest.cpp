#include "lockmere/crypto/RsaPublicKey.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>

#include <array>
#include <memory>

#include "lockmere/crypto/CryptoError.h"
#include "lockmere/crypto/Random.h"

using crypto::RsaPublicKey;

namespace {

// A fresh 1024-bit pair; the private half decrypts what the public half made.
class KeyPair {
 public:
  KeyPair() : key_(EVP_RSA_gen(1024)) {}
  ~KeyPair() { EVP_PKEY_free(key_); }

  std::vector<unsigned char> number(const char* name) const {
    BIGNUM* bn = nullptr;
    EVP_PKEY_get_bn_param(key_, name, &bn);
    std::vector<unsigned char> out(static_cast<std::size_t>(BN_num_bytes(bn)));
    BN_bn2bin(bn, out.data());
    BN_free(bn);
    return out;
  }

  std::vector<unsigned char> decryptRaw(const std::vector<unsigned char>& cipher) const {
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_pkey(nullptr, key_, nullptr);
    std::vector<unsigned char> out(cipher.size());
    std::size_t size = out.size();
    EXPECT_EQ(EVP_PKEY_decrypt_init(ctx), 1);
    EXPECT_EQ(EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_NO_PADDING), 1);
    EXPECT_EQ(EVP_PKEY_decrypt(ctx, out.data(), &size, cipher.data(), cipher.size()), 1);
    EVP_PKEY_CTX_free(ctx);
    out.resize(size);
    return out;
  }

  std::unique_ptr<RsaPublicKey> publicKey() const {
    auto n = number(OSSL_PKEY_PARAM_RSA_N);
    // The exponent as 4 big-endian bytes, the width the stored key uses.
    auto e = number(OSSL_PKEY_PARAM_RSA_E);
    std::vector<unsigned char> e4(4 - e.size(), 0);
    e4.insert(e4.end(), e.begin(), e.end());
    return std::make_unique<RsaPublicKey>(n.data(), n.size(), e4.data(), e4.size());
  }

 private:
  EVP_PKEY* key_;
};

}  // namespace

TEST(RsaPublicKey, SevenFillerBytesForA118ByteMessage) {
  KeyPair pair;
  auto key = pair.publicKey();
  ASSERT_EQ(key->size(), 128u);
  std::array<unsigned char, 118> message;
  ASSERT_TRUE(crypto::randomBytes(message.data(), message.size()));
  message[0] = 0;  // a leading zero in the message must survive

  auto cipher = key->encryptType2(message.data(), message.size());
  ASSERT_EQ(cipher.size(), 128u);
  auto block = pair.decryptRaw(cipher);
  ASSERT_EQ(block.size(), 128u);
  EXPECT_EQ(block[0], 0x00);
  EXPECT_EQ(block[1], 0x02);
  for (int i = 2; i < 9; ++i) EXPECT_NE(block[i], 0) << i;
  EXPECT_EQ(block[9], 0x00);
  EXPECT_TRUE(std::equal(message.begin(), message.end(), block.begin() + 10));
}

TEST(RsaPublicKey, FillerIsFreshNonZeroAndCoversEveryValue) {
  KeyPair pair;
  auto key = pair.publicKey();
  unsigned char message[118] = {};
  std::array<int, 256> seen{};
  crypto::SecureBytes first = key->type2Block(message, sizeof message);
  bool allSame = true;
  for (int round = 0; round < 3000; ++round) {
    auto block = key->type2Block(message, sizeof message);
    for (int i = 2; i < 9; ++i) ++seen[block[i]];
    allSame = allSame && block == first;
  }
  EXPECT_FALSE(allSame);
  EXPECT_EQ(seen[0], 0);
  for (int v = 1; v < 256; ++v) EXPECT_GT(seen[v], 0) << v;
}

TEST(RsaPublicKey, RawEncryptionIsTheTextbookPower) {
  // No padding of OpenSSL's own may creep in: the result is block^e mod n.
  KeyPair pair;
  auto key = pair.publicKey();
  crypto::SecureBytes block(128);
  ASSERT_TRUE(crypto::randomBytes(block.data(), block.size()));
  block[0] = 0;
  block[1] = 0;  // the result then often keeps leading zero bytes too
  auto c = key->encryptRaw(block);

  auto n = pair.number(OSSL_PKEY_PARAM_RSA_N);
  auto e = pair.number(OSSL_PKEY_PARAM_RSA_E);
  BN_CTX* ctx = BN_CTX_new();
  BIGNUM* bn = BN_bin2bn(n.data(), static_cast<int>(n.size()), nullptr);
  BIGNUM* be = BN_bin2bn(e.data(), static_cast<int>(e.size()), nullptr);
  BIGNUM* bm = BN_bin2bn(block.data(), static_cast<int>(block.size()), nullptr);
  BIGNUM* r = BN_new();
  ASSERT_EQ(BN_mod_exp(r, bm, be, bn, ctx), 1);
  std::vector<unsigned char> expected(128);
  ASSERT_EQ(BN_bn2binpad(r, expected.data(), 128), 128);
  EXPECT_EQ(c, expected);
  for (BIGNUM* x : {bn, be, bm, r}) BN_free(x);
  BN_CTX_free(ctx);

  // A block that is not as long as the modulus is refused.
  EXPECT_THROW(key->encryptRaw(crypto::SecureBytes(127, 0)), crypto::CryptoError);
}

TEST(RsaPublicKey, MessagesWithoutRoomForPaddingAreRefused) {
  KeyPair pair;
  auto key = pair.publicKey();
  unsigned char message[125] = {};
  EXPECT_THROW(key->type2Block(message, 125), crypto::CryptoError);
  EXPECT_NO_THROW(key->type2Block(message, 124));  // one filler byte
}

TEST(RsaPublicKey, ZeroModulusIsRefused) {
  unsigned char zero[128] = {};
  unsigned char e[4] = {0, 1, 0, 1};
  EXPECT_THROW(RsaPublicKey(zero, sizeof zero, e, sizeof e), crypto::CryptoError);
}
