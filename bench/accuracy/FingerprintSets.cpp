#include "bench/accuracy/FingerprintSets.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "tools/GreyImageFile.h"

namespace accuracy {
namespace {

struct FileName {
  std::string finger;
  int impression = 0;
};

// "101_3.pgm" -> finger "101", impression 3; a name without "_N" is impression 0.
FileName parse(const std::string& stem) {
  const size_t cut = stem.rfind('_');
  if (cut == std::string::npos || cut + 1 == stem.size()) return {stem, 0};
  const std::string number = stem.substr(cut + 1);
  if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) return {stem, 0};
  return {stem.substr(0, cut), std::stoi(number)};
}

}  // namespace

const char* polarityName(Polarity polarity) { return polarity == Polarity::Sensor ? "sensor" : "stored"; }

std::vector<FingerprintSet> loadSets(const std::string& folder, Polarity polarity) {
  std::vector<std::string> folders;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_directory()) folders.push_back(entry.path().string());
  }
  std::sort(folders.begin(), folders.end());
  std::vector<FingerprintSet> sets;
  for (const std::string& path : folders) {
    std::map<std::string, std::map<int, std::string>> files;
    for (const std::string& file : ridgecore::tools::listImages(path)) {
      const FileName n = parse(std::filesystem::path(file).stem().string());
      files[n.finger][n.impression] = file;
    }
    if (files.empty()) continue;
    FingerprintSet set{std::filesystem::path(path).filename().string(), {}};
    for (const auto& [finger, impressions] : files) {
      Finger f{finger, {}, {}};
      for (const auto& [number, file] : impressions) {
        Image image;
        std::string error;
        if (!ridgecore::tools::readGreyImage(file, image, error)) throw std::runtime_error(error);
        if (polarity == Polarity::Sensor) ridgecore::tools::invertImage(image);
        f.impressionNames.push_back(std::filesystem::path(file).filename().string());
        f.impressions.push_back(std::move(image));
      }
      set.fingers.push_back(std::move(f));
    }
    sets.push_back(std::move(set));
  }
  return sets;
}

}  // namespace accuracy
