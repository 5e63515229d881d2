#include "lockmere/store/DataFileHeader.h"

#include <cstring>

namespace store {
namespace {

std::int32_t readI32(const unsigned char* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                   static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

void writeI32(unsigned char* p, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

bool reject(std::string* error, std::string why) {
  if (error) *error = std::move(why);
  return false;
}

}  // namespace

DataFileHeader DataFileHeader::make(const unsigned char checkBlock[kCheckBlockSize], std::int32_t recordSize,
                                    std::int32_t recordCount) {
  DataFileHeader h;
  h.bytes_[0] = 6;
  h.bytes_[1] = 8;
  std::memcpy(h.bytes_.data() + 2, kSignature, 19);
  writeI32(h.bytes_.data() + 24, kFormat);
  std::memcpy(h.bytes_.data() + kCheckBlockOffset, checkBlock, kCheckBlockSize);
  writeI32(h.bytes_.data() + 140, recordSize);
  writeI32(h.bytes_.data() + 144, recordCount);
  return h;
}

std::optional<DataFileHeader> DataFileHeader::parse(const unsigned char* data, std::size_t size, std::uint64_t fileSize,
                                                    std::string* error) {
  if (size < kSize || fileSize < kSize) {
    reject(error, "the data file is shorter than its header");
    return std::nullopt;
  }
  if (data[0] != 6 || data[1] != 8 || std::memcmp(data + 2, kSignature, 19) != 0 || readI32(data + 24) != kFormat) {
    reject(error, "the data file's header is not valid");
    return std::nullopt;
  }
  DataFileHeader h;
  std::memcpy(h.bytes_.data(), data, kSize);
  const std::int32_t r = h.recordSize(), n = h.recordCount();
  if (r < kMinRecordSize || r % 8 != 0) {
    reject(error, "the data file's template record size " + std::to_string(r) + " is not valid");
    return std::nullopt;
  }
  if (n < 0 || h.storeOffset() > fileSize) {
    reject(error, "the data file's " + std::to_string(n) + " template records do not fit in the file");
    return std::nullopt;
  }
  return h;
}

std::int32_t DataFileHeader::recordSize() const { return readI32(bytes_.data() + 140); }
std::int32_t DataFileHeader::recordCount() const { return readI32(bytes_.data() + 144); }

std::uint64_t DataFileHeader::storeOffset() const {
  const std::int32_t n = recordCount();
  return kSize +
         static_cast<std::uint64_t>(n < 0 ? 0 : n) * static_cast<std::uint64_t>(recordSize() < 0 ? 0 : recordSize());
}

}  // namespace store
