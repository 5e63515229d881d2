#include "fast/FastProbe.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#include "fast/FastCellFilter.h"
#include "fast/FastForm.h"
#include "fast/FastNeighbourhood.h"
#include "fast/FastParams.h"
#include "fast/FastSurvivors.h"
#include "match/FixedSort.h"

namespace ridgecore {
namespace {

constexpr int kLanes = 16;  // columns counted at once: a chunk
constexpr int kChunks = FastProbe::kColumns / kLanes;
static_assert(FastProbe::kColumns % kLanes == 0 && RIDGECORE_MAX_MINUTIAE <= FastProbe::kColumns, "probe columns");

using Lanes = uint32_t __attribute__((vector_size(kLanes * sizeof(uint32_t))));

// a's neighbours as offsets of rows of the three tables (row of signed value
// v of table t at (256 t + v + 128) x stride); a run of equal neighbours is
// taken once, at its head, weighed by its length.
struct RowSet {
  uint32_t distance[32];
  uint32_t direction[32];
  uint32_t orientation[32];
  uint32_t heads;  // bit i: neighbour i differs from the one before
  int count;
};

[[gnu::always_inline]] inline void loadRows(const FastMinutia& a, uint32_t stride, RowSet& set) {
  const int count = FastNeighbourCount(a);
  uint32_t keys[kFastNeighbourSlots + 1];
  keys[0] = 0;
  std::memcpy(keys + 1, a.neighbours, sizeof a.neighbours);
  for (int i = 0; i < kFastNeighbourSlots; ++i) {
    const uint32_t w = keys[i + 1];
    set.distance[i] = ((w ^ 0x80u) & 0xFFu) * stride;
    set.direction[i] = ((((w >> 8) ^ 0x80u) & 0xFFu) + 256) * stride;
    set.orientation[i] = ((((w >> 16) ^ 0x80u) & 0xFFu) + 512) * stride;
  }
  uint32_t heads = 0;
  for (int i = 0; i < kFastNeighbourSlots; ++i)
    heads |= uint32_t(((keys[i + 1] ^ keys[i]) & kFastNeighbourValueBits) != 0) << i;
  set.heads = (heads | 1u) & ((1u << count) - 1);  // the first neighbour always heads a run
  set.count = count;
}

[[gnu::always_inline]] inline bool anyLane(Lanes v) {
  uint64_t words[sizeof v / sizeof(uint64_t)];
  __builtin_memcpy(words, &v, sizeof v);
  uint64_t any = 0;
  for (uint64_t w : words) any |= w;
  return any != 0;
}

// Bit l of a lane mask for every lane l at least least.
[[gnu::always_inline]] inline uint32_t lanesAtLeast(Lanes count, uint32_t least) {
  const Lanes enough = (count >= least) & 1u;
  uint32_t bits = 0;
  for (int l = 0; l < kLanes; ++l) bits |= enough[l] << l;
  return bits;
}

// For the Chunks chunks from first on, bit 8 c + l for every lane l of chunk
// c where at least least of a's neighbours meet a neighbour of that
// column's minutia. Ends early once no lane can get there.
template <int Chunks>
[[gnu::always_inline]] inline uint64_t meetingRun(const uint32_t* tables, const RowSet& set, int first,
                                                  uint32_t least) {
  Lanes count[Chunks] = {};
  const uint32_t* base = tables + size_t(first) * kLanes;
  uint32_t remaining = uint32_t(set.count);
  for (uint32_t heads = set.heads; heads;) {
    const int k = std::countr_zero(heads);
    heads &= heads - 1;
    const uint32_t copies = uint32_t(heads ? std::countr_zero(heads) : set.count) - uint32_t(k);
    const uint32_t* d = base + set.distance[k];
    const uint32_t* r = base + set.direction[k];
    const uint32_t* o = base + set.orientation[k];
    for (int c = 0; c < Chunks; ++c) {
      Lanes vd, vr, vo;
      __builtin_memcpy(&vd, d + c * kLanes, sizeof vd);
      __builtin_memcpy(&vr, r + c * kLanes, sizeof vr);
      __builtin_memcpy(&vo, o + c * kLanes, sizeof vo);
      count[c] += ((vd & vr & vo) != 0) & copies;  // != gives all ones or zero per lane
    }
    remaining -= copies;
    if (remaining < least) {
      Lanes reach = {};
      for (int c = 0; c < Chunks; ++c) reach |= count[c] >= least - remaining;
      if (!anyLane(reach)) return 0;
    }
  }
  uint64_t lanes = 0;
  for (int c = 0; c < Chunks; ++c) lanes |= uint64_t(lanesAtLeast(count[c], least)) << ((first + c) * kLanes);
  return lanes;
}

// The lanes of all chunks in the mask, taken in runs of at most three.
[[gnu::always_inline]] inline uint64_t meetingLanes(const uint32_t* tables, uint32_t stride, const FastMinutia& a,
                                                    uint32_t chunks, uint32_t least) {
  RowSet set;
  loadRows(a, stride, set);
  uint64_t lanes = 0;
  while (chunks) {
    const int first = std::countr_zero(chunks);
    const int run = std::countr_one(chunks >> first);
    const int take = run < 3 ? run : 3;
    chunks &= ~(((1u << take) - 1) << first);
    if (take == 3) {
      lanes |= meetingRun<3>(tables, set, first, least);
    } else if (take == 2) {
      lanes |= meetingRun<2>(tables, set, first, least);
    } else {
      lanes |= meetingRun<1>(tables, set, first, least);
    }
  }
  return lanes;
}

[[gnu::target("avx2")]] uint64_t meetingLanesAvx2(const uint32_t* tables, uint32_t stride, const FastMinutia& a,
                                                  uint32_t chunks, uint32_t least) {
  return meetingLanes(tables, stride, a, chunks, least);
}
[[gnu::target("avx512f")]] uint64_t meetingLanesAvx512(const uint32_t* tables, uint32_t stride, const FastMinutia& a,
                                                       uint32_t chunks, uint32_t least) {
  return meetingLanes(tables, stride, a, chunks, least);
}
uint64_t meetingLanesBase(const uint32_t* tables, uint32_t stride, const FastMinutia& a, uint32_t chunks,
                          uint32_t least) {
  return meetingLanes(tables, stride, a, chunks, least);
}

using MeetingLanes = uint64_t (*)(const uint32_t*, uint32_t, const FastMinutia&, uint32_t, uint32_t);

MeetingLanes chooseMeetingLanes() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return meetingLanesAvx512;
  return FastHasAvx2() ? meetingLanesAvx2 : meetingLanesBase;
}
const MeetingLanes kMeetingLanes = chooseMeetingLanes();

// The three tables of half a chunk of columns while they are built: a bit
// toggled on at the first value of each run it covers and off after the
// last, so that one XOR scan over the values gives the rows. Entry 256 is
// never read: toggles past the last value, and unused ones, go there. Half
// a chunk, so that the toggles stay in the first-level cache.
constexpr int kToggleLanes = kLanes / 2;
using ToggleLanes = uint32_t __attribute__((vector_size(kToggleLanes * sizeof(uint32_t))));

struct BlockToggles {
  uint32_t at[FastProbe::kTables][FastProbe::kValues + 1][kToggleLanes];
};

// Where the bit of a neighbour holding one value is toggled: whether it is
// on from the first value (-128), and Places more places. The runs of values
// that meet a neighbour depend on its value alone, so they are worked out
// once. A distance is one run (two places); an angle is a run inside and two
// that start at -128 and end at 127, which leaves four places inside.
template <int Places>
struct ValueToggles {
  uint16_t at[Places];
  uint32_t fromFirst;  // all ones or zero
};

struct ToggleTables {
  ValueToggles<2> distance[FastProbe::kValues];  // by the distance byte
  ValueToggles<4> angle[FastProbe::kValues];     // by the angle as an unsigned byte
};

// The toggles of a set of runs of signed values, clipped; an empty run
// toggles one place twice, which leaves it as it was.
template <int Places, typename Runs>
ValueToggles<Places> togglesOf(Runs runs) {
  bool flips[FastProbe::kValues + 1] = {};
  runs([&flips](int from, int to) {
    const int first = std::clamp(from, -128, 128) + 128;
    const int end = std::max(first, std::clamp(to + 1, -128, 128) + 128);
    flips[first] = !flips[first];
    flips[end] = !flips[end];
  });
  ValueToggles<Places> t;
  std::fill(t.at, t.at + Places, uint16_t(FastProbe::kValues));
  t.fromFirst = flips[0] ? ~0u : 0u;
  int k = 0;
  for (int v = 1; v < FastProbe::kValues; ++v) {
    if (flips[v]) t.at[k++] = uint16_t(v);
  }
  return t;
}

ToggleTables buildToggleTables() {
  const FastParams& p = fastParams();
  const int opposite = kFastHalfCircle - p.angleTolerance;
  ToggleTables tables;
  for (int byte = 0; byte < FastProbe::kValues; ++byte) {
    const int v = int8_t(uint8_t(byte));
    // Distances within the tolerance of the neighbour's own: three either
    // side, four where that lies beyond the near ring.
    tables.distance[byte] = togglesOf<2>([&](auto run) {
      const int below = v - p.farDistanceTolerance > p.farFrom ? p.farDistanceTolerance : p.distanceTolerance;
      const int above = v + p.farDistanceTolerance > p.farFrom ? p.farDistanceTolerance : p.distanceTolerance;
      run(v - below, v + above);
    });
    // Angles within the tolerance, or (as unsigned 8-bit gaps) all but the
    // tolerance a half circle away.
    tables.angle[byte] = togglesOf<4>([&](auto run) {
      run(v - p.angleTolerance, v + p.angleTolerance);
      run(-128, v - opposite);
      run(v + opposite, 127);
    });
  }
  return tables;
}

const ToggleTables& toggleTables() {
  static const ToggleTables tables = buildToggleTables();
  return tables;
}

// b's neighbours as runs of the values that meet them.
void markNeighbours(const FastMinutia& b, int lane, BlockToggles& t) {
  const ToggleTables& tables = toggleTables();
  uint32_t fromFirst[FastProbe::kTables] = {};
  const auto mark = [&](int table, const auto& v, uint32_t bit) {
    for (uint16_t at : v.at) t.at[table][at][lane] ^= bit;
    fromFirst[table] ^= v.fromFirst & bit;
  };
  for (int j = 0; j < FastNeighbourCount(b); ++j) {
    const FastNeighbour& n = b.neighbours[j];
    const uint32_t bit = 1u << j;
    mark(0, tables.distance[n.distance], bit);
    mark(1, tables.angle[uint8_t(n.relativeDirection)], bit);
    mark(2, tables.angle[uint8_t(n.relativeOrientation)], bit);
  }
  for (int table = 0; table < FastProbe::kTables; ++table) t.at[table][0][lane] ^= fromFirst[table];
}

// The rows of one chunk from its toggles, which are cleared on the way for
// the next chunk.
[[gnu::always_inline]] inline void scanToggles(BlockToggles& t, uint32_t* tables, size_t stride, size_t first) {
  for (int table = 0; table < FastProbe::kTables; ++table) {
    ToggleLanes bits = {};
    for (int v = 0; v < FastProbe::kValues; ++v) {
      ToggleLanes flip;
      std::memcpy(&flip, t.at[table][v], sizeof flip);
      bits ^= flip;
      std::memset(t.at[table][v], 0, sizeof flip);
      std::memcpy(tables + (size_t(table) * FastProbe::kValues + size_t(v)) * stride + first, &bits, sizeof bits);
    }
    std::memset(t.at[table][FastProbe::kValues], 0, sizeof(ToggleLanes));
  }
}

[[gnu::target("avx512f")]] void scanTogglesAvx512(BlockToggles& t, uint32_t* tables, size_t stride, size_t first) {
  scanToggles(t, tables, stride, first);
}
[[gnu::target("avx2")]] void scanTogglesAvx2(BlockToggles& t, uint32_t* tables, size_t stride, size_t first) {
  scanToggles(t, tables, stride, first);
}
void scanTogglesBase(BlockToggles& t, uint32_t* tables, size_t stride, size_t first) {
  scanToggles(t, tables, stride, first);
}

using ScanToggles = void (*)(BlockToggles&, uint32_t*, size_t, size_t);
const ScanToggles kScanToggles = kMeetingLanes == meetingLanesAvx512 ? scanTogglesAvx512
                                 : FastHasAvx2()                     ? scanTogglesAvx2
                                                                     : scanTogglesBase;

}  // namespace

