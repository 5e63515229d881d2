#include "lockmere/crypto/RsaPublicKey.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/rsa.h>

#include <cstring>

#include "lockmere/crypto/CryptoError.h"
#include "lockmere/crypto/Random.h"

namespace crypto {

RsaPublicKey::RsaPublicKey(const unsigned char* modulus, std::size_t modulusSize, const unsigned char* exponent,
                           std::size_t exponentSize) {
  BIGNUM* n = BN_bin2bn(modulus, static_cast<int>(modulusSize), nullptr);
  BIGNUM* e = BN_bin2bn(exponent, static_cast<int>(exponentSize), nullptr);
  OSSL_PARAM_BLD* build = OSSL_PARAM_BLD_new();
  OSSL_PARAM* params = nullptr;
  EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr);
  bool ok = n && e && build && ctx && !BN_is_zero(n) && OSSL_PARAM_BLD_push_BN(build, OSSL_PKEY_PARAM_RSA_N, n) == 1 &&
            OSSL_PARAM_BLD_push_BN(build, OSSL_PKEY_PARAM_RSA_E, e) == 1 &&
            (params = OSSL_PARAM_BLD_to_param(build)) != nullptr && EVP_PKEY_fromdata_init(ctx) == 1 &&
            EVP_PKEY_fromdata(ctx, &key_, EVP_PKEY_PUBLIC_KEY, params) == 1;
  if (ok) size_ = static_cast<std::size_t>(BN_num_bytes(n));
  OSSL_PARAM_free(params);
  OSSL_PARAM_BLD_free(build);
  EVP_PKEY_CTX_free(ctx);
  BN_free(n);
  BN_free(e);
  if (!ok) {
    EVP_PKEY_free(key_);
    throw CryptoError("OpenSSL refused the RSA public key");
  }
}

RsaPublicKey::~RsaPublicKey() { EVP_PKEY_free(key_); }

SecureBytes RsaPublicKey::type2Block(const unsigned char* message, std::size_t messageSize) const {
  if (messageSize + 4 > size_) throw CryptoError("RSA: the message leaves no room for the padding");
  SecureBytes block(size_, 0);
  block[1] = 0x02;
  const std::size_t fillerEnd = size_ - messageSize - 1;
  for (std::size_t i = 2; i < fillerEnd; ++i) {
    do {
      if (!randomBytes(&block[i], 1)) throw CryptoError("the random generator failed");
    } while (block[i] == 0);
  }
  // block[fillerEnd] stays 0: the separator.
  if (messageSize) std::memcpy(&block[fillerEnd + 1], message, messageSize);
  return block;
}

std::vector<unsigned char> RsaPublicKey::encryptRaw(const SecureBytes& block) const {
  if (block.size() != size_) throw CryptoError("RSA: the block must be as long as the modulus");
  EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_pkey(nullptr, key_, nullptr);
  std::vector<unsigned char> out(size_);
  std::size_t outSize = out.size();
  const bool ok = ctx && EVP_PKEY_encrypt_init(ctx) == 1 && EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_NO_PADDING) == 1 &&
                  EVP_PKEY_encrypt(ctx, out.data(), &outSize, block.data(), block.size()) == 1 && outSize == size_;
  EVP_PKEY_CTX_free(ctx);
  if (!ok) throw CryptoError("RSA: OpenSSL could not encrypt the block");
  return out;
}

std::vector<unsigned char> RsaPublicKey::encryptType2(const unsigned char* message, std::size_t messageSize) const {
  return encryptRaw(type2Block(message, messageSize));
}

}  // namespace crypto
