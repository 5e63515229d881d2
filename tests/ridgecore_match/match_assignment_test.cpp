#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <utility>

#include "match/MatchParams.h"
#include "match/NeighbourAssignment.h"

using namespace ridgecore;

namespace {

struct Candidate {
  int i, j, cost;
};

CandidateMatrix matrixOf(int scanned, int searched, std::initializer_list<Candidate> candidates) {
  CandidateMatrix m;
  m.reset(scanned, searched);
  for (int i = 0; i < scanned; ++i) m.scannedDirection[i] = int16_t(i * 64);  // neighbour i in sector i
  for (const Candidate& c : candidates) m.add(c.i, c.j, c.cost);
  return m;
}

using Pairing = std::set<std::pair<int, int>>;

Pairing assign(const CandidateMatrix& m, LocalMatch* out = nullptr) {
  LocalMatch result;
  AssignNeighbours(m, result);
  Pairing pairs;
  for (int k = 0; k < result.assigned; ++k) pairs.insert({result.scannedNeighbour[k], result.searchedNeighbour[k]});
  EXPECT_EQ(result.pairs, result.assigned);
  if (out) *out = result;
  return pairs;
}

}  // namespace

TEST(NeighbourAssignment, SoleCandidatesOnBothSidesPair) {
  EXPECT_EQ(assign(matrixOf(2, 2, {{0, 0, 100}, {1, 1, 200}})), (Pairing{{0, 0}, {1, 1}}));
}

TEST(NeighbourAssignment, OnlyChoiceContestedByACheaperLaterOnlyChoice) {
  // Neighbour 0 and 1 both can only take 0: the later one gets it when not dearer.
  EXPECT_EQ(assign(matrixOf(2, 1, {{0, 0, 100}, {1, 0, 50}})), (Pairing{{1, 0}}));
  EXPECT_EQ(assign(matrixOf(2, 1, {{0, 0, 100}, {1, 0, 100}})), (Pairing{{1, 0}}));
  EXPECT_EQ(assign(matrixOf(2, 1, {{0, 0, 100}, {1, 0, 150}})), (Pairing{{0, 0}}));
  // A later rival with other choices does not count: it moves on to its other candidate.
  EXPECT_EQ(assign(matrixOf(2, 2, {{0, 0, 100}, {1, 0, 50}, {1, 1, 60}})), (Pairing{{0, 0}, {1, 1}}));
}

TEST(NeighbourAssignment, SeveralChoicesPreferTheLastCheaperUndisputedOne) {
  // Searched 0, 1, 2 can each only go to scanned 0: the last one cheaper than 0 wins, not the cheapest.
  EXPECT_EQ(assign(matrixOf(1, 3, {{0, 0, 100}, {0, 1, 30}, {0, 2, 40}})), (Pairing{{0, 2}}));
  EXPECT_EQ(assign(matrixOf(1, 3, {{0, 0, 100}, {0, 1, 30}, {0, 2, 140}})), (Pairing{{0, 1}}));
  // A later candidate that another neighbour also wants is not undisputed.
  EXPECT_EQ(assign(matrixOf(2, 2, {{0, 0, 100}, {0, 1, 30}, {1, 1, 10}})), (Pairing{{0, 0}, {1, 1}}));
}

TEST(NeighbourAssignment, BothWithSeveralHandOverToTheLastDependant) {
  // Scanned 1 and 2 can only take searched 0; the last of them gets it, and
  // scanned 0 goes on to its next candidate.
  const CandidateMatrix m = matrixOf(3, 2, {{0, 0, 100}, {0, 1, 100}, {1, 0, 10}, {2, 0, 20}});
  EXPECT_EQ(assign(m), (Pairing{{2, 0}, {0, 1}}));
}

TEST(NeighbourAssignment, BothWithSeveralTakeTheFirstUndisputedElseTheCheapest) {
  // Searched 2 can only go to scanned 0: taken at once, although dearer.
  EXPECT_EQ(assign(matrixOf(2, 3, {{0, 0, 100}, {0, 1, 200}, {0, 2, 300}, {1, 0, 50}, {1, 1, 50}})),
            (Pairing{{0, 2}, {1, 0}}));
  // No undisputed candidate: the cheapest, the first on a tie, and never a used one.
  LocalMatch local;
  EXPECT_EQ(assign(matrixOf(2, 2, {{0, 0, 100}, {0, 1, 40}, {1, 0, 50}, {1, 1, 50}}), &local),
            (Pairing{{0, 1}, {1, 0}}));
  EXPECT_FLOAT_EQ(local.cost, float((40.0 + 50.0) / 2 / kCostScale));
}

TEST(NeighbourAssignment, RecordsTheSectorsOfThePairedScannedNeighbours) {
  LocalMatch local;
  assign(matrixOf(3, 3, {{0, 0, 1}, {1, 1, 1}, {2, 2, 1}}), &local);
  EXPECT_EQ(local.spread, 3);  // sectors 0, 1, 2
  assign(matrixOf(3, 3, {{0, 0, 1}, {2, 2, 1}}), &local);
  EXPECT_EQ(local.spread, 1);
}

TEST(NeighbourAssignment, SectorsAndSpread) {
  EXPECT_EQ(DirectionSector(0), 0);
  EXPECT_EQ(DirectionSector(63), 0);
  EXPECT_EQ(DirectionSector(64), 1);
  EXPECT_EQ(DirectionSector(255), 3);
  EXPECT_EQ(DirectionSector(-1), 7);
  EXPECT_EQ(DirectionSector(-64), 6);
  EXPECT_EQ(DirectionSector(-255), 4);

  EXPECT_EQ(SectorSpread(0), 0);
  EXPECT_EQ(SectorSpread(0xFF), 8);
  EXPECT_EQ(SectorSpread(0x7F), 7);                            // 0..6, closed by 7
  EXPECT_EQ(SectorSpread((1 << 7) | (1 << 0) | (1 << 1)), 3);  // a run across the wrap
  EXPECT_EQ(SectorSpread((1 << 0) | (1 << 2) | (1 << 4)), 1);
  EXPECT_EQ(SectorSpread(0xFE), 7);  // 1..7, closed by 0 on the second round
}
