#include "lockmere/store/StoreCipher.h"

#include <cstring>

#include "lockmere/crypto/Blowfish.h"
#include "lockmere/crypto/CryptoError.h"
#include "lockmere/crypto/Random.h"

namespace store::storecipher {

std::vector<unsigned char> encrypt(const crypto::SecureBytes& stream, const crypto::SecureBytes& dataKey) {
  const std::size_t n = stream.size();
  std::vector<unsigned char> out(encryptedSize(n), 0);
  crypto::Blowfish::Iv iv;
  if (!crypto::randomBytes(iv.data(), iv.size())) throw crypto::CryptoError("the random generator failed");
  crypto::Blowfish bf(dataKey.data(), dataKey.size());
  bf.encryptEcb(iv.data(), out.data(), kBlock);
  // The plaintext goes in place and is overwritten by its ciphertext.
  if (n) std::memcpy(out.data() + kBlock, stream.data(), n);
  out[out.size() - 1] = static_cast<unsigned char>(n % kBlock);
  bf.encryptCbc(out.data() + kBlock, out.data() + kBlock, out.size() - kBlock, iv);
  crypto::wipe(iv.data(), iv.size());
  return out;
}

bool decrypt(const unsigned char* data, std::size_t size, const crypto::SecureBytes& dataKey,
             crypto::SecureBytes& stream, std::string& error) {
  stream.clear();
  if (size < 2 * kBlock) {
    error = "the store is cut short (" + std::to_string(size) + " bytes)";
    return false;
  }
  if (size % kBlock) {
    error = "the store is not a whole number of blocks (" + std::to_string(size) + " bytes)";
    return false;
  }
  crypto::Blowfish bf(dataKey.data(), dataKey.size());
  crypto::Blowfish::Iv iv;
  bf.decryptEcb(data, iv.data(), kBlock);
  crypto::SecureBytes plain(size - kBlock);
  bf.decryptCbc(data + kBlock, plain.data(), plain.size(), iv);
  crypto::wipe(iv.data(), iv.size());
  const std::size_t count = plain.back();
  if (count > 7) {
    error = "the store's final block says it holds " + std::to_string(count) + " bytes";
    return false;
  }
  plain.resize(plain.size() - kBlock + count);
  stream = std::move(plain);
  return true;
}

}  // namespace store::storecipher
