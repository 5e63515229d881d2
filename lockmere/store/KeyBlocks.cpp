#include "lockmere/store/KeyBlocks.h"

#include <cstring>

#include "lockmere/crypto/Blowfish.h"
#include "lockmere/crypto/CryptoError.h"
#include "lockmere/crypto/Hash.h"
#include "lockmere/crypto/Random.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/TextCodec.h"

namespace store::keys {
namespace {

// Decrypts a wrapped key block and takes the data key out of it when the block
// names this user. The plain block is wiped before returning.
std::optional<crypto::SecureBytes> unwrap(const std::string& id, const unsigned char wrapped[kBlockSize],
                                          const crypto::SecureBytes& key, const crypto::Blowfish::Iv& iv,
                                          const crypto::SecureBytes& programKey) {
  crypto::SecureBytes block(kBlockSize);
  crypto::Blowfish(key.data(), key.size()).decryptCbc(wrapped, block.data(), kBlockSize, iv);
  mask(block.data(), kBlockSize, programKey);
  if (std::memcmp(block.data(), id.data(), id.size()) != 0) return std::nullopt;
  return crypto::SecureBytes(block.begin() + kDataKeyOffset, block.begin() + kDataKeyOffset + fixed::kDataKeySize);
}

std::optional<Block> wrap(const std::string& id, const crypto::SecureBytes& dataKey, const crypto::SecureBytes& key,
                          const crypto::Blowfish::Iv& iv, const crypto::SecureBytes& programKey) {
  if (dataKey.size() != fixed::kDataKeySize) return std::nullopt;
  crypto::SecureBytes block(kBlockSize);
  if (!crypto::randomBytes(block.data(), block.size())) throw crypto::CryptoError("the random generator failed");
  std::memset(block.data(), 0, kIdFieldSize);
  std::memcpy(block.data(), id.data(), id.size());
  std::memcpy(block.data() + kDataKeyOffset, dataKey.data(), dataKey.size());
  mask(block.data(), kBlockSize, programKey);
  Block out;
  crypto::Blowfish(key.data(), key.size()).encryptCbc(block.data(), out.data(), kBlockSize, iv);
  return out;
}

bool checkBlockNames(const std::string& id, const crypto::SecureBytes& dataKey, const DataFileHeader& header) {
  if (dataKey.size() != fixed::kDataKeySize) return false;
  crypto::SecureBytes block(kBlockSize);
  crypto::Blowfish(dataKey.data(), dataKey.size())
      .decryptCbc(header.checkBlock(), block.data(), kBlockSize, fixed::kHeaderIv);
  return std::memcmp(block.data(), id.data(), id.size()) == 0;
}

}  // namespace

void mask(unsigned char* block, std::size_t size, const crypto::SecureBytes& programKey) {
  for (std::size_t i = 0; i < size; ++i) block[i] ^= programKey[i % fixed::kProgramKeySize];
}

std::optional<std::string> idBytes(std::string_view userId) {
  auto bytes = text::toCodePage(userId);
  if (!bytes || bytes->empty() || bytes->size() > kIdFieldSize) return std::nullopt;
  return bytes;
}

std::optional<crypto::SecureBytes> passwordKey(std::string_view password) {
  auto p = text::toCodePage(text::trimmed(password));
  if (!p) return std::nullopt;
  std::string hex = crypto::md5Hex(*p);
  crypto::Hash h(crypto::Hash::Md5);
  h.addData(*p);
  h.addData(hex);
  crypto::wipe(*p);
  crypto::wipe(hex);
  return h.result();
}

crypto::SecureBytes fingerprintKey(const TemplateRecords& records, std::string_view ownerField) {
  crypto::Hash h(crypto::Hash::Md5);
  for (std::size_t i = 0; i < records.count(); ++i)
    if (std::memcmp(records.record(i), ownerField.data(), TemplateRecords::kOwnerSize) == 0)
      h.addData(records.record(i), TemplateRecords::kRecordSize);
  return h.result();
}

bool verifyDataKey(std::string_view userId, const crypto::SecureBytes& dataKey, const DataFileHeader& header) {
  const auto id = idBytes(userId);
  return id && checkBlockNames(*id, dataKey, header);
}

std::optional<crypto::SecureBytes> unwrapByPassword(std::string_view userId, std::string_view password,
                                                    const unsigned char* key1, std::size_t key1Size,
                                                    const DataFileHeader& header,
                                                    const crypto::SecureBytes& programKey) {
  auto dataKey = openKey1(userId, password, key1, key1Size, programKey);
  if (!dataKey || !verifyDataKey(userId, *dataKey, header)) return std::nullopt;
  return dataKey;
}

std::optional<crypto::SecureBytes> openKey1(std::string_view userId, std::string_view password,
                                            const unsigned char* key1, std::size_t key1Size,
                                            const crypto::SecureBytes& programKey) {
  if (!key1 || key1Size != kBlockSize) return std::nullopt;
  const auto id = idBytes(userId);
  const auto key = passwordKey(password);
  if (!id || !key) return std::nullopt;
  return unwrap(*id, key1, *key, fixed::kKey1Iv, programKey);
}

std::optional<std::string> fingerprintOwner(const TemplateRecords& allUsers, std::size_t index) {
  auto owner = allUsers.owner(index);
  if (!owner || !idBytes(*owner)) return std::nullopt;
  return owner;
}

std::optional<crypto::SecureBytes> unwrapByFingerprint(const TemplateRecords& allUsers, std::size_t index,
                                                       const unsigned char* key2, std::size_t key2Size,
                                                       const DataFileHeader& ownerHeader,
                                                       const crypto::SecureBytes& programKey) {
  if (!key2 || key2Size != kBlockSize) return std::nullopt;
  const auto owner = fingerprintOwner(allUsers, index);
  if (!owner) return std::nullopt;
  const auto id = idBytes(*owner);
  const crypto::SecureBytes key = fingerprintKey(allUsers, allUsers.ownerField(index));
  auto dataKey = unwrap(*id, key2, key, fixed::kKey2Iv, programKey);
  if (!dataKey || !checkBlockNames(*id, *dataKey, ownerHeader)) return std::nullopt;
  return dataKey;
}

std::optional<Block> makeKey1(std::string_view userId, std::string_view password, const crypto::SecureBytes& dataKey,
                              const crypto::SecureBytes& programKey) {
  const auto id = idBytes(userId);
  const auto key = passwordKey(password);
  if (!id || !key) return std::nullopt;
  return wrap(*id, dataKey, *key, fixed::kKey1Iv, programKey);
}

std::optional<Block> makeKey2(std::string_view userId, const TemplateRecords& userRecords,
                              const crypto::SecureBytes& dataKey, const crypto::SecureBytes& programKey) {
  const auto id = idBytes(userId);
  if (!id) return std::nullopt;
  crypto::Hash h(crypto::Hash::Md5);
  h.addData(userRecords.data(), userRecords.count() * TemplateRecords::kRecordSize);
  return wrap(*id, dataKey, h.result(), fixed::kKey2Iv, programKey);
}

std::optional<Block> makeCheckBlock(std::string_view userId, const crypto::SecureBytes& dataKey) {
  const auto id = idBytes(userId);
  if (!id || dataKey.size() != fixed::kDataKeySize) return std::nullopt;
  crypto::SecureBytes block(kBlockSize);
  if (!crypto::randomBytes(block.data(), block.size())) throw crypto::CryptoError("the random generator failed");
  std::memcpy(block.data(), id->data(), id->size());
  Block out;
  crypto::Blowfish(dataKey.data(), dataKey.size()).encryptCbc(block.data(), out.data(), kBlockSize, fixed::kHeaderIv);
  return out;
}

}  // namespace store::keys
