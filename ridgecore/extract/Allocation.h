#pragma once

#include <cstddef>
#include <memory>
#include <new>

// Working memory of an extraction. Every buffer is taken per call and released
// by its owner on every path; exhaustion surfaces as std::bad_alloc, which the
// driver turns into the failing stage's message.
namespace ridgecore {

namespace allocation {
// Makes the n-th following allocation (0 = the next one) fail; -1 switches it off.
// For tests of the failure paths; the library is not reentrant anyway.
void failAfter(int n);
void take();  // throws std::bad_alloc when the injected failure is due
}  // namespace allocation

template <typename T>
std::unique_ptr<T[]> allocateArray(std::size_t count) {
  allocation::take();
  T* p = new (std::nothrow) T[count];
  if (!p) throw std::bad_alloc();
  return std::unique_ptr<T[]>(p);
}

}  // namespace ridgecore
