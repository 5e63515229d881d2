#include "tests/ridgecore/RealFingerprints.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "tests/support/TestEnv.h"
#include "tools/GreyImageFile.h"

namespace ridgecoretest {

std::vector<RealImage> realImages(const std::string& set) {
  std::vector<RealImage> images;
  std::vector<std::string> sets;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(testenv::fingerprintsDir(), ec)) {
    if (entry.is_directory()) sets.push_back(entry.path().filename().string());
  }
  std::sort(sets.begin(), sets.end());
  for (const std::string& s : sets) {
    if (!set.empty() && s != set) continue;
    for (const std::string& path : ridgecore::tools::listImages(testenv::fingerprintsDir() + "/" + s)) {
      images.push_back({s, std::filesystem::path(path).filename().string(), path});
    }
  }
  return images;
}

std::vector<uint8_t> storedImage(const RealImage& image) {
  std::vector<uint8_t> pixels;
  std::string error;
  if (!ridgecore::tools::readGreyImage(image.path, pixels, error)) throw std::runtime_error(error);
  return pixels;
}

std::vector<uint8_t> sensorImage(const RealImage& image) {
  std::vector<uint8_t> pixels = storedImage(image);
  ridgecore::tools::invertImage(pixels);
  return pixels;
}

}  // namespace ridgecoretest
