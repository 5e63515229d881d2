#include "match/CandidateAcceptance.h"

#include <algorithm>

#include "match/MatchParams.h"

namespace ridgecore {
namespace {

double share(int pairs, int count) { return count > 0 ? double(pairs) / count : 0.0; }

// How well a neighbour pair's own neighbourhoods agree: the better of the
// two shares of its paired neighbours.
double neighbourAgreement(LocalMatchCache& matches, int a, int b) {
  const int pairs = matches.match(a, b).pairs;
  return std::max(share(pairs, matches.scanned().minutiae[a].neighbourCount),
                  share(pairs, matches.searched().minutiae[b].neighbourCount));
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

bool PassesSecondOrderCheck(LocalMatchCache& matches, int s, int t) {
  const MatchParams& p = matchParams();
  const LocalMatch& local = matches.match(s, t);
  if (local.assigned == 0) return false;
  const MatchMinutia& ms = matches.scanned().minutiae[s];
  const MatchMinutia& mt = matches.searched().minutiae[t];
  double sum = 0;
  int weak = 0;
  for (int k = 0; k < local.assigned; ++k) {
    const int a = ms.neighbours[local.scannedNeighbour[k]].index;
    const int b = mt.neighbours[local.searchedNeighbour[k]].index;
    const double agreement = neighbourAgreement(matches, a, b);
    sum += agreement;
    if (agreement < p.weakNeighbourScore) ++weak;
  }
  return sum / local.assigned >= p.secondOrderFloor && double(weak) / local.assigned <= p.weakNeighbourShare;
}

bool AcceptCandidate(LocalMatchCache& matches, int s, int t) {
  return PassesShareRule(matches.scanned(), s, matches.searched(), t, matches.match(s, t)) &&
         PassesSecondOrderCheck(matches, s, t);
}

}  // namespace ridgecore
