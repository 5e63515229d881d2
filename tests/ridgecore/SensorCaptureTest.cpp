// VD_Enroll and VD_Compare through libRidgecore.so, capturing through
// libRidgeport.so from a simulated sensor in this process: slot fills,
// refusals, and a finger enrolled and then identified.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "api/RetryPicture.h"
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

TEST_F(SensorCapture, AnUnmovedSecondImpressionIsRefusedWithTheRetryPicture) {
  ASSERT_TRUE(sim_.setFinger(0, finger(3)));
  ExportCall call;
  ASSERT_EQ(lib().VD_Enroll(0, t(), preview.data(), call.message, &call.error), 1) << call.text();
  EXPECT_EQ(lib().VD_Enroll(1, t(), preview.data(), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -10);
  EXPECT_EQ(call.text(), "(VD_Enroll) No sufficient offset in image. Please lift your finger and try again!");
  EXPECT_EQ(templ[3592], 1);
  EXPECT_EQ(templ[3593], 0);
  std::vector<uint8_t> expected(10000, 128);
  for (int i = 0; i < 100; ++i) expected[i * 100 + i] = 0;
  for (int r = 0; r < 28; ++r) std::memcpy(&expected[(35 + r) * 100 + 16], ridgecore::api::retryPicture() + r * 68, 68);
  EXPECT_EQ(preview, expected);
}

// A finger enrolled from three impressions, lifted between them, as the
// program enrolls; then found among several enrolled fingers.
class SensorEnrollment : public SensorCapture {
 protected:
  struct Impressions {
    const char* set;
    int finger;  // 101..110
    int slots[3];
  };

  static GreyImage impression(const char* set, int finger, int number) {
    const std::string name = std::to_string(finger) + "_" + std::to_string(number) + ".pgm";
    for (const RealImage& image : realImages(set)) {
      if (image.name == name) {
        GreyImage grey(300, 300);
        grey.pixels = sensorImage(image);
        return grey;
      }
    }
    ADD_FAILURE() << "no image " << set << "/" << name;
    return GreyImage(300, 300);
  }

  // User records of the data file: the template at offset 52 of 3656 bytes.
  void enroll(const Impressions& who) {
    std::vector<uint8_t> e(sizeof(tagENROLL), 0);
    for (int slot = 0; slot < 3; ++slot) {
      ASSERT_TRUE(sim_.setFinger(0, impression(who.set, who.finger, who.slots[slot])));
      ExportCall call;
      ASSERT_EQ(
          lib().VD_Enroll(slot, reinterpret_cast<tagENROLL*>(e.data()), preview.data(), call.message, &call.error), 1)
          << who.set << " " << who.finger << " slot " << slot << ": " << call.text();
      ASSERT_TRUE(sim_.liftFinger(0));
    }
    users_.resize(users_.size() + 3656, 0);
    std::memcpy(users_.data() + users_.size() - 3656 + 52, e.data(), e.size());
  }

  struct Found {
    int result, error, index, score;
  };
  Found compare(const char* set, int finger, int number) {
    EXPECT_TRUE(sim_.setFinger(0, impression(set, finger, number)));
    Found f{0, 0, 7, 7};
    ExportCall call;
    f.result = lib().VD_Compare(users_.data(), int(users_.size() / 3656), 3656, 52, preview.data(), &f.index, &f.score,
                                call.message, &call.error);
    f.error = call.error;
    return f;
  }

  std::vector<uint8_t> users_;
};

TEST_F(SensorEnrollment, AnEnrolledFingerIsIdentifiedAmongOthers) {
  enroll({"fvc2002_db1_b", 106, {1, 2, 7}});
  enroll({"fvc2002_db1_b", 108, {1, 8, 2}});
  enroll({"fvc2002_db1_b", 107, {1, 2, 3}});
  ASSERT_FALSE(HasFatalFailure());
  const tagENROLL& last = *reinterpret_cast<const tagENROLL*>(users_.data() + 2 * 3656 + 52);
  EXPECT_EQ(last.type, 1);
  EXPECT_EQ(last.magic, 0xDA);

  const Found found = compare("fvc2002_db1_b", 107, 4);
  EXPECT_EQ(found.result, 1);
  EXPECT_EQ(found.error, 0);
  EXPECT_EQ(found.index, 2);
  EXPECT_EQ(found.score, 100);

  const Found stranger = compare("fvc2002_db1_b", 101, 1);
  EXPECT_EQ(stranger.result, 1);
  EXPECT_EQ(stranger.error, -9);
  EXPECT_EQ(stranger.index, -1);
  EXPECT_EQ(stranger.score, 0);
}

}  // namespace
