#include "lockmere/crypto/Hash.h"

#include <openssl/evp.h>

#include "lockmere/crypto/CryptoError.h"

namespace crypto {
namespace {

const EVP_MD* digestOf(Hash::Algorithm algorithm) { return algorithm == Hash::Md5 ? EVP_md5() : EVP_sha1(); }

}  // namespace

Hash::Hash(Algorithm algorithm) : context_(EVP_MD_CTX_new()) {
  if (!context_ || EVP_DigestInit_ex(context_, digestOf(algorithm), nullptr) != 1) {
    EVP_MD_CTX_free(context_);
    throw CryptoError("OpenSSL cannot compute this digest");
  }
}

Hash::~Hash() { EVP_MD_CTX_free(context_); }

void Hash::addData(const void* data, std::size_t size) {
  if (size && EVP_DigestUpdate(context_, data, size) != 1) throw CryptoError("OpenSSL failed to hash the data");
}

SecureBytes Hash::result() const {
  // Finish a copy, so that the running state stays open for more data.
  EVP_MD_CTX* copy = EVP_MD_CTX_new();
  SecureBytes digest(EVP_MAX_MD_SIZE);
  unsigned int size = 0;
  const bool ok =
      copy && EVP_MD_CTX_copy_ex(copy, context_) == 1 && EVP_DigestFinal_ex(copy, digest.data(), &size) == 1;
  EVP_MD_CTX_free(copy);
  if (!ok) throw CryptoError("OpenSSL failed to finish the digest");
  digest.resize(size);
  return digest;
}

SecureBytes Hash::hash(std::string_view data, Algorithm algorithm) {
  Hash h(algorithm);
  h.addData(data);
  return h.result();
}

std::string toHex(const unsigned char* data, std::size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(size * 2, '0');
  for (std::size_t i = 0; i < size; ++i) {
    text[2 * i] = kDigits[data[i] >> 4];
    text[2 * i + 1] = kDigits[data[i] & 0x0F];
  }
  return text;
}

std::string md5Hex(std::string_view data) { return toHex(Hash::hash(data, Hash::Md5)); }

}  // namespace crypto
