#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// One mapped view of the shared status block, unmapped when it goes out of scope
// (internal to StatusBlock and StatusBlockReader). The 4-byte handle is stored and
// loaded as one aligned word, so a reader never sees half of a new handle.
class StatusBlockView {
 public:
  StatusBlockView(int fd, std::size_t size, bool writable);
  ~StatusBlockView();
  StatusBlockView(const StatusBlockView&) = delete;
  StatusBlockView& operator=(const StatusBlockView&) = delete;

  bool isMapped() const { return base_ != nullptr; }

  std::uint32_t loadHandle() const;
  void storeHandle(std::uint32_t handle);
  std::uint8_t loadByte(std::size_t offset) const;
  void storeByte(std::size_t offset, std::uint8_t value);

 private:
  unsigned char* base_ = nullptr;
  std::size_t size_;
};

}  // namespace platform
