#include "platform/RegistryKey.h"

#include <cstring>

#include "platform/RegistryNames.h"

namespace platform {
namespace {

const char* typeName(RegistryType type) {
  switch (type) {
    case RegistryType::String:
      return "a string";
    case RegistryType::Integer:
      return "an integer";
    case RegistryType::Binary:
      return "binary data";
    case RegistryType::None:
      break;
  }
  return "of an unknown type";
}

RegistryResult invalidHandle() { return {RegistryStatus::InvalidArgument, "the registry key is not open"}; }

}  // namespace

std::string RegistryKey::path() const { return ref_.path.empty() ? std::string("\\") : ref_.path; }

std::string RegistryKey::name() const {
  auto slash = ref_.path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : ref_.path.substr(slash + 1);
}

bool RegistryKey::exists() const { return store_ && store_->alive(ref_); }

RegistryResult RegistryKey::checkUsable() const { return store_ ? RegistryResult() : invalidHandle(); }

RegistryValue<RegistryKey> RegistryKey::resolve(std::string_view subPath, bool create) const {
  if (auto u = checkUsable(); !u) return u;
  std::vector<std::string> segments;
  if (auto r = registry::splitKeyPath(subPath, segments); !r) return r;
  auto ref = store_->resolve(ref_, segments, create);
  if (!ref) return RegistryResult(ref);
  return RegistryKey(store_, ref.value());
}

RegistryValue<RegistryKey> RegistryKey::openKey(std::string_view subPath) const { return resolve(subPath, false); }

RegistryValue<RegistryKey> RegistryKey::createKey(std::string_view subPath) { return resolve(subPath, true); }

RegistryResult RegistryKey::deleteKey(std::string_view subPath) {
  if (auto u = checkUsable(); !u) return u;
  std::vector<std::string> segments;
  if (auto r = registry::splitKeyPath(subPath, segments); !r) return r;
  return store_->removeTree(ref_, segments);
}

bool RegistryKey::keyExists(std::string_view subPath) const { return openKey(subPath).ok(); }

RegistryValue<std::vector<std::string>> RegistryKey::subkeyNames() const {
  if (auto u = checkUsable(); !u) return u;
  return store_->subkeyNames(ref_);
}

RegistryValue<bool> RegistryKey::hasSubkeys() const {
  if (auto u = checkUsable(); !u) return u;
  return store_->hasSubkeys(ref_);
}

RegistryValue<std::vector<std::string>> RegistryKey::valueNames() const {
  if (auto u = checkUsable(); !u) return u;
  return store_->valueNames(ref_);
}

RegistryValue<RegistryStore::StoredValue> RegistryKey::read(std::string_view name, RegistryType wanted) const {
  if (auto u = checkUsable(); !u) return u;
  if (auto r = registry::checkValueName(name); !r) return r;
  auto stored = store_->readValue(ref_, std::string(name));
  if (!stored || wanted == RegistryType::None || stored.value().type == wanted) return stored;
  return RegistryResult(RegistryStatus::WrongType, "value \"" + std::string(name) + "\" in " + path() + " is " +
                                                       typeName(stored.value().type) + ", not " + typeName(wanted));
}

RegistryValue<RegistryType> RegistryKey::valueType(std::string_view name) const {
  auto stored = read(name, RegistryType::None);
  if (!stored) return RegistryResult(stored);
  return stored.value().type;
}

bool RegistryKey::valueExists(std::string_view name) const { return valueType(name).ok(); }

RegistryValue<std::string> RegistryKey::readString(std::string_view name) const {
  auto stored = read(name, RegistryType::String);
  if (!stored) return RegistryResult(stored);
  return std::move(stored.value().data);
}

RegistryValue<std::int32_t> RegistryKey::readInteger(std::string_view name) const {
  auto stored = read(name, RegistryType::Integer);
  if (!stored) return RegistryResult(stored);
  const std::string& d = stored.value().data;
  if (d.size() != 4)
    return RegistryResult(RegistryStatus::Failed,
                          "value \"" + std::string(name) + "\" in " + path() + " is a damaged integer");
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(d[i]);
  return static_cast<std::int32_t>(v);
}

RegistryValue<bool> RegistryKey::readBool(std::string_view name) const {
  auto v = readInteger(name);
  if (!v) return RegistryResult(v);
  return v.value() != 0;
}

RegistryValue<std::vector<std::uint8_t>> RegistryKey::readBinary(std::string_view name) const {
  auto stored = read(name, RegistryType::Binary);
  if (!stored) return RegistryResult(stored);
  const std::string& d = stored.value().data;
  return std::vector<std::uint8_t>(d.begin(), d.end());
}

RegistryResult RegistryKey::write(std::string_view name, RegistryType type, const void* data, std::size_t size) {
  if (auto u = checkUsable(); !u) return u;
  if (auto r = registry::checkValueName(name); !r) return r;
  if (size > registry::kMaxDataSize)
    return {RegistryStatus::InvalidArgument, "value \"" + std::string(name) + "\" is larger than 1 MiB"};
  return store_->writeValue(ref_, std::string(name), type, data, size);
}

RegistryResult RegistryKey::writeString(std::string_view name, std::string_view value) {
  if (value.find('\0') != std::string_view::npos)
    return {RegistryStatus::InvalidArgument, "string for \"" + std::string(name) + "\" holds a NUL character"};
  return write(name, RegistryType::String, value.data(), value.size());
}

RegistryResult RegistryKey::writeInteger(std::string_view name, std::int32_t value) {
  // Little-endian, as the original stores a DWORD.
  auto u = static_cast<std::uint32_t>(value);
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                 static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
  return write(name, RegistryType::Integer, bytes, sizeof bytes);
}

RegistryResult RegistryKey::writeBool(std::string_view name, bool value) { return writeInteger(name, value ? 1 : 0); }

RegistryResult RegistryKey::writeBinary(std::string_view name, std::span<const std::uint8_t> data) {
  return write(name, RegistryType::Binary, data.data(), data.size());
}

RegistryResult RegistryKey::writeBinary(std::string_view name, const void* data, std::size_t size) {
  if (!data && size > 0) return {RegistryStatus::InvalidArgument, "no data for \"" + std::string(name) + "\""};
  return write(name, RegistryType::Binary, data, size);
}

RegistryResult RegistryKey::deleteValue(std::string_view name) {
  if (auto u = checkUsable(); !u) return u;
  if (auto r = registry::checkValueName(name); !r) return r;
  return store_->removeValue(ref_, std::string(name));
}

}  // namespace platform
