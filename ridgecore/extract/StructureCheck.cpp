#include "extract/StructureCheck.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "extract/Allocation.h"
#include "extract/BlockGrid.h"

namespace ridgecore {
namespace {

constexpr int kFirstLabel = 4, kLastLabel = 253;
constexpr int kMinimumContour = 8;
constexpr int kSmoothRun = 25;
constexpr int kMaxValley = 20;
constexpr int kLongSegment = 60;
constexpr int kAbsorbedSegments = 3;
constexpr int kStoppedOnBackground = -1;

struct Statistics {
  int points = 0;
  int m = 0, r = 0, v = 0;
};

struct Segment {
  int first, last;  // run positions
  int label;
  long long sumJ = 0, sumJ2 = 0;
};

struct Group {
  bool isLong;
  int segments = 0;
  int first, last;
  long long weightedM = 0, weightedR = 0, weightedV = 0;
  Statistics stats() const {
    const int points = last - first + 1;
    return {points, static_cast<int>(weightedM / points), static_cast<int>(weightedR / points),
            static_cast<int>(weightedV / points)};
  }
};

class StructureJudge {
 public:
  StructureJudge(const ExtractionTables& tables, ContourTracer& tracer)
      : tables_(tables),
        tracer_(tracer),
        labels_(allocateArray<uint8_t>(kImagePixels)),
        sharp_(allocateArray<uint8_t>(ContourTracer::kCapacity)),
        valley_(allocateArray<int>(ContourTracer::kCapacity)),
        reached_(allocateArray<int>(ContourTracer::kCapacity)) {
    std::memset(votes_, 0, sizeof votes_);
  }

  void labelRegions(const uint8_t* binary, const uint8_t* directions, PixelFlood& flood) {
    std::memcpy(labels_.get(), binary, kImagePixels);
    int label = kFirstLabel;
    for (int p = nextRidge(labels_.get(), 0); p < kImagePixels; p = nextRidge(labels_.get(), p + 1)) {
      if (!isInteriorBlock(directions[blockOfPixel(p)])) continue;
      const auto value = static_cast<uint8_t>(label);
      flood.fill(
          p, true, [&](int n) { return labels_[n] == kRidge; }, [&](int n) { labels_[n] = value; });
      starts_.push_back(p);
      label = label == kLastLabel ? kFirstLabel : label + 1;
    }
  }

  void voteAllRegions() {
    for (int start : starts_) voteRegion(start);
  }

  const int* votes() const { return votes_; }

 private:
  void vote(int position, int amount) { votes_[blockOfPixel(tracer_.point(position))] += amount; }

  void voteRegion(int start) {
    const uint8_t own = labels_[start];
    const int n = tracer_.trace(start, [&](int p) { return labels_[p] == own; });
    if (n < kMinimumContour) return;
    tracer_.findSharpPoints(sharp_.get());
    int smooth = 0, firstSharp = -1;
    for (int i = 0; i < n; ++i) {
      if (!sharp_[i]) ++smooth;
      if (sharp_[i] && firstSharp < 0) firstSharp = i;
    }
    if (smooth < kSmoothRun) {
      for (int i = 0; i < n; ++i) vote(i, -1);
      return;
    }
    if (firstSharp < 0) {
      judgeRun(own, 0, n);
      return;
    }
    int runStart = -1;
    for (int step = 1; step <= n; ++step) {
      const int i = firstSharp + step;
      const bool isSmooth = !sharp_[i % n];
      if (isSmooth && runStart < 0) runStart = i;
      if (!isSmooth && runStart >= 0) {
        if (i - runStart >= kSmoothRun) judgeRun(own, runStart, i - runStart);
        runStart = -1;
      }
    }
  }

  // Walks from the contour point along the normal: across its own region,
  // then across the valley. Returns the label where the walk stopped.
  int walk(int point, int direction, uint8_t own, int& valley) const {
    const int r0 = point / kImageSide, c0 = point % kImageSide;
    valley = 0;
    bool inOwn = true;
    for (int s = 0; s < ExtractionTables::kWalkLength; ++s) {
      const int r = r0 + tables_.walkRow[direction][s], c = c0 + tables_.walkCol[direction][s];
      if (r < 0 || c < 0 || r >= kImageSide || c >= kImageSide) return kStoppedOnBackground;
      const uint8_t value = labels_[r * kImageSide + c];
      if (inOwn && value == own) continue;
      inOwn = false;
      if (value != kBackground) return value;
      if (++valley == kMaxValley) return kStoppedOnBackground;
    }
    return inOwn ? own : kStoppedOnBackground;
  }

