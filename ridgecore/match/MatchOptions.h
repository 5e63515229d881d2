#pragma once

namespace ridgecore {

// How the decision measures the disagreement L of the two rotation estimates.
// A pair's rotation is the scanned angle minus the searched one, while the
// least-squares rotation turns the scanned points onto the searched ones: for
// impressions turned by a, the first is about -a and the second about +a.
enum class RotationDisagreement {
  AsWritten,  // L = |mean - least squares|: about 2|a|, so rotated pairs of 4..9 pairs are refused. The default.
  SameSense,  // L = |mean + least squares|: both estimates in one sense, L near 0 for any rotation
};

// Choices of the matcher that a caller may make for an experiment; the
// default is the matcher the library ships.
struct MatchOptions {
  RotationDisagreement rotationDisagreement = RotationDisagreement::AsWritten;
};

}  // namespace ridgecore
