#include "lockmere/store/AutoLoginBlock.h"

#include <cstring>

#include "lockmere/crypto/Blowfish.h"
#include "lockmere/crypto/CryptoError.h"
#include "lockmere/crypto/Random.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/store/TextCodec.h"

namespace store::autologin {
namespace {

constexpr std::size_t kIdOffset = 2;
constexpr std::size_t kMaxId = 50;
constexpr std::size_t kKeyOffset = 55;

}  // namespace

std::optional<Block> make(std::string_view userId, const crypto::SecureBytes& dataKey,
                          const crypto::SecureBytes& programKey) {
  const auto id = keys::idBytes(userId);
  if (!id || dataKey.size() != fixed::kDataKeySize) return std::nullopt;
  crypto::SecureBytes plain(kSize);
  plain[0] = 'C';
  plain[1] = 'f';
  if (!crypto::randomBytes(plain.data() + kIdOffset, kSize - kIdOffset))
    throw crypto::CryptoError("the random generator failed");
  std::memcpy(plain.data() + kIdOffset, id->data(), id->size());
  plain[kIdOffset + id->size()] = 0;
  std::memcpy(plain.data() + kKeyOffset, dataKey.data(), dataKey.size());
  keys::mask(plain.data(), kSize, programKey);
  Block out;
  crypto::Blowfish(programKey.data(), programKey.size())
      .encryptCbc(plain.data(), out.data(), kSize, fixed::kAutoLoginIv);
  return out;
}

std::optional<Login> read(const unsigned char* data, std::size_t size, const crypto::SecureBytes& programKey) {
  if (!data || size != kSize) return std::nullopt;
  crypto::SecureBytes plain(kSize);
  crypto::Blowfish(programKey.data(), programKey.size()).decryptCbc(data, plain.data(), kSize, fixed::kAutoLoginIv);
  keys::mask(plain.data(), kSize, programKey);
  if (plain[0] != 'C' || plain[1] != 'f') return std::nullopt;
  std::size_t length = 0;
  while (length < kMaxId && plain[kIdOffset + length] != 0) ++length;
  auto id = text::fromCodePage(std::string_view(reinterpret_cast<const char*>(plain.data() + kIdOffset), length));
  if (!id || id->empty()) return std::nullopt;
  Login login;
  login.userId = std::move(*id);
  login.dataKey.assign(plain.begin() + kKeyOffset, plain.begin() + kKeyOffset + fixed::kDataKeySize);
  return login;
}

}  // namespace store::autologin
