#include "match/MatchListBuilder.h"

#include <algorithm>

#include "match/MatchAngles.h"
#include "match/NeighbourSelection.h"

namespace ridgecore {
namespace {

constexpr double kRadiansPerDirection = 0.04908738515625;  // 2 pi / 128
constexpr double kAngleFold = 3.14159265;
constexpr double kAngleFoldStep = 6.2831855;
constexpr int kCrowdingRadiusSquared = 60 * 60;

}  // namespace

void UnpackMinutiae(const tagFDATA& record, MatchList& list) {
  list.count = std::min<int>(record.count, kMaxMatchMinutiae);
  for (int k = 0; k < list.count; ++k) {
    const tagFMINUTIA& in = record.minutiae[k];
    MatchMinutia& m = list.minutiae[k];
    m.x = static_cast<int16_t>(in.x * 2);
    m.y = static_cast<int16_t>(in.y * 2);
    m.type = static_cast<uint8_t>((in.typeDir & 1) + 1);
    float angle = static_cast<float>((in.typeDir >> 1) * kRadiansPerDirection);
    if (angle > kAngleFold) angle = static_cast<float>(angle - kAngleFoldStep);
    m.qangle = static_cast<int16_t>(QuantiseAngle(angle));
    m.angle = static_cast<float>(m.qangle * kRadiansPerUnit);
    m.crowding = 0;
    m.salience = 0;
    m.neighbourCount = 0;
  }
  list.reachIndexed = false;
}

void ComputeCrowding(MatchList& list) {
  for (int a = 0; a < list.count; ++a) {
    for (int b = a + 1; b < list.count; ++b) {
      const int dx = list.minutiae[a].x - list.minutiae[b].x;
      const int dy = list.minutiae[a].y - list.minutiae[b].y;
      if (dx * dx + dy * dy < kCrowdingRadiusSquared) {
        list.minutiae[a].crowding -= 1;
        list.minutiae[b].crowding -= 1;
      }
    }
  }
}

// The second pass (minutiae left with fewer than 13 neighbours) is not run:
// such a minutia had fewer than 13 links to keep, so the pass would collect
// the same links, give them the same saliences (positions, angles and
// crowding decide them) and keep them all in the same order. The saliences it
// would rewrite on other minutiae are read by nothing after their own step.
void RunNeighbourPasses(MatchList& list) {
  for (int m = 0; m < list.count; ++m) SelectNeighbours(list, m);
}

void PrepareMatchList(const tagFDATA& record, MatchList& list) {
  UnpackMinutiae(record, list);
  ComputeCrowding(list);
  RunNeighbourPasses(list);
}

}  // namespace ridgecore
