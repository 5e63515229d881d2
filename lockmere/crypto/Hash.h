#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"

typedef struct evp_md_ctx_st EVP_MD_CTX;

namespace crypto {

// MD5 and SHA-1 digests, fed in pieces or in one call.
class Hash {
 public:
  enum Algorithm { Md5, Sha1 };

  explicit Hash(Algorithm algorithm);
  ~Hash();
  Hash(const Hash&) = delete;
  Hash& operator=(const Hash&) = delete;

  void addData(const void* data, std::size_t size);
  void addData(std::string_view data) { addData(data.data(), data.size()); }
  // The digest of everything added so far (16 bytes for MD5, 20 for SHA-1).
  // Adding more data afterwards goes on from where it left off.
  // Digests are wiped when freed: some of them are keys.
  SecureBytes result() const;

  static std::size_t digestSize(Algorithm algorithm) { return algorithm == Md5 ? 16 : 20; }
  static SecureBytes hash(std::string_view data, Algorithm algorithm);

 private:
  EVP_MD_CTX* context_;
};

// Lowercase hexadecimal digits of bytes, two a byte.
std::string toHex(const unsigned char* data, std::size_t size);
inline std::string toHex(const std::vector<unsigned char>& bytes) { return toHex(bytes.data(), bytes.size()); }
inline std::string toHex(const SecureBytes& bytes) { return toHex(bytes.data(), bytes.size()); }

// MD5 as 32 lowercase hexadecimal digits.
std::string md5Hex(std::string_view data);

}  // namespace crypto