FastProbe::Method FastProbe::bestMethod() { return FastCellProbe::available() ? Method::Cells : Method::Tables; }

FastProbe::~FastProbe() = default;

FastProbe::FastProbe(const tagFASTFDATA& record, Method method) : record_(record), count_(FastMinutiaCount(record)) {
  if (method == Method::Cells) {
    cells_.emplace(record);
    return;
  }
  const FastMinutia* m = FastMinutiae(record);
  for (int i = 0; i < count_; ++i) minutiaOf_[i] = uint8_t(i);
  StableSort(minutiaOf_, count_, [m](uint8_t x, uint8_t y) { return m[x].direction < m[y].direction; });
  for (int c = 0; c < count_; ++c) {
    direction_[c] = m[minutiaOf_[c]].direction;
    columnOf_[minutiaOf_[c]] = uint8_t(c);
  }
  int column = 0;
  for (int v = -128; v <= 128; ++v) {
    while (column < count_ && direction_[column] < v) ++column;
    firstColumn_[v + 128] = uint8_t(column);
  }
  stride_ = (count_ + kLanes - 1) / kLanes * kLanes;
  tables_.reset(new uint32_t[size_t(kTables) * kValues * size_t(stride_)]);
  // Zero from the start, and left zeroed by every scan.
  static thread_local BlockToggles toggles;
  for (int first = 0; first < stride_; first += kToggleLanes) {
    for (int lane = 0; lane < kToggleLanes && first + lane < count_; ++lane) {
      const FastMinutia& b = m[minutiaOf_[first + lane]];
      if (FastNeighbourCount(b) >= fastParams().leastNeighbours) markNeighbours(b, lane, toggles);  // else never paired
    }
    kScanToggles(toggles, tables_.get(), size_t(stride_), size_t(first));
  }
}

