#include "match/synthetic/SyntheticMinutiae.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ridgecore::synthetic {
namespace {

constexpr int kImageSize = 300;
constexpr double kCentre = 150;
constexpr double kDirectionUnit = 6.283185307179586 / 128;
constexpr int kMaxAttempts = 20000;

bool farFromAll(const MinutiaSet& set, int x, int y, int spacing) {
  for (const Minutia& m : set) {
    const int dx = m.x - x;
    const int dy = m.y - y;
    if (dx * dx + dy * dy < spacing * spacing) return false;
  }
  return true;
}

bool inside(int x, int y) { return x >= 0 && y >= 0 && x < kImageSize && y < kImageSize; }

Minutia randomMinutia(Random& random, int margin) {
  Minutia m;
  m.x = random.uniform(margin, kImageSize - 1 - margin);
  m.y = random.uniform(margin, kImageSize - 1 - margin);
  m.direction = random.uniform(0, 127);
  m.bifurcation = random.chance(50);
  return m;
}

const Distortion kGenuine{0, 0, 0, 0, 0, 2, 2};

}  // namespace

uint64_t Random::next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int Random::uniform(int lo, int hi) { return lo + int(next() % uint64_t(hi - lo + 1)); }

bool Random::chance(int percent) { return uniform(0, 99) < percent; }

MinutiaSet RandomMinutiae(Random& random, int count, int spacing, int margin) {
  MinutiaSet set;
  for (int attempt = 0; attempt < kMaxAttempts && int(set.size()) < count; ++attempt) {
    const Minutia m = randomMinutia(random, margin);
    if (farFromAll(set, m.x, m.y, spacing)) set.push_back(m);
  }
  OrderAsExtracted(set);
  return set;
}

MinutiaSet Distort(const MinutiaSet& set, const Distortion& d, Random& random) {
  MinutiaSet kept = set;
  for (int k = 0; k < d.dropped && !kept.empty(); ++k)
    kept.erase(kept.begin() + random.uniform(0, int(kept.size()) - 1));
  const double c = std::cos(d.rotation);
  const double s = std::sin(d.rotation);
  const int turn = int(std::lround(d.rotation / kDirectionUnit));
  MinutiaSet out;
  for (const Minutia& m : kept) {
    const double rx = kCentre + (m.x - kCentre) * c - (m.y - kCentre) * s;
    const double ry = kCentre + (m.x - kCentre) * s + (m.y - kCentre) * c;
    Minutia moved = m;
    moved.x = int(std::lround(rx)) + d.dx + random.uniform(-d.positionNoise, d.positionNoise);
    moved.y = int(std::lround(ry)) + d.dy + random.uniform(-d.positionNoise, d.positionNoise);
    moved.direction = ((m.direction + turn + random.uniform(-d.directionNoise, d.directionNoise)) % 128 + 128) % 128;
    if (inside(moved.x, moved.y)) out.push_back(moved);
  }
  for (int k = 0; k < d.added; ++k) out.push_back(randomMinutia(random, 10));
  OrderAsExtracted(out);
  return out;
}

MinutiaSet Shifted(const MinutiaSet& set, int dx, int dy) {
  MinutiaSet out = set;
  for (Minutia& m : out) {
    m.x += dx;
    m.y += dy;
  }
  return out;
}

void OrderAsExtracted(MinutiaSet& set) {
  std::stable_sort(set.begin(), set.end(), [](const Minutia& a, const Minutia& b) {
    if (a.bifurcation != b.bifurcation) return a.bifurcation;
    if (a.y / 2 != b.y / 2) return a.y / 2 < b.y / 2;
    return a.x / 2 < b.x / 2;
  });
}

tagFDATA MakeRecord(const MinutiaSet& set) {
  tagFDATA record;
  std::memset(&record, 0, sizeof record);
  const int n = std::min<int>(int(set.size()), RIDGECORE_MAX_MINUTIAE);
  record.count = static_cast<unsigned char>(n);
  for (int k = 0; k < n; ++k) {
    const Minutia& m = set[size_t(k)];
    record.minutiae[k].x = static_cast<unsigned char>(std::clamp(m.x, 0, kImageSize - 1) / 2);
    record.minutiae[k].y = static_cast<unsigned char>(std::clamp(m.y, 0, kImageSize - 1) / 2);
    record.minutiae[k].typeDir = static_cast<unsigned char>(((m.direction & 127) << 1) | (m.bifurcation ? 1 : 0));
  }
  std::memcpy(record.mark, "1040DV", 6);
  return record;
}

namespace {

// What both kinds of completed template share: three filled slots, the magic
// byte, level 5 and the centre.
template <typename Template, typename Record>
Template Completed(int type, const Record& slot0, const Record& slot1, const Record& slot2) {
  Template e;
  std::memset(&e, 0, sizeof e);
  e.slot[0] = slot0;
  e.slot[1] = slot1;
  e.slot[2] = slot2;
  e.flags[0] = e.flags[1] = e.flags[2] = 1;
  e.type = static_cast<unsigned char>(type);
  e.magic = RIDGECORE_ENROLL_MAGIC;
  e.security = 5;
  e.centre[0] = e.centre[1] = 150;
  return e;
}

}  // namespace

tagENROLL MakeTemplate(const tagFDATA& slot0, const tagFDATA& slot1, const tagFDATA& slot2) {
  tagENROLL e = Completed<tagENROLL>(1, slot0, slot1, slot2);
  e.dpi[0] = 480 & 0xFF;
  e.dpi[1] = 480 >> 8;
  e.impressions = 3;
  return e;
}

tagFASTENROLL MakeFastTemplate(const tagFASTFDATA& slot0, const tagFASTFDATA& slot1, const tagFASTFDATA& slot2) {
  tagFASTENROLL e = Completed<tagFASTENROLL>(2, slot0, slot1, slot2);
  e.resolution5 = 480 / 5;
  return e;
}

RecordPair GenuinePair(uint64_t seed) {
  Random random(seed);
  const MinutiaSet finger = RandomMinutiae(random, random.uniform(28, 45));
  Distortion d = kGenuine;
  d.rotation = random.uniform(-8, 8) * 0.01;
  d.dx = random.uniform(-25, 25);
  d.dy = random.uniform(-25, 25);
  d.dropped = random.uniform(2, 6);
  d.added = random.uniform(2, 6);
  return RecordPair{MakeRecord(finger), MakeRecord(Distort(finger, d, random))};
}

RecordPair ImpostorPair(uint64_t seed) {
  Random random(seed);
  const MinutiaSet a = RandomMinutiae(random, random.uniform(28, 45));
  const MinutiaSet b = RandomMinutiae(random, random.uniform(28, 45));
  return RecordPair{MakeRecord(a), MakeRecord(b)};
}

}  // namespace ridgecore::synthetic
