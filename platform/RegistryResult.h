#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace platform {

// Outcome of a registry call. Reads tell "absent" (NotFound) apart from a value
// of another type (WrongType) and from a store that cannot be used (Failed).
enum class RegistryStatus {
  Ok,
  NotFound,         // the key or value does not exist (or the key was deleted meanwhile)
  WrongType,        // the value exists with another type
  InvalidArgument,  // bad key path or value name, data too large
  Failed,           // the file cannot be read or written; errorString() says why
};

// Value types, numbered as the original platform numbers them (REG_SZ, REG_BINARY, REG_DWORD).
enum class RegistryType : std::uint32_t { None = 0, String = 1, Binary = 3, Integer = 4 };

class RegistryResult {
 public:
  RegistryResult() = default;
  RegistryResult(RegistryStatus status, std::string message) : status_(status), message_(std::move(message)) {}

  RegistryStatus status() const { return status_; }
  bool ok() const { return status_ == RegistryStatus::Ok; }
  explicit operator bool() const { return ok(); }
  bool isNotFound() const { return status_ == RegistryStatus::NotFound; }
  bool isWrongType() const { return status_ == RegistryStatus::WrongType; }
  // Empty when ok().
  const std::string& errorString() const { return message_; }

 private:
  RegistryStatus status_ = RegistryStatus::Ok;
  std::string message_;
};

// A result that carries a value when ok(). value() is a default T otherwise.
template <typename T>
class RegistryValue : public RegistryResult {
 public:
  RegistryValue(T value) : value_(std::move(value)) {}
  RegistryValue(RegistryResult failure) : RegistryResult(std::move(failure)) {}

  const T& value() const { return value_; }
  T& value() { return value_; }
  // The stored value, or the fallback when it is absent, of another type or unreadable:
  // the usual way to read a setting with its default.
  T valueOr(T fallback) const { return ok() ? value_ : std::move(fallback); }

 private:
  T value_{};
};

}  // namespace platform
