#include "match/MatchFeatureSets.h"

#include "match/FixedSort.h"
#include "match/MatchAngles.h"
#include "match/MatchDecision.h"
#include "match/MatchListBuilder.h"
#include "match/MatchParams.h"
#include "match/MatchResults.h"
#include "match/PairSearch.h"
#include "match/PairStatistics.h"

namespace ridgecore {
namespace {

MatchList g_scannedList;
MatchList g_searchedList;
PairSearchResult g_found;

// The pairs as points, best (cheapest, in thousandths) first.
int rankedPoints(const MatchList& scanned, const MatchList& searched, const MinutiaPair* pairs, int count,
                 PairPoint* points) {
  MinutiaPair ranked[kMaxPairs];
  for (int k = 0; k < count; ++k) ranked[k] = pairs[k];
  StableSort(ranked, count,
             [](const MinutiaPair& a, const MinutiaPair& b) { return int(a.cost * 1000) < int(b.cost * 1000); });
  for (int k = 0; k < count; ++k) {
    const MatchMinutia& s = scanned.minutiae[ranked[k].scanned];
    const MatchMinutia& t = searched.minutiae[ranked[k].searched];
    points[k] = PairPoint{s.x, s.y, t.x, t.y, float(WrapAngle(double{s.angle} - t.angle))};
  }
  return count;
}

MatchSummary summarise(const PairSearchResult& found, const MinutiaPair* pairs, int n, const PairGeometry& geometry) {
  MatchSummary s;
  s.pairs = n;
  s.passed = found.passed;
  if (n > 0) {
    double cost = 0;
    double neighbours = 0;
    for (int k = 0; k < n; ++k) {
      cost += pairs[k].cost;
      neighbours += pairs[k].neighbours;
    }
    s.meanCost = cost / n;
    s.meanNeighbours = neighbours / n;
    s.crowding = found.crowdingSum / n;
  }
  s.pairedShare = found.examined ? double(found.count) / found.examined : 0.0;
  s.angleConsistency = geometry.angleConsistency;
  s.distanceConsistency = geometry.distanceConsistency;
  s.meanRotation = geometry.meanRotation;
  s.rotationSpread = geometry.rotationSpread;
  s.leastSquaresRotation = geometry.leastSquaresRotation;
  return s;
}

}  // namespace

MatchList& ScannedWorkingList() { return g_scannedList; }
MatchList& SearchedWorkingList() { return g_searchedList; }

int MatchFeatureSets(const MatchList& scanned, MatchList& searched, const MatchOptions& options) {
  if (scanned.count <= 0 || searched.count <= 0) return -1;
  PairSearchResult& found = g_found;
  FindPairs(scanned, searched, found);
  MinutiaPair unique[kMaxPairs];
  for (int k = 0; k < found.count; ++k) unique[k] = found.pairs[k];
  const int n = DeduplicatePairs(unique, found.count);

  PairPoint points[kMaxPairs];
  rankedPoints(scanned, searched, unique, n, points);
  PairGeometry geometry;
  MeasurePairGeometry(points, n, TranslationRule::TruncatedMeans, geometry);

  MatchSummary summary = summarise(found, unique, n, geometry);
  const int decision = DecideMatch(summary, options);
  StoreMatchResults(MatchResults{
      n, float(summary.meanCost),
      float(1.5 * summary.pairedShare * summary.angleConsistency * summary.distanceConsistency), geometry.dx,
      geometry.dy, float(summary.angleConsistency), float(summary.distanceConsistency), decision});
  return decision == kMatchAccepted ? n : 0;
}

int MatchFeatureSets(const tagFDATA* scanned, const tagFDATA* searched, const MatchOptions& options) {
  if (!scanned || !searched || scanned->count == 0 || searched->count == 0) return -1;
  PrepareMatchList(*scanned, g_scannedList);
  PrepareMatchList(*searched, g_searchedList);
  return MatchFeatureSets(g_scannedList, g_searchedList, options);
}

}  // namespace ridgecore
