#include "extract/Allocation.h"

namespace ridgecore::allocation {
namespace {
int g_failAfter = -1;
}

void failAfter(int n) { g_failAfter = n; }

void take() {
  if (g_failAfter < 0) return;
  if (g_failAfter-- == 0) throw std::bad_alloc();
}

}  // namespace ridgecore::allocation
