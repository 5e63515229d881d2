#include "lockmere/store/AccountToolBlocks.h"

#include <algorithm>
#include <cstring>

#include "lockmere/crypto/Blowfish.h"
#include "lockmere/crypto/CryptoError.h"
#include "lockmere/crypto/Random.h"
#include "lockmere/crypto/RsaPublicKey.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/store/TextCodec.h"

namespace store::tools {
namespace {

constexpr std::size_t kKeyOffset = 9;
constexpr std::size_t kIdOffset = 69;
constexpr std::size_t kMaxId = 50;
constexpr std::size_t kRandomEnd = 112;
constexpr std::size_t kAddressOffset = 121;  // the old address field, 121-124: written as 0, never read
constexpr std::size_t kAddressEnd = 125;

void random(unsigned char* out, std::size_t n) {
  if (!crypto::randomBytes(out, n)) throw crypto::CryptoError("the random generator failed");
}

}  // namespace

std::vector<unsigned char> makeToolToken(const crypto::SecureBytes& programKey) {
  crypto::SecureBytes message(kTokenMessageSize);
  std::memcpy(message.data(), fixed::kToolTokenMarker, fixed::kToolTokenMarkerSize);
  random(message.data() + 54, 4);
  std::memcpy(message.data() + 58, programKey.data(), fixed::kProgramKeySize);
  random(message.data() + 114, 4);
  const crypto::RsaPublicKey key(fixed::kToolKeyModulus, sizeof fixed::kToolKeyModulus, fixed::kToolKeyExponent,
                                 sizeof fixed::kToolKeyExponent);
  return key.encryptType2(message.data(), message.size());
}

std::optional<ModificationBlock> makeModificationBlock(const crypto::SecureBytes& dataKey, std::string_view userId,
                                                       const crypto::SecureBytes& programKey) {
  const auto id = keys::idBytes(userId);
  if (!id || dataKey.size() != fixed::kDataKeySize) return std::nullopt;
  crypto::SecureBytes plain(kModificationSize, 0);
  std::memcpy(plain.data(), fixed::kModificationMarker, fixed::kModificationMarkerSize);
  random(plain.data() + 4, kRandomEnd - 4);
  std::memcpy(plain.data() + kKeyOffset, dataKey.data(), dataKey.size());
  std::memcpy(plain.data() + kIdOffset, id->data(), id->size());
  plain[kIdOffset + id->size()] = 0;
  ModificationBlock out;
  crypto::Blowfish(programKey.data(), programKey.size())
      .encryptCbc(plain.data(), out.data(), kModificationSize, fixed::kModificationIv);
  return out;
}

std::optional<Modification> readModificationBlock(const unsigned char* data, std::size_t size,
                                                  const crypto::SecureBytes& programKey) {
  if (!data || size != kModificationSize) return std::nullopt;
  crypto::SecureBytes plain(kModificationSize);
  crypto::Blowfish(programKey.data(), programKey.size())
      .decryptCbc(data, plain.data(), kModificationSize, fixed::kModificationIv);
  if (std::memcmp(plain.data(), fixed::kModificationMarker, fixed::kModificationMarkerSize) != 0) return std::nullopt;
  std::size_t length = 0;
  while (length <= kMaxId && plain[kIdOffset + length] != 0) ++length;
  if (length == 0 || length > kMaxId) return std::nullopt;  // no ID, or no NUL after 50 bytes
  for (std::size_t i = std::max(kRandomEnd, kIdOffset + length + 1); i < kModificationSize; ++i)
    if ((i < kAddressOffset || i >= kAddressEnd) && plain[i] != 0) return std::nullopt;
  auto id = text::fromCodePage(std::string_view(reinterpret_cast<const char*>(plain.data() + kIdOffset), length));
  if (!id) return std::nullopt;
  Modification m;
  m.dataKey.assign(plain.begin() + kKeyOffset, plain.begin() + kKeyOffset + fixed::kDataKeySize);
  m.userId = std::move(*id);
  return m;
}

}  // namespace store::tools