uint32_t FastProbe::chunksMeeting(int direction) const {
  const FastParams& p = fastParams();
  // Directions that meet: within the tolerance, or (as unsigned gaps) all
  // but the tolerance a half circle away; each a run of columns.
  const int opposite = kFastHalfCircle - p.directionTolerance;
  uint32_t chunks = 0;
  const auto run = [&](int from, int to) {
    from = from < -128 ? -128 : from;
    to = to > 127 ? 127 : to;
    if (from > to) return;
    const int first = firstColumn_[from + 128];
    const int end = firstColumn_[to + 129];
    if (first >= end) return;
    chunks |= ((2u << ((end - 1) / kLanes)) - 1) & ~((1u << (first / kLanes)) - 1);
  };
  run(direction - p.directionTolerance, direction + p.directionTolerance);
  run(-128, direction - opposite);
  run(direction + opposite, 127);
  return chunks;
}

uint64_t FastProbe::reachable(const FastMinutia& a, int needed, uint64_t* survivors, int ia) const {
  const uint32_t chunks = chunksMeeting(a.direction);
  if (!chunks) return 0;
  uint64_t found = 0;
  for (uint64_t lanes = kMeetingLanes(tables_.get(), uint32_t(stride_), a, chunks, uint32_t(needed)); lanes;
       lanes &= lanes - 1) {
    const int column = std::countr_zero(lanes);
    if (column >= count_) continue;
    survivors[minutiaOf_[column]] |= uint64_t{1} << ia;
    found |= uint64_t{1} << minutiaOf_[column];
  }
  return found;
}

int FastProbe::findPairs(const tagFASTFDATA& recordA, int stop, FastPair* pairs, uint64_t& pairedA,
                         uint64_t& pairedB) const {
  if (cells_) return cells_->findPairs(recordA, stop, pairs, pairedA, pairedB);
  const FastParams& p = fastParams();
  const FastMinutia* ma = FastMinutiae(recordA);
  const FastMinutia* mb = FastMinutiae(record_);
  const int nA = FastMinutiaCount(recordA);
  uint64_t survivors[kColumns] = {};
  uint64_t any = 0;
  for (int ia = 0; ia < nA; ++ia) {
    if (FastNeighbourCount(ma[ia]) < p.leastNeighbours) continue;
    any |= reachable(ma[ia], p.neededNeighbours, survivors, ia);
  }
  return TakeSurvivingPairs(ma, mb, survivors, any, stop, pairs, pairedA, pairedB, [this](int ib) {
    const size_t column = columnOf_[ib];
    return [this, column](const FastNeighbour& na) {
      return row(Distance, int8_t(na.distance))[column] & row(Direction, na.relativeDirection)[column] &
             row(Orientation, na.relativeOrientation)[column];
    };
  });
}

}  // namespace ridgecore
