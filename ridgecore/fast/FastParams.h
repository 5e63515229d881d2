#pragma once

// The one fixed parameter set of the fast matcher (record units for
// distances, 2 pi / 128 units for angles), and the translation of the last
// consistency check, which the fast enrollment rule reads.
namespace ridgecore {

struct FastParams {
  int window = 100;              // |xa - xb| of the sweep
  int yTolerance = 100;          // |ya - yb|
  int directionTolerance = 16;   // |da - db| <= 16 or >= 128 - 16
  int distanceTolerance = 3;     // between neighbour distances ...
  int farDistanceTolerance = 4;  // ... when the scanned neighbour lies further out than farFrom
  int farFrom = 40;
  int angleTolerance = 7;     // relative direction and orientation: <= 7 or >= 128 - 7
  int neededNeighbours = 11;  // more than this many (one fewer when the angle sum is low)
  int lowAngleSum = 65;       // below: one neighbour fewer needed
  int angleSumLimit = 78;     // an accepted pair stays below
  int leastNeighbours = 6;    // both minutiae of a pair hold at least this many neighbours
  int leastPairs = 5;         // fewer pairs reject the comparison
  int leastForExtension = 6;  // stage result from which unpaired minutiae are tried
  int quickLengthLimit = 15;  // quick check: per step, in record units
  int quickTurnLimit = 24;
  double consistencyFloor = 0.79;  // |Ca| and |Cd|
  double rotationLimit = 0.65;     // radians, mean and least-squares rotation
  double rotationDisagreement = 0.84;
  double rotationSpreadLimit = 0.38;
  double radiansPerDirection = 0.04908738521234052;
};

// The parameter set, the same for every comparison.
const FastParams& fastParams();

// The translation (dx, dy) in pixels of the last fast comparison that reached
// its consistency check; 0, 0 before any did.
struct FastTranslation {
  int dx;
  int dy;
};
FastTranslation LastFastTranslation();
void StoreFastTranslation(FastTranslation translation);

}  // namespace ridgecore
