#include "bench/ridgecore/BenchImages.h"

#include <filesystem>
#include <stdexcept>

#include "extract/ExtractFeatures.h"
#include "tools/GreyImageFile.h"

namespace ridgecorebench {

const std::vector<BenchImage>& realImages() {
  static const std::vector<BenchImage> images = [] {
    std::vector<BenchImage> loaded;
    for (const char* set : {"fvc2000_db1_b", "fvc2002_db1_b"}) {
      for (const std::string& path : ridgecore::tools::listImages(std::string(LOCKMERE_FINGERPRINTS_DIR) + "/" + set)) {
        BenchImage image{std::string(set) + "/" + std::filesystem::path(path).filename().string(), {}};
        std::string error;
        if (!ridgecore::tools::readGreyImage(path, image.pixels, error)) throw std::runtime_error(error);
        ridgecore::tools::invertImage(image.pixels);
        loaded.push_back(std::move(image));
      }
    }
    if (loaded.empty()) throw std::runtime_error("no fingerprint images in " LOCKMERE_FINGERPRINTS_DIR);
    return loaded;
  }();
  return images;
}

const std::vector<BenchImage>& extractableImages() {
  static const std::vector<BenchImage> images = [] {
    std::vector<BenchImage> kept;
    for (const BenchImage& image : realImages()) {
      tagFDATA record{};
      if (ridgecore::extractFeatures(image.pixels.data(), record, nullptr) == ridgecore::kExtracted) {
        kept.push_back(image);
      }
    }
    return kept;
  }();
  return images;
}

}  // namespace ridgecorebench
