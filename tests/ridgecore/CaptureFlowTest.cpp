// VD_Enroll and VD_Compare as the library runs them, with the two sensor
// functions handed in through the capture seam (the library binds Ridgeport's).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "api/SensorFlows.h"
#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RealFingerprints.h"

using namespace ridgecore::api;
using namespace ridgecoretest;

namespace {

// What the sensor delivers in a test: an image or a failure, and whether a finger lies on it.
struct Sensor {
  std::vector<uint8_t> image = std::vector<uint8_t>(90000, 0);
  int captureResult = 1;
  int captureError = 0;
  const char* captureMessage = "Veradynics";
  int present = 1;
  int captures = 0;
};
Sensor g_sensor;

int getWholeImage(unsigned char* image, char* message, int* error) {
  ++g_sensor.captures;
  std::strcpy(message, g_sensor.captureMessage);
  *error = g_sensor.captureError;
  if (g_sensor.captureResult) std::memcpy(image, g_sensor.image.data(), 90000);
  return g_sensor.captureResult;
}

int detectWholeFinger(const unsigned char*, int* present, char* message, int* error) {
  std::strcpy(message, "Veradynics");
  *error = 0;
  *present = g_sensor.present;
  return 1;
}

const CaptureDevice kDevice{getWholeImage, detectWholeFinger};

class CaptureFlow : public ::testing::Test {
 protected:
  CaptureFlow() {
    g_sensor = Sensor();
    g_sensor.image = sensorImage(realImages("fvc2002_db1_b").at(3));
  }
  std::vector<uint8_t> templ = std::vector<uint8_t>(sizeof(tagENROLL), 0);
  tagENROLL* t() { return reinterpret_cast<tagENROLL*>(templ.data()); }
  std::vector<uint8_t> preview = std::vector<uint8_t>(10000, 7);
  ExportCall call;
};

TEST_F(CaptureFlow, EnrollFillsTheSlotStraightFromTheSensor) {
  std::memset(&t()->slot[1], 0x5C, sizeof(tagFDATA));
  ASSERT_EQ(enrollFromSensor(kDevice, 1, t(), preview.data(), call.message, &call.error), 1) << call.text();
  EXPECT_EQ(call.text(), "Veradynics");
  EXPECT_EQ(templ[3593], 1);
  const tagFDATA& slot = t()->slot[1];
  EXPECT_GT(slot.count, 0);
  EXPECT_EQ(slot.filler[0], 0x5C) << "no filler from the image";
  EXPECT_EQ(slot.mark[0], 0x5C) << "no mark";
  for (int r = 0; r < 100; ++r) {
    ASSERT_EQ(std::memcmp(&preview[r * 100], &g_sensor.image[(100 + r) * 300 + 100], 100), 0) << "preview row " << r;
  }
}

TEST_F(CaptureFlow, SensorFailuresPassThroughUnchanged) {
  g_sensor.captureResult = 0;
  g_sensor.captureError = -2051;
  g_sensor.captureMessage = "a sensor library text";
  EXPECT_EQ(enrollFromSensor(kDevice, 0, t(), preview.data(), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -2051);
  EXPECT_EQ(call.text(), "a sensor library text");
  EXPECT_EQ(templ, std::vector<uint8_t>(sizeof(tagENROLL), 0));
  EXPECT_EQ(preview, std::vector<uint8_t>(10000, 7));
}

TEST_F(CaptureFlow, NoFingerOnTheSensor) {
  g_sensor.present = 0;
  EXPECT_EQ(enrollFromSensor(kDevice, 0, t(), preview.data(), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -7);
  EXPECT_EQ(call.text(), "(VD_Enroll) Please input your fingerprint!");
  int index, score;
  std::vector<uint8_t> buffer(3656);
  EXPECT_EQ(
      compareFromSensor(kDevice, buffer.data(), 1, 3656, 52, preview.data(), &index, &score, call.message, &call.error),
      0);
  EXPECT_EQ(call.text(), "(VD_Compare) Please input your fingerprint!");
}

TEST_F(CaptureFlow, ANullPreviewIsRefusedAfterTheCapture) {
  EXPECT_EQ(enrollFromSensor(kDevice, 0, t(), nullptr, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -1);
  EXPECT_EQ(call.text(), "(WSHS) Wrong param : pImage is NULL.");
  EXPECT_EQ(g_sensor.captures, 1);
  EXPECT_EQ(templ[3592], 0);
}

TEST_F(CaptureFlow, APoorCaptureIsReportedWithTheExportsTag) {
  g_sensor.image.assign(90000, 128);
  EXPECT_EQ(enrollFromSensor(kDevice, 2, t(), preview.data(), call.message, &call.error), 0);
  EXPECT_EQ(call.error, -12);
  EXPECT_EQ(call.text(), "(VD_Enroll) The quality of fingerprint image is not good!");
  EXPECT_EQ(templ[3594], 0);
}

TEST_F(CaptureFlow, EnrollChecksItsParametersBeforeCapturing) {
  EXPECT_EQ(enrollFromSensor(kDevice, 3, t(), preview.data(), call.message, &call.error), 0);
  EXPECT_EQ(call.text(), "(VD_Enroll) Wrong param :  0 <= iSelection <= 2");
  templ[3600] = 1;
  EXPECT_EQ(enrollFromSensor(kDevice, 0, t(), preview.data(), call.message, &call.error), 0);
  EXPECT_EQ(call.text(), "(VD_Enroll) Wrong param : ENROLL structure should be initialized by 0 value");
  EXPECT_EQ(g_sensor.captures, 0);
}

TEST_F(CaptureFlow, CompareRefusesTooManyUsersBeforeTouchingTheSensor) {
  int index = 5, score = 5;
  std::vector<uint8_t> buffer(3656 * 61);
  EXPECT_EQ(compareFromSensor(kDevice, buffer.data(), 61, 3656, 52, preview.data(), &index, &score, call.message,
                              &call.error),
            0);
  EXPECT_EQ(call.error, -6);
  EXPECT_EQ(call.text(), "Lite-SDK support maximum 60 users. Please use Summit-SDK");
  EXPECT_EQ(compareFromSensor(kDevice, buffer.data(), -1, 3656, 52, preview.data(), &index, &score, call.message,
                              &call.error),
            0);
  EXPECT_EQ(call.text(), "(VD_Compare) Wrong Param : 0 <= iUserCount <= 32767");
  EXPECT_EQ(index, -1);
  EXPECT_EQ(score, 0);
  EXPECT_EQ(g_sensor.captures, 0);
}

TEST_F(CaptureFlow, CompareCapturesThenSearches) {
  int index = 5, score = 5;
  std::vector<uint8_t> buffer(3656 * 2);
  EXPECT_EQ(
      compareFromSensor(kDevice, buffer.data(), 2, 3656, 52, preview.data(), &index, &score, call.message, &call.error),
      0);
  EXPECT_EQ(call.error, -8);
  EXPECT_EQ(call.text(), "(VD_Compare) There is an error in ENROLL data.");
  EXPECT_EQ(g_sensor.captures, 1);
  EXPECT_EQ(preview[0], g_sensor.image[100 * 300 + 100]);
}

}  // namespace
