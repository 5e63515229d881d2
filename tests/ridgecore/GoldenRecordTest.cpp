// The extraction of every real image, byte for byte, against the records
// kept in data/: guards every change meant to make it faster. After a change
// that is meant to alter results, rewrite them with
//   RIDGECORE_WRITE_GOLDEN=1 build/tests/ridgecore/ridgecore_extraction_tests --gtest_filter='Golden*'
// and say why in the commit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "extract/ExtractFeatures.h"
#include "extract/Geometry.h"
#include "tests/ridgecore/RealFingerprints.h"

using namespace ridgecore;
using namespace ridgecoretest;

namespace {

uint64_t fnv1a(const uint8_t* data, size_t size) {
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
  return h;
}

// Digests of the final direction field and of the skeleton, so that stages
// whose effect does not reach the record are guarded too.
class Digests : public ExtractionObserver {
 public:
  void stageFinished(ExtractionStage stage, const uint8_t* pixels, const BlockMaps& maps) override {
    if (stage == ExtractionStage::Thinned) {
      skeleton = fnv1a(pixels, kImagePixels);
      directions = fnv1a(maps.directions, kGridBlocks);
    }
  }
  uint64_t skeleton = 0, directions = 0;
};

std::string describe(const RealImage& image, bool sensorPolarity) {
  const std::vector<uint8_t> pixels = sensorPolarity ? sensorImage(image) : storedImage(image);
  tagFDATA record{};
  char message[256] = "";
  Digests digests;
  const int result = extractFeatures(pixels.data(), record, message, &digests);
  std::ostringstream line;
  line << image.name << ' ' << result << ' ' << int(record.count) << ' ';
  char hex[8];
  for (int k = 0; k < record.count; ++k) {
    std::snprintf(hex, sizeof hex, "%02x%02x%02x", record.minutiae[k].x, record.minutiae[k].y,
                  record.minutiae[k].typeDir);
    line << hex;
  }
  if (record.count == 0) line << '-';
  line << std::hex << ' ' << digests.directions << ' ' << digests.skeleton;
  return line.str();
}

struct GoldenCase {
  const char* set;
  bool sensorPolarity;
};

void PrintTo(const GoldenCase& c, std::ostream* out) { *out << c.set << (c.sensorPolarity ? " sensor" : " stored"); }

class GoldenRecords : public ::testing::TestWithParam<GoldenCase> {
 protected:
  std::string file() const {
    return std::string(RIDGECORE_GOLDEN_DIR) + "/" + GetParam().set +
           (GetParam().sensorPolarity ? "-sensor.txt" : "-stored.txt");
  }
};

TEST_P(GoldenRecords, MatchEveryImageByteForByte) {
  const std::vector<RealImage> images = realImages(GetParam().set);
  ASSERT_EQ(images.size(), 80u) << "the sample set is incomplete";
  if (std::getenv("RIDGECORE_WRITE_GOLDEN")) {
    std::ofstream out(file());
    for (const RealImage& image : images) out << describe(image, GetParam().sensorPolarity) << '\n';
    ASSERT_TRUE(out.good()) << "cannot write " << file();
    GTEST_SKIP() << "wrote " << file();
  }
  std::ifstream in(file());
  ASSERT_TRUE(in) << "no golden records in " << file();
  std::map<std::string, std::string> golden;
  for (std::string line; std::getline(in, line);) golden[line.substr(0, line.find(' '))] = line;
  for (const RealImage& image : images) {
    EXPECT_EQ(describe(image, GetParam().sensorPolarity), golden[image.name]);
  }
}

INSTANTIATE_TEST_SUITE_P(RealImages, GoldenRecords,
                         ::testing::Values(GoldenCase{"fvc2000_db1_b", true}, GoldenCase{"fvc2000_db1_b", false},
                                           GoldenCase{"fvc2002_db1_b", true}, GoldenCase{"fvc2002_db1_b", false}),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                           return std::string(info.param.set).substr(0, 7) +
                                  (info.param.sensorPolarity ? "Sensor" : "Stored");
                         });

}  // namespace

namespace {

// The direction field as it stands when the record is written.
class FinalDirections : public ExtractionObserver {
 public:
  void stageFinished(ExtractionStage stage, const uint8_t*, const BlockMaps& maps) override {
    if (stage == ExtractionStage::RecordWritten) std::copy(maps.directions, maps.directions + kGridBlocks, field);
  }
  uint8_t field[kGridBlocks];
};

TEST(StructureGate, NoMinutiaLiesInABlockTheStructureCheckRejected) {
  ExtractionOptions gated;
  gated.structureGate = true;
  int changed = 0;
  for (const RealImage& image : realImages("fvc2002_db1_b")) {
    SCOPED_TRACE(image.name);
    const std::vector<uint8_t> pixels = sensorImage(image);
    tagFDATA plain{}, record{};
    FinalDirections directions;
    if (extractFeatures(pixels.data(), plain, nullptr) != kExtracted) continue;
    ASSERT_EQ(extractFeatures(pixels.data(), record, nullptr, &directions, gated), kExtracted);
    for (int k = 0; k < record.count; ++k) {
      const int block = blockOfPixel(record.minutiae[k].y * 2 * kImageSide + record.minutiae[k].x * 2);
      EXPECT_NE(directions.field[block], kNoDirection) << "minutia " << k;
    }
    changed += std::memcmp(&plain, &record, sizeof plain) != 0;
  }
  EXPECT_GT(changed, 0) << "the gate changed no record";
}

}  // namespace
