#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/DataFileHeader.h"
#include "ridgecore/ridgecore.h"

// Template records: 3656 bytes each once decrypted, the owner's user ID in
// bytes 0-49 and the enrolled template (tagENROLL) from byte 52. An array of
// them is searched in place by the fingerprint library (header 52, record
// 3656), so it is kept as one block of bytes, wiped when freed.
namespace store {

class TemplateRecords {
 public:
  static constexpr std::size_t kRecordSize = 3656;
  static constexpr std::size_t kOwnerSize = 50;
  static constexpr std::size_t kTemplateOffset = 52;

  TemplateRecords() = default;

  std::size_t count() const { return bytes_.size() / kRecordSize; }
  bool isEmpty() const { return bytes_.empty(); }
  const unsigned char* data() const { return bytes_.data(); }
  const unsigned char* record(std::size_t i) const { return bytes_.data() + i * kRecordSize; }
  // The owner's ID as the record holds it (50 bytes, code page) and as text
  // (trimmed, UTF-8; nullopt when it is not valid code-page text or empty).
  std::string ownerField(std::size_t i) const;
  std::optional<std::string> owner(std::size_t i) const;

  void append(const TemplateRecords& other);
  void appendRecord(const unsigned char* record3656);
  // Trims every owner field in place, as the login window reads them: the ID
  // without leading and trailing blanks and control characters is written back
  // from byte 0 and the rest of the field zeroed, so the field reads as that ID.
  // A field as the account tools write it (ID, then zeros) stays as it is.
  void trimOwnerFields();
  // Wipes and empties.
  void clear();

  // Decrypts the N records of a data file: each R bytes by itself (program key,
  // template IV, the chain restarted), keeping the first 3656 bytes of each.
  // records points at the N x R bytes after the header.
  static TemplateRecords decrypt(const DataFileHeader& header, const unsigned char* records,
                                 const crypto::SecureBytes& programKey);

  // One record as the data file stores it in recordSize bytes (zero-filled past
  // 3656 before encryption). For the account tools and tests.
  static std::vector<unsigned char> encryptRecord(const unsigned char* record3656, std::size_t recordSize,
                                                  const crypto::SecureBytes& programKey);

  // The template of record i (a copy).
  tagENROLL enroll(std::size_t i) const;

  // A plain record: the owner (code-page bytes, at most 50) and a template.
  static crypto::SecureBytes makeRecord(const std::string& ownerCodePage, const tagENROLL& enroll);

 private:
  crypto::SecureBytes bytes_;
};

static_assert(sizeof(tagENROLL) <= TemplateRecords::kRecordSize - TemplateRecords::kTemplateOffset,
              "a template fits behind the owner field");

}  // namespace store
