#include "lockmere/store/TemplateRecords.h"

#include <algorithm>
#include <cstring>

#include "lockmere/crypto/Blowfish.h"
#include "lockmere/crypto/CryptoError.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/TextCodec.h"

namespace store {

std::string TemplateRecords::ownerField(std::size_t i) const {
  return std::string(reinterpret_cast<const char*>(record(i)), kOwnerSize);
}

std::optional<std::string> TemplateRecords::owner(std::size_t i) const {
  if (i >= count()) return std::nullopt;
  const std::string field = ownerField(i);
  const std::string_view id = text::trimmed(field);
  if (id.empty()) return std::nullopt;
  return text::fromCodePage(id);
}

void TemplateRecords::append(const TemplateRecords& other) {
  bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
}

void TemplateRecords::appendRecord(const unsigned char* record3656) {
  bytes_.insert(bytes_.end(), record3656, record3656 + kRecordSize);
}

void TemplateRecords::trimOwnerFields() {
  for (std::size_t i = 0; i < count(); ++i) {
    unsigned char* field = bytes_.data() + i * kRecordSize;
    const std::string_view id = text::trimmed(std::string_view(reinterpret_cast<const char*>(field), kOwnerSize));
    // memmove: the trimmed text lies inside the field it is written back to.
    const std::size_t length = id.size();
    std::memmove(field, id.data(), length);
    std::memset(field + length, 0, kOwnerSize - length);
  }
}

void TemplateRecords::clear() {
  crypto::wipe(bytes_.data(), bytes_.size());
  bytes_.clear();
  bytes_.shrink_to_fit();
}

TemplateRecords TemplateRecords::decrypt(const DataFileHeader& header, const unsigned char* records,
                                         const crypto::SecureBytes& programKey) {
  TemplateRecords out;
  const auto n = static_cast<std::size_t>(header.recordCount());
  const auto r = static_cast<std::size_t>(header.recordSize());
  if (n == 0) return out;
  out.bytes_.resize(n * kRecordSize);
  crypto::Blowfish bf(programKey.data(), programKey.size());
  crypto::SecureBytes plain(r);
  for (std::size_t i = 0; i < n; ++i) {
    bf.decryptCbc(records + i * r, plain.data(), r, fixed::kTemplateIv);
    std::memcpy(out.bytes_.data() + i * kRecordSize, plain.data(), kRecordSize);
  }
  return out;
}

std::vector<unsigned char> TemplateRecords::encryptRecord(const unsigned char* record3656, std::size_t recordSize,
                                                          const crypto::SecureBytes& programKey) {
  if (recordSize < kRecordSize || recordSize % 8) throw crypto::CryptoError("not a template record size");
  std::vector<unsigned char> out(recordSize, 0);
  std::memcpy(out.data(), record3656, kRecordSize);
  crypto::Blowfish bf(programKey.data(), programKey.size());
  bf.encryptCbc(out.data(), out.data(), out.size(), fixed::kTemplateIv);
  return out;
}

tagENROLL TemplateRecords::enroll(std::size_t i) const {
  tagENROLL e;
  std::memcpy(&e, record(i) + kTemplateOffset, sizeof e);
  return e;
}

crypto::SecureBytes TemplateRecords::makeRecord(const std::string& ownerCodePage, const tagENROLL& enroll) {
  crypto::SecureBytes record(kRecordSize, 0);
  std::memcpy(record.data(), ownerCodePage.data(), std::min(ownerCodePage.size(), kOwnerSize));
  std::memcpy(record.data() + kTemplateOffset, &enroll, sizeof enroll);
  return record;
}

}  // namespace store
