#include "lockmere/store/StoreCipher.h"

#include <cstring>
#include <exception>
#include <thread>

#include "lockmere/crypto/Blowfish.h"
#include "lockmere/crypto/CryptoError.h"
#include "lockmere/crypto/Random.h"

namespace store::storecipher {
namespace {

// CBC decryption needs only the ciphertext before each block, so a large
// store is decrypted in two halves at once, each half on its own key schedule
// (a Blowfish object serves one thread). Encryption chains forward and cannot
// be split.
constexpr std::size_t kParallelFrom = 256 * 1024;

void decryptBlocks(const crypto::SecureBytes& dataKey, const unsigned char* in, unsigned char* out, std::size_t size,
                   const crypto::Blowfish::Iv& iv) {
  if (size < kParallelFrom) {
    crypto::Blowfish(dataKey.data(), dataKey.size()).decryptCbc(in, out, size, iv);
    return;
  }
  const std::size_t half = (size / 2) / kBlock * kBlock;
  crypto::Blowfish::Iv secondIv;
  std::memcpy(secondIv.data(), in + half - kBlock, kBlock);
  std::exception_ptr failure;
  std::thread second([&] {
    try {
      crypto::Blowfish(dataKey.data(), dataKey.size()).decryptCbc(in + half, out + half, size - half, secondIv);
    } catch (...) {
      failure = std::current_exception();
    }
  });
  try {
    crypto::Blowfish(dataKey.data(), dataKey.size()).decryptCbc(in, out, half, iv);
  } catch (...) {
    second.join();
    throw;
  }
  second.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

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
  decryptBlocks(dataKey, data + kBlock, plain.data(), plain.size(), iv);
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
