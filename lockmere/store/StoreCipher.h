#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "lockmere/crypto/Blowfish.h"
#include "lockmere/crypto/SecureBytes.h"

// The encrypted store at the end of the data file: block 0 is a fresh random
// IV in ECB, then the stream's full blocks in CBC with that IV, then a final
// block with the remaining bytes, zero-filled, its last byte the count of
// them. A stream of n bytes takes 8 + 8 * floor(n / 8) + 8 bytes.
namespace store::storecipher {

inline constexpr std::size_t kBlock = 8;

constexpr std::size_t encryptedSize(std::size_t streamSize) { return kBlock + kBlock * (streamSize / kBlock) + kBlock; }

// Raises crypto::CryptoError when the random generator fails.
std::vector<unsigned char> encrypt(const crypto::SecureBytes& stream, const crypto::SecureBytes& dataKey);

// The same encryption of a stream handed over in pieces of any size, so that a
// save can encrypt the start of the stream while the rest is being written.
// The bytes are those encrypt() makes of the whole stream with the same IV.
class Encryptor {
 public:
  // A fresh random IV; raises crypto::CryptoError when the generator fails.
  explicit Encryptor(const crypto::SecureBytes& dataKey);
  Encryptor(const crypto::SecureBytes& dataKey, const crypto::Blowfish::Iv& iv);
  ~Encryptor();
  Encryptor(const Encryptor&) = delete;
  Encryptor& operator=(const Encryptor&) = delete;

  // Appends to out the ciphertext of every block the stream has completed so
  // far (the IV's block comes first).
  void update(const unsigned char* data, std::size_t size, std::vector<unsigned char>& out);
  // Appends the final block (and the IV's, for an empty stream). Ends the stream.
  void finish(std::vector<unsigned char>& out);

 private:
  void start(std::vector<unsigned char>& out);
  void chain(const unsigned char* plain, std::size_t size, std::vector<unsigned char>& out);

  crypto::Blowfish cipher_;
  crypto::Blowfish::Iv last_;  // the previous ciphertext block: the IV at first
  crypto::Blowfish::Iv pending_{};
  std::size_t pendingSize_ = 0;
  bool started_ = false;
  bool finished_ = false;
};

// False (and error set) for a store shorter than two blocks, one that is not
// whole blocks, or a count byte above 7.
bool decrypt(const unsigned char* data, std::size_t size, const crypto::SecureBytes& dataKey,
             crypto::SecureBytes& stream, std::string& error);

}  // namespace store::storecipher
