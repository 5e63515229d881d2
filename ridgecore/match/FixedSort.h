#pragma once

// Stable insertion sort for the matcher's short fixed arrays (at most 50
// items). Stable, so that equal keys keep list order and every result is
// reproducible; in place, so that a comparison allocates nothing.
namespace ridgecore {

template <typename T, typename Less>
void StableSort(T* items, int count, Less less) {
  for (int i = 1; i < count; ++i) {
    T item = items[i];
    int j = i;
    while (j > 0 && less(item, items[j - 1])) {
      items[j] = items[j - 1];
      --j;
    }
    items[j] = item;
  }
}

}  // namespace ridgecore
