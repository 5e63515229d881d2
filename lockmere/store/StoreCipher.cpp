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

Encryptor::Encryptor(const crypto::SecureBytes& dataKey) : cipher_(dataKey.data(), dataKey.size()) {
  if (!crypto::randomBytes(last_.data(), last_.size())) throw crypto::CryptoError("the random generator failed");
}

Encryptor::Encryptor(const crypto::SecureBytes& dataKey, const crypto::Blowfish::Iv& iv)
    : cipher_(dataKey.data(), dataKey.size()), last_(iv) {}

Encryptor::~Encryptor() {
  crypto::wipe(last_.data(), last_.size());
  crypto::wipe(pending_.data(), pending_.size());
}

void Encryptor::start(std::vector<unsigned char>& out) {
  if (finished_) throw crypto::CryptoError("the store's encryption has ended");
  if (started_) return;
  const std::size_t at = out.size();
  out.resize(at + kBlock);
  cipher_.encryptEcb(last_.data(), out.data() + at, kBlock);
  started_ = true;
}

// Whole blocks, continuing the chain from the previous call.
void Encryptor::chain(const unsigned char* plain, std::size_t size, std::vector<unsigned char>& out) {
  if (!size) return;
  const std::size_t at = out.size();
  out.resize(at + size);
  cipher_.encryptCbc(plain, out.data() + at, size, last_);
  std::memcpy(last_.data(), out.data() + out.size() - kBlock, kBlock);
}

void Encryptor::update(const unsigned char* data, std::size_t size, std::vector<unsigned char>& out) {
  start(out);
  if (pendingSize_ + size < kBlock) {
    if (size) std::memcpy(pending_.data() + pendingSize_, data, size);
    pendingSize_ += size;
    return;
  }
  if (pendingSize_) {
    const std::size_t fill = kBlock - pendingSize_;
    std::memcpy(pending_.data() + pendingSize_, data, fill);
    data += fill;
    size -= fill;
    chain(pending_.data(), kBlock, out);
    pendingSize_ = 0;
  }
  const std::size_t whole = size / kBlock * kBlock;
  chain(data, whole, out);
  pendingSize_ = size - whole;
  if (pendingSize_) std::memcpy(pending_.data(), data + whole, pendingSize_);
}

void Encryptor::finish(std::vector<unsigned char>& out) {
  start(out);
  // The remaining bytes, zero-filled, the last byte their count.
  std::memset(pending_.data() + pendingSize_, 0, kBlock - pendingSize_);
  pending_[kBlock - 1] = static_cast<unsigned char>(pendingSize_);
  chain(pending_.data(), kBlock, out);
  crypto::wipe(pending_.data(), pending_.size());
  pendingSize_ = 0;
  finished_ = true;
}

std::vector<unsigned char> encrypt(const crypto::SecureBytes& stream, const crypto::SecureBytes& dataKey) {
  std::vector<unsigned char> out;
  out.reserve(encryptedSize(stream.size()));
  Encryptor encryptor(dataKey);
  encryptor.update(stream.data(), stream.size(), out);
  encryptor.finish(out);
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
