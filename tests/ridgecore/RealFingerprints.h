#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The real fingerprint images beside the repository (../shared/data/fingerprints).
namespace ridgecoretest {

struct RealImage {
  std::string set;   // fvc2000_db1_b, ...
  std::string name;  // 101_1.pgm
  std::string path;
};

std::vector<RealImage> realImages(const std::string& set = "");

// The image as the sensor delivers it (the sample sets have dark ridges: inverted).
std::vector<uint8_t> sensorImage(const RealImage& image);
// The image as stored in the sample set.
std::vector<uint8_t> storedImage(const RealImage& image);

}  // namespace ridgecoretest
