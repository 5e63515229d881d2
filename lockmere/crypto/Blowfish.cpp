#include "lockmere/crypto/Blowfish.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/provider.h>

#include <climits>
#include <string>

#include "lockmere/crypto/CryptoError.h"

namespace crypto {
namespace {

// OpenSSL 3 keeps Blowfish in its legacy provider. We load that provider into
// a library context of our own, so that the legacy algorithms become reachable
// for this class only and never for anything else in the process that uses
// OpenSSL's default context.
class LegacyCiphers {
 public:
  static const LegacyCiphers& instance() {
    static const LegacyCiphers ciphers;
    return ciphers;
  }
  ~LegacyCiphers() {
    EVP_CIPHER_free(ecb_);
    EVP_CIPHER_free(cbc_);
    if (legacy_) OSSL_PROVIDER_unload(legacy_);
    OSSL_LIB_CTX_free(context_);
  }
  LegacyCiphers(const LegacyCiphers&) = delete;
  LegacyCiphers& operator=(const LegacyCiphers&) = delete;

  const EVP_CIPHER* ecb() const { return ecb_; }
  const EVP_CIPHER* cbc() const { return cbc_; }
  const std::string& error() const { return error_; }

 private:
  LegacyCiphers() {
    context_ = OSSL_LIB_CTX_new();
    if (context_) legacy_ = OSSL_PROVIDER_load(context_, "legacy");
    if (legacy_) {
      ecb_ = EVP_CIPHER_fetch(context_, "BF-ECB", nullptr);
      cbc_ = EVP_CIPHER_fetch(context_, "BF-CBC", nullptr);
    }
    if (!ecb_ || !cbc_) error_ = "Blowfish is not available: OpenSSL's legacy provider could not be loaded";
  }

  OSSL_LIB_CTX* context_ = nullptr;
  OSSL_PROVIDER* legacy_ = nullptr;
  EVP_CIPHER* ecb_ = nullptr;
  EVP_CIPHER* cbc_ = nullptr;
  std::string error_;
};

}  // namespace

Blowfish::Blowfish(const unsigned char* key, std::size_t keySize) {
  if (!key || keySize < kMinKeySize || keySize > kMaxKeySize)
    throw CryptoError("Blowfish key size must be 1 to 56 bytes, not " + std::to_string(keySize));
  if (!LegacyCiphers::instance().error().empty()) throw CryptoError(LegacyCiphers::instance().error());
  key_.assign(key, key + keySize);
}

Blowfish::~Blowfish() {
  for (EVP_CIPHER_CTX* c : contexts_) EVP_CIPHER_CTX_free(c);  // wipes the key schedule
}

EVP_CIPHER_CTX* Blowfish::context(Slot slot) {
  if (contexts_[slot]) return contexts_[slot];
  const LegacyCiphers& ciphers = LegacyCiphers::instance();
  const EVP_CIPHER* cipher = (slot == EcbEncrypt || slot == EcbDecrypt) ? ciphers.ecb() : ciphers.cbc();
  const int encrypt = (slot == EcbEncrypt || slot == CbcEncrypt) ? 1 : 0;
  EVP_CIPHER_CTX* c = EVP_CIPHER_CTX_new();
  // The key length is variable: set it before the key goes in, and never pad.
  std::size_t keyLength = key_.size();
  OSSL_PARAM params[] = {OSSL_PARAM_construct_size_t(OSSL_CIPHER_PARAM_KEYLEN, &keyLength), OSSL_PARAM_END};
  bool ok = c && EVP_CipherInit_ex2(c, cipher, nullptr, nullptr, encrypt, params) == 1 &&
            EVP_CipherInit_ex2(c, nullptr, key_.data(), nullptr, encrypt, nullptr) == 1 &&
            EVP_CIPHER_CTX_set_padding(c, 0) == 1;
  if (!ok) {
    EVP_CIPHER_CTX_free(c);
    throw CryptoError("Blowfish: OpenSSL refused the key");
  }
  contexts_[slot] = c;
  return c;
}

void Blowfish::run(Slot slot, const unsigned char* in, unsigned char* out, std::size_t size, const unsigned char* iv) {
  if (size % kBlockSize != 0) throw CryptoError(kInvalidChunkSize);
  EVP_CIPHER_CTX* c = context(slot);
  if (iv && EVP_CipherInit_ex2(c, nullptr, nullptr, iv, -1, nullptr) != 1)
    throw CryptoError("Blowfish: OpenSSL refused the IV");
  // EVP counts in int: feed very large buffers in pieces of whole blocks.
  constexpr std::size_t kPiece = (INT_MAX / kBlockSize) * kBlockSize;
  while (size > 0) {
    const std::size_t n = size < kPiece ? size : kPiece;
    int written = 0;
    if (EVP_CipherUpdate(c, out, &written, in, static_cast<int>(n)) != 1 || static_cast<std::size_t>(written) != n)
      throw CryptoError("Blowfish: OpenSSL failed to process the data");
    in += n;
    out += n;
    size -= n;
  }
}

void Blowfish::encryptEcb(const unsigned char* in, unsigned char* out, std::size_t size) {
  run(EcbEncrypt, in, out, size, nullptr);
}

void Blowfish::decryptEcb(const unsigned char* in, unsigned char* out, std::size_t size) {
  run(EcbDecrypt, in, out, size, nullptr);
}

void Blowfish::encryptCbc(const unsigned char* in, unsigned char* out, std::size_t size, const Iv& iv) {
  run(CbcEncrypt, in, out, size, iv.data());
}

void Blowfish::decryptCbc(const unsigned char* in, unsigned char* out, std::size_t size, const Iv& iv) {
  run(CbcDecrypt, in, out, size, iv.data());
}

}  // namespace crypto
