#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The 148-byte head of a user's data file: marks, signature, format number,
// the check block, and the size and count of the template records behind it.
namespace store {

class DataFileHeader {
 public:
  static constexpr std::size_t kSize = 148;
  static constexpr std::size_t kCheckBlockOffset = 28;
  static constexpr std::size_t kCheckBlockSize = 112;
  static constexpr std::int32_t kFormat = 101;
  static constexpr std::int32_t kMinRecordSize = 3656;
  static constexpr const char* kSignature = "Veradynics Lockmere";  // 19 bytes, no NUL in the file

  using Bytes = std::array<unsigned char, kSize>;

  // A header for a new file (the account tools make these; so do tests).
  static DataFileHeader make(const unsigned char checkBlock[kCheckBlockSize], std::int32_t recordSize,
                             std::int32_t recordCount);

  // Checks the marks, the signature and the format number, and that the
  // records are sane: R a multiple of 8 and at least 3656, N not negative, and
  // 148 + N x R within fileSize. Nullopt with error set otherwise.
  static std::optional<DataFileHeader> parse(const unsigned char* data, std::size_t size, std::uint64_t fileSize,
                                             std::string* error = nullptr);

  const Bytes& bytes() const { return bytes_; }
  const unsigned char* checkBlock() const { return bytes_.data() + kCheckBlockOffset; }
  std::int32_t recordSize() const;
  std::int32_t recordCount() const;
  // 148 + N x R: where the encrypted store begins.
  std::uint64_t storeOffset() const;

 private:
  Bytes bytes_{};
};

}  // namespace store
