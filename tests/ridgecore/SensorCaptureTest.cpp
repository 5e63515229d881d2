// VD_Enroll and VD_Compare through libRidgecore.so, capturing through
// libRidgeport.so from a simulated sensor in this process.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ridgeport.h"
#include "ridgeport/sim/SensorSimulator.h"
#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RealFingerprints.h"
#include "tests/ridgecore/RidgecoreLibrary.h"

using namespace ridgecoretest;
using ridgeport::sim::GreyImage;

namespace {

GreyImage finger(int index) {
  GreyImage image(300, 300);
  image.pixels = sensorImage(realImages("fvc2002_db1_b").at(index));
  return image;
}

class SensorCapture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim_.ok()) << sim_.error();
    ridgeport::sim::DeviceConfig device;
    device.number = 0;
    ASSERT_TRUE(sim_.plug(device));
    ExportCall call;
    ASSERT_EQ(VD_OpenSensor(call.message, &call.error), 1) << call.text();
  }
  void TearDown() override {
    ExportCall call;
    VD_CloseSensor(call.message, &call.error);
  }

  ridgeport::sim::SensorSimulator sim_;
  std::vector<uint8_t> templ = std::vector<uint8_t>(sizeof(tagENROLL), 0);
  tagENROLL* t() { return reinterpret_cast<tagENROLL*>(templ.data()); }
  std::vector<uint8_t> preview = std::vector<uint8_t>(10000, 7);
};

TEST_F(SensorCapture, EnrollFillsASlotAndShowsThePreviewWindow) {
  ASSERT_TRUE(sim_.setFinger(0, finger(3)));
  ExportCall call;
  ASSERT_EQ(lib().VD_Enroll(1, t(), preview.data(), call.message, &call.error), 1) << call.text();
  EXPECT_EQ(call.text(), "Veradynics");
  EXPECT_EQ(templ[3593], 1);
  EXPECT_GT(t()->slot[1].count, 0);

  std::vector<uint8_t> image(90000);
  ASSERT_EQ(VD_GetWholeImage(image.data(), call.message, &call.error), 1) << call.text();
  for (int r = 0; r < 100; ++r) {
    ASSERT_EQ(std::memcmp(&preview[r * 100], &image[(100 + r) * 300 + 100], 100), 0) << "preview row " << r;
  }
  tagFDATA extracted;
  ASSERT_EQ(lib().VD_ExtractFData(image.data(), &extracted, call.message, &call.error), 1);
  const tagFDATA& slot = t()->slot[1];
  ASSERT_EQ(slot.count, extracted.count) << "the slot holds the minutiae of the captured image";
  for (int k = 0; k < slot.count; ++k) {
    EXPECT_EQ(std::memcmp(&slot.minutiae[k], &extracted.minutiae[k], 3), 0) << "minutia " << k;
    for (uint8_t b : slot.minutiae[k].reserved) ASSERT_EQ(b, 0) << "no filler in a captured slot";
  }
}

TEST_F(SensorCapture, NoFingerOnTheSensor) {
  ExportCall call;
  EXPECT_EQ(lib().VD_Enroll(0, t(), preview.data(), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -7);
  EXPECT_EQ(call.text(), "(VD_Enroll) Please input your fingerprint!");
  EXPECT_EQ(templ[3592], 0);
  int index = 3, score = 3;
  std::vector<uint8_t> buffer(3656);
  EXPECT_EQ(lib().VD_Compare(buffer.data(), 1, 3656, 52, preview.data(), &index, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -7);
  EXPECT_EQ(call.text(), "(VD_Compare) Please input your fingerprint!");
}

TEST_F(SensorCapture, SensorLibraryFailuresPassThrough) {
  ExportCall call;
  VD_CloseSensor(call.message, &call.error);
  char expected[256];
  int expectedError = 0;
  std::vector<uint8_t> image(90000);
  ASSERT_EQ(VD_GetWholeImage(image.data(), expected, &expectedError), 0);
  EXPECT_EQ(lib().VD_Enroll(0, t(), preview.data(), call.message, &call.error), 0);
  EXPECT_EQ(call.error, expectedError);
  EXPECT_EQ(call.text(), expected);
  EXPECT_EQ(templ, std::vector<uint8_t>(sizeof(tagENROLL), 0));
}

TEST_F(SensorCapture, CompareCapturesThenNeedsTheSearch) {
  // Until the matcher is wired in (api/MatcherBridge.cpp).
  ASSERT_TRUE(sim_.setFinger(0, finger(2)));
  int index = 3, score = 3;
  std::vector<uint8_t> buffer(3656, 0);
  ExportCall call;
  EXPECT_EQ(lib().VD_Compare(buffer.data(), 1, 3656, 52, preview.data(), &index, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -100);
  EXPECT_EQ(call.text(), "(VD_Compare) Not available: this build has no matcher yet.");
  EXPECT_NE(preview, std::vector<uint8_t>(10000, 7)) << "the preview is shown before the search";
}

}  // namespace
