#include "match/CandidateAcceptance.h"

#include <algorithm>

#include "match/LocalComparison.h"
#include "match/MatchParams.h"

namespace ridgecore {
namespace {

double share(int pairs, int count) { return count > 0 ? double(pairs) / count : 0.0; }

// How well a neighbour pair's own neighbourhoods agree: the better of the
// two shares of its paired neighbours.
double neighbourAgreement(const MatchList& scanned, int a, const MatchList& searched, int b) {
  const int pairs = CompareNeighbourhoods(scanned, a, searched, b).pairs;
  return std::max(share(pairs, scanned.minutiae[a].neighbourCount), share(pairs, searched.minutiae[b].neighbourCount));
}

}  // namespace

bool PassesShareRule(const MatchList& scanned, int s, const MatchList& searched, int t, const LocalMatch& local) {
  const MatchParams& p = matchParams();
  if (local.pairs < p.neighboursNeeded()) return false;
  const int smaller = std::min(scanned.minutiae[s].neighbourCount, searched.minutiae[t].neighbourCount);
  const double part = share(local.pairs, smaller);
  const double c = local.cost;
  // A cheaper match may pair a smaller part of the neighbourhood.
  const bool enough = part >= p.neighbourShare || (c <= 0.095 && part >= 0.205) || (c <= 0.2 && part >= 0.287) ||
                      (c <= 0.26 && part >= 0.328);
  return enough && c <= p.localCostLimit;
}

bool PassesSecondOrderCheck(const MatchList& scanned, int s, const MatchList& searched, int t,
                            const LocalMatch& local) {
  const MatchParams& p = matchParams();
  if (local.assigned == 0) return false;
  const MatchMinutia& ms = scanned.minutiae[s];
  const MatchMinutia& mt = searched.minutiae[t];
  double sum = 0;
  int weak = 0;
  for (int k = 0; k < local.assigned; ++k) {
    const int a = ms.neighbours[local.scannedNeighbour[k]].index;
    const int b = mt.neighbours[local.searchedNeighbour[k]].index;
    const double agreement = neighbourAgreement(scanned, a, searched, b);
    sum += agreement;
    if (agreement < p.weakNeighbourScore) ++weak;
  }
  return sum / local.assigned >= p.secondOrderFloor && double(weak) / local.assigned <= p.weakNeighbourShare;
}

bool AcceptCandidate(const MatchList& scanned, int s, const MatchList& searched, int t, const LocalMatch& local) {
  return PassesShareRule(scanned, s, searched, t, local) && PassesSecondOrderCheck(scanned, s, searched, t, local);
}

}  // namespace ridgecore
