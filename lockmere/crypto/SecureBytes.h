#pragma once

#include <openssl/crypto.h>

#include <cstddef>
#include <new>
#include <string>
#include <vector>

namespace crypto {

// Overwrites memory so that the compiler cannot drop the write as dead.
inline void wipe(void* data, std::size_t size) {
  if (data && size) OPENSSL_cleanse(data, size);
}

// Wipes the whole capacity of a string, including any bytes a shorter value
// left behind, and leaves it empty.
inline void wipe(std::string& text) {
  text.resize(text.capacity());
  wipe(text.data(), text.size());
  text.clear();
}

// An allocator that wipes every block before giving it back, so that a vector
// of key material leaves nothing behind when it grows, shrinks or dies.
template <typename T>
struct SecureAllocator {
  using value_type = T;
  SecureAllocator() noexcept = default;
  template <typename U>
  SecureAllocator(const SecureAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept {
    wipe(p, n * sizeof(T));
    ::operator delete(p);
  }
  template <typename U>
  bool operator==(const SecureAllocator<U>&) const noexcept {
    return true;
  }
};

// Bytes of key material: wiped when freed.
using SecureBytes = std::vector<unsigned char, SecureAllocator<unsigned char>>;

}  // namespace crypto
