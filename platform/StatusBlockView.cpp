#include "platform/StatusBlockView.h"

#include <sys/mman.h>
#include <cstring>

namespace platform {
namespace {

// The block is little-endian whatever the host.
std::uint32_t fromLittleEndian(std::uint32_t raw) {
  unsigned char b[4];
  std::memcpy(b, &raw, 4);
  return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

std::uint32_t toLittleEndian(std::uint32_t value) {
  const unsigned char b[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                              static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  std::uint32_t raw;
  std::memcpy(&raw, b, 4);
  return raw;
}

}  // namespace

StatusBlockView::StatusBlockView(int fd, std::size_t size, bool writable) : size_(size) {
  void* p = ::mmap(nullptr, size, writable ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED, fd, 0);
  if (p != MAP_FAILED) base_ = static_cast<unsigned char*>(p);
}

StatusBlockView::~StatusBlockView() {
  if (base_) ::munmap(base_, size_);
}

std::uint32_t StatusBlockView::loadHandle() const {
  return fromLittleEndian(__atomic_load_n(reinterpret_cast<const std::uint32_t*>(base_), __ATOMIC_ACQUIRE));
}

void StatusBlockView::storeHandle(std::uint32_t handle) {
  __atomic_store_n(reinterpret_cast<std::uint32_t*>(base_), toLittleEndian(handle), __ATOMIC_RELEASE);
}

std::uint8_t StatusBlockView::loadByte(std::size_t offset) const {
  return __atomic_load_n(base_ + offset, __ATOMIC_ACQUIRE);
}

void StatusBlockView::storeByte(std::size_t offset, std::uint8_t value) {
  __atomic_store_n(base_ + offset, value, __ATOMIC_RELEASE);
}

}  // namespace platform
