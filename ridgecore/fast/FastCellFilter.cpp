#include "fast/FastCellFilter.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include <immintrin.h>

#include "fast/FastForm.h"
#include "fast/FastNeighbourhood.h"
#include "fast/FastParams.h"
#include "fast/FastSurvivors.h"

namespace ridgecore {
namespace {

using Column = FastCellProbe::Column;
using Places = FastCellProbe::Places;
constexpr int kCells = FastCellProbe::kCells;
constexpr int kClasses = 16;  // bits of b's neighbours

// For every value b's neighbour may hold, the cells holding a value of a's
// neighbour that meets it (a's side sets the distance tolerance).
struct CellMeetings {
  uint64_t distance[256];  // by b's distance byte
  uint64_t angle[256];     // by b's angle as an unsigned byte
};

CellMeetings buildCellMeetings() {
  const FastParams& p = fastParams();
  CellMeetings m{};
  for (int byte = 0; byte < 256; ++byte) {
    const int w = int8_t(uint8_t(byte));
    for (int cell = 0; cell < kCells; ++cell) {
      for (int v = 4 * cell - 128; v < 4 * cell - 124; ++v) {
        if (std::abs(v - w) <= FastDistanceTolerance(v, p)) m.distance[byte] |= uint64_t{1} << cell;
        if (FastAnglesAgree(FastAngleGap(v, w), p.angleTolerance)) m.angle[byte] |= uint64_t{1} << cell;
      }
    }
  }
  return m;
}

const CellMeetings& cellMeetings() {
  static const CellMeetings m = buildCellMeetings();
  return m;
}

// Byte permutations of the cell transposition, worked out once.
struct Transposition {
  alignas(64) uint8_t gather[64];  // qword q, byte 7 - c: byte q of class c's cells
  alignas(64) uint8_t low[64];     // words of cells 0..31 from the low and the high classes
  alignas(64) uint8_t high[64];    // ... of cells 32..63
  // a's neighbours: word k gets byte 4 k + t of the list, for t = distance, direction, orientation
  alignas(64) uint8_t value[3][64];
};

constexpr Transposition makeTransposition() {
  Transposition t{};
  for (int q = 0; q < 8; ++q) {
    for (int c = 0; c < 8; ++c) t.gather[8 * q + (7 - c)] = uint8_t(8 * c + q);
  }
  for (int k = 0; k < 32; ++k) {
    t.low[2 * k] = uint8_t(k);
    t.low[2 * k + 1] = uint8_t(64 + k);
    t.high[2 * k] = uint8_t(32 + k);
    t.high[2 * k + 1] = uint8_t(96 + k);
    for (int axis = 0; axis < 3; ++axis) t.value[axis][2 * k] = uint8_t(4 * k + axis);
  }
  return t;
}
constexpr Transposition kTransposition = makeTransposition();

#define RIDGECORE_CELL_TARGET [[gnu::target("avx512f,avx512bw,avx512vbmi,gfni,popcnt")]]

// classes[c]: the cells class c meets, as bits; out[cell]: the classes, as
// bits. Each eight-by-eight block of bits is turned by one affine step.
// Eight classes, turned: bit i of byte b of qword q is bit 8 q + b of class i.
RIDGECORE_CELL_TARGET inline __m512i turnEightClasses(const uint64_t* eight) {
  // Each qword one block first, byte 7 - c holding eight cells of class c;
  // the zeroing form, as GCC 12 warns about the plain one's undefined lanes.
  const __m512i blocks =
      _mm512_maskz_permutexvar_epi8(~__mmask64{0}, _mm512_load_si512(kTransposition.gather), _mm512_loadu_si512(eight));
  return _mm512_gf2p8affine_epi64_epi8(_mm512_set1_epi64(int64_t(0x8040201008040201ull)), blocks, 0);
}

RIDGECORE_CELL_TARGET inline void transposeCells(const uint64_t* classes, uint16_t* out) {
  const __m512i low = turnEightClasses(classes);
  const __m512i high = turnEightClasses(classes + 8);
  _mm512_store_si512(out, _mm512_permutex2var_epi8(low, _mm512_load_si512(kTransposition.low), high));
  _mm512_store_si512(out + 32, _mm512_permutex2var_epi8(low, _mm512_load_si512(kTransposition.high), high));
}

// Bit j for every neighbour that differs from the one before it (the
// first always does): the heads of runs of equal neighbours.
RIDGECORE_CELL_TARGET inline uint32_t runHeads(const FastMinutia& m) {
  const int count = FastNeighbourCount(m);
  const auto* list = reinterpret_cast<const int*>(m.neighbours);
  const __m512i key = _mm512_set1_epi32(int(kFastNeighbourValueBits));
  uint32_t heads = 0;
  for (int half = 0; half < 2; ++half) {
    const int lanes = std::clamp(count - 16 * half, 0, 16);
    const __mmask16 present = __mmask16((1u << lanes) - 1);
    const __mmask16 after = half ? present : __mmask16(present & ~1u);  // entry 0 has none before it
    const __m512i own = _mm512_maskz_loadu_epi32(present, list + 16 * half);
    const __m512i before = _mm512_maskz_loadu_epi32(after, list + 16 * half - 1);
    heads |= uint32_t(_mm512_mask_cmpneq_epi32_mask(after, _mm512_and_si512(own, key), _mm512_and_si512(before, key)))
             << (16 * half);
  }
  return count ? heads | 1u : 0u;
}

RIDGECORE_CELL_TARGET void describeColumn(const FastMinutia& b, Column& out) {
  const CellMeetings& meet = cellMeetings();
  alignas(64) uint64_t classes[3][kClasses];
  const FastNeighbour* n = b.neighbours;
  uint32_t heads = runHeads(b);  // a copy meets what its original meets
  int c = 0;
  for (; heads && c < kClasses; heads &= heads - 1, ++c) {
    const int j = std::countr_zero(heads);
    classes[0][c] = meet.distance[n[j].distance];
    classes[1][c] = meet.angle[uint8_t(n[j].relativeDirection)];
    classes[2][c] = meet.angle[uint8_t(n[j].relativeOrientation)];
  }
  const __mmask8 unused[2] = {__mmask8(~0u << std::min(c, 8)), __mmask8(~0u << std::max(c - 8, 0))};
  for (auto& axis : classes) {
    _mm512_mask_storeu_epi64(axis, unused[0], _mm512_setzero_si512());
    _mm512_mask_storeu_epi64(axis + 8, unused[1], _mm512_setzero_si512());
  }
  for (; heads; heads &= heads - 1, ++c) {  // more runs than classes: neighbours sixteen apart share one
    const int j = std::countr_zero(heads);
    classes[0][c % kClasses] |= meet.distance[n[j].distance];
    classes[1][c % kClasses] |= meet.angle[uint8_t(n[j].relativeDirection)];
    classes[2][c % kClasses] |= meet.angle[uint8_t(n[j].relativeOrientation)];
  }
  for (int axis = 0; axis < 3; ++axis) transposeCells(classes[axis], out.cells[axis]);
}

// a's neighbours as cells, one to a 16-bit lane (the lookups read the low six bits).
struct NeighbourCells {
  __m512i axis[3];
  uint32_t present;
};

RIDGECORE_CELL_TARGET inline NeighbourCells cellsOf(const FastMinutia& a) {
  const int count = FastNeighbourCount(a);
  const int bytes = 4 * count;
  const auto* list = reinterpret_cast<const uint8_t*>(a.neighbours);
  const __mmask64 first = bytes >= 64 ? ~__mmask64{0} : (__mmask64{1} << bytes) - 1;
  const __mmask64 second = bytes > 64 ? (__mmask64{1} << (bytes - 64)) - 1 : 0;
  const __m512i lo = _mm512_maskz_loadu_epi8(first, list);
  const __m512i hi = _mm512_maskz_loadu_epi8(second, list + 64);
  const __m512i flip = _mm512_set1_epi16(0x80);
  NeighbourCells out;
  for (int axis = 0; axis < 3; ++axis) {
    const __m512i value =
        _mm512_maskz_permutex2var_epi8(0x5555555555555555ull, lo, _mm512_load_si512(kTransposition.value[axis]), hi);
    out.axis[axis] = _mm512_srli_epi16(_mm512_xor_si512(value, flip), 2);
  }
  out.present = (1u << count) - 1;
  return out;
}

// The minutiae of b within the window of a, close enough in y and pointing
// the same way: the sweep's own tests, all at once.
RIDGECORE_CELL_TARGET inline __m512i byteGap(__m512i u, __m512i v) {
  return _mm512_or_si512(_mm512_subs_epu8(u, v), _mm512_subs_epu8(v, u));
}

RIDGECORE_CELL_TARGET inline uint64_t placesMeeting(const Places& b, const FastMinutia& a, const FastParams& p) {
  const __m512i ax = _mm512_set1_epi8(char(a.x));
  const __m512i ay = _mm512_set1_epi8(char(a.y));
  const __m512i ad = _mm512_set1_epi8(char(a.direction));
  const __m512i bd = _mm512_load_si512(b.direction);
  // |da - db| as an unsigned byte: the larger minus the smaller never wraps past 255
  const __m512i turn = _mm512_sub_epi8(_mm512_max_epi8(ad, bd), _mm512_min_epi8(ad, bd));
  const __mmask64 near =
      _mm512_cmple_epu8_mask(byteGap(_mm512_load_si512(b.x), ax), _mm512_set1_epi8(char(p.window))) &
      _mm512_cmple_epu8_mask(byteGap(_mm512_load_si512(b.y), ay), _mm512_set1_epi8(char(p.yTolerance)));
  const __mmask64 sameWay =
      _mm512_cmple_epu8_mask(turn, _mm512_set1_epi8(char(p.directionTolerance))) |
      _mm512_cmpge_epu8_mask(turn, _mm512_set1_epi8(char(kFastHalfCircle - p.directionTolerance)));
  return near & sameWay & b.eligible;
}

// How many of a's neighbours fall into cells that one neighbour of b meets
// in all three values.
RIDGECORE_CELL_TARGET inline __m512i lookUp(const NeighbourCells& a, const Column& b, int axis) {
  return _mm512_permutex2var_epi16(_mm512_load_si512(b.cells[axis]), a.axis[axis],
                                   _mm512_load_si512(b.cells[axis] + 32));
}

RIDGECORE_CELL_TARGET inline int neighboursMeeting(const NeighbourCells& a, const Column& b) {
  const __mmask32 met =
      _mm512_mask_test_epi16_mask(a.present, _mm512_and_si512(lookUp(a, b, 0), lookUp(a, b, 1)), lookUp(a, b, 2));
  return std::popcount(uint32_t(met));
}

RIDGECORE_CELL_TARGET void describe(const tagFASTFDATA& record, Places& places, Column* columns) {
  const FastParams& p = fastParams();
  const FastMinutia* m = FastMinutiae(record);
  for (int j = 0; j < FastMinutiaCount(record); ++j) {
    places.x[j] = m[j].x;
    places.y[j] = m[j].y;
    places.direction[j] = m[j].direction;
    if (FastNeighbourCount(m[j]) < p.leastNeighbours) continue;  // never paired
    places.eligible |= uint64_t{1} << j;
    describeColumn(m[j], columns[j]);
  }
}

// Bit ia of survivors[ib] for every pair the cells let through; returns the
// minutiae of b with any.
RIDGECORE_CELL_TARGET uint64_t filter(const tagFASTFDATA& recordA, const Places& places, const Column* columns,
                                      uint64_t* survivors) {
  const FastParams& p = fastParams();
  const FastMinutia* ma = FastMinutiae(recordA);
  uint64_t any = 0;
  for (int ia = 0; ia < FastMinutiaCount(recordA); ++ia) {
    if (FastNeighbourCount(ma[ia]) < p.leastNeighbours) continue;
    uint64_t candidates = placesMeeting(places, ma[ia], p);
    if (!candidates) continue;
    const NeighbourCells cells = cellsOf(ma[ia]);
    for (; candidates; candidates &= candidates - 1) {
      const int ib = std::countr_zero(candidates);
      if (neighboursMeeting(cells, columns[ib]) < p.neededNeighbours) continue;
      survivors[ib] |= uint64_t{1} << ia;
      any |= uint64_t{1} << ib;
    }
  }
  return any;
}

}  // namespace

bool FastCellProbe::available() {
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("gfni");
  }();
  return available;
}

FastCellProbe::FastCellProbe(const tagFASTFDATA& record) : record_(record) { describe(record, places_, columns_); }

int FastCellProbe::findPairs(const tagFASTFDATA& a, int stop, FastPair* pairs, uint64_t& pairedA,
                             uint64_t& pairedB) const {
  uint64_t survivors[kColumns] = {};
  const uint64_t any = filter(a, places_, columns_, survivors);
  const FastMinutia* mb = FastMinutiae(record_);
  NeighbourLanes lanes;
  return TakeSurvivingPairs(FastMinutiae(a), mb, survivors, any, stop, pairs, pairedA, pairedB, [&](int ib) {
    LoadNeighbourLanes(mb[ib], lanes);
    return [&lanes](const FastNeighbour& na) { return LanePartners(lanes, na); };
  });
}

}  // namespace ridgecore