  int normalDirection(int runStart, int length, int position) const {
    int first = position - 12;
    if (first > length - 26) first = length - 26;
    if (first < 0) first = 0;
    const int last = std::min(first + 25, length - 1);
    const int dy = tracer_.row(runStart + last) - tracer_.row(runStart + first);
    const int dx = tracer_.col(runStart + last) - tracer_.col(runStart + first);
    return tables_.chordNormal[dy + ExtractionTables::kChordReach][dx + ExtractionTables::kChordReach];
  }

  void judgeRun(uint8_t own, int runStart, int length) {
    for (int i = 0; i < length; ++i) {
      reached_[i] = walk(tracer_.point(runStart + i), normalDirection(runStart, length, i), own, valley_[i]);
    }

    segments_.clear();
    for (int i = 0; i < length; ++i) {
      const int label = reached_[i];
      if (segments_.empty() || (label != kStoppedOnBackground && segments_.back().label != kStoppedOnBackground &&
                                label != segments_.back().label)) {
        segments_.push_back({i, i, label});
      }
      Segment& s = segments_.back();
      if (s.label == kStoppedOnBackground) s.label = label;
      s.last = i;
      s.sumJ += valley_[i];
      s.sumJ2 += valley_[i] * valley_[i];
    }

    groups_.clear();
    for (const Segment& s : segments_) {
      const int k = s.last - s.first + 1;
      const bool isLong = k > kLongSegment;
      if (groups_.empty() || groups_.back().isLong != isLong) groups_.push_back({isLong, 0, s.first, s.last});
      const long long m = s.sumJ / k;
      const long long r = m * m + s.sumJ2 / k;
      Group& g = groups_.back();
      ++g.segments;
      g.last = s.last;
      g.weightedM += k * m;
      g.weightedR += k * r;
      g.weightedV += static_cast<long long>(k) * k;
    }

    // Few short segments between long ones belong to them; runs of many
    // short segments and long groups are judged on their own.
    size_t g = 0;
    while (g < groups_.size()) {
      size_t end = g + 1;
      if (absorbable(g) || groups_[g].isLong) {
        while (end < groups_.size() && (absorbable(end) || groups_[end].isLong)) ++end;
      }
      judgeUnit(runStart, g, end);
      g = end;
    }
  }

  bool absorbable(size_t g) const { return !groups_[g].isLong && groups_[g].segments <= kAbsorbedSegments; }

  void judgeUnit(int runStart, size_t first, size_t end) {
    long long points = 0, m = 0, r = 0, v = 0;
    for (size_t g = first; g < end; ++g) {
      const Statistics s = groups_[g].stats();
      points += s.points;
      m += static_cast<long long>(s.points) * s.m;
      r += static_cast<long long>(s.points) * s.r;
      v += static_cast<long long>(s.points) * s.v;
    }
    const bool good = m / points <= 15 && r / points <= 250 && v / points >= 20;
    for (int i = groups_[first].first; i <= groups_[end - 1].last; ++i) vote(runStart + i, good ? 1 : -1);
  }

  const ExtractionTables& tables_;
  ContourTracer& tracer_;
  std::unique_ptr<uint8_t[]> labels_;
  std::unique_ptr<uint8_t[]> sharp_;
  std::unique_ptr<int[]> valley_;
  std::unique_ptr<int[]> reached_;
  std::vector<int> starts_;
  std::vector<Segment> segments_;
  std::vector<Group> groups_;
  int votes_[kGridBlocks];
};

}  // namespace

void checkRidgeStructure(const ExtractionTables& tables, const uint8_t* binary, uint8_t* directions,
                         ContourTracer& tracer, PixelFlood& flood) {
  StructureJudge judge(tables, tracer);
  judge.labelRegions(binary, directions, flood);
  judge.voteAllRegions();

  uint8_t good[kGridBlocks], badInterior[kGridBlocks];
  for (int b = 0; b < kGridBlocks; ++b) {
    good[b] = hasDirection(directions[b]) && judge.votes()[b] > 0 ? 1 : 0;
    badInterior[b] = isInteriorBlock(directions[b]) && !good[b] ? 1 : 0;
  }
  blockgrid::absorbSmallGaps(good, badInterior, 5);
  blockgrid::keepLargestRegion(good);
  blockgrid::erode(good);
  for (int b = 0; b < kGridBlocks; ++b) {
    if (isInteriorBlock(directions[b]) && !good[b]) directions[b] = kNoDirection;
  }
}

}  // namespace ridgecore
