#pragma once

#include <string>
#include <vector>

#include "bench/accuracy/MatcherFamily.h"

// The sample sets: one folder per set, files FFF_I.pgm (finger FFF,
// impression I), 300 x 300 grey images with dark ridges.
namespace accuracy {

enum class Polarity { Sensor, Stored };  // ridges bright (inverted), or as in the files

const char* polarityName(Polarity polarity);

struct Finger {
  std::string name;
  std::vector<std::string> impressionNames;  // by impression number
  std::vector<Image> impressions;
};

struct FingerprintSet {
  std::string name;
  std::vector<Finger> fingers;  // by name
};

// The sets under `folder` (each subfolder with images), sorted by name.
// Throws std::runtime_error with a reason when an image cannot be read.
std::vector<FingerprintSet> loadSets(const std::string& folder, Polarity polarity);

}  // namespace accuracy
