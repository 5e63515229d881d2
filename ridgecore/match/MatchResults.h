#pragma once

namespace ridgecore {

// What the last comparison of the library left behind. Zero from the moment
// the library is loaded (static storage, no constructor), so that a reader
// before any comparison sees a translation of 0, 0. Overwritten by every
// comparison that ran on two lists with minutiae; a comparison that returned
// -1 leaves it as it was.
struct MatchResults {
  int pairs;       // N, unique pairs (also when the decision rejected)
  float meanCost;  // Q
  float quality;   // 1.5 x paired share x Ca x Cd
  int dx;          // translation, searched minus scanned, pixels
  int dy;
  float angleConsistency;     // Ca as the decision used it
  float distanceConsistency;  // Cd as the decision used it
  int decision;               // 1 accepted, else the rejecting rule's code
};

const MatchResults& LastMatchResults();

// Only the matcher writes the results.
void StoreMatchResults(const MatchResults& results);

}  // namespace ridgecore
