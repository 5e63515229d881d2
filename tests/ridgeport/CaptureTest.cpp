// Capture through the simulated device: failures, the reset check, the
// smoothing of revision 0x20, the correction's margins and how close the
// whole image comes to the finger given to the simulator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "ridgeport/OpticalGeometry.h"
#include "ridgeport/sim/FrameSynthesizer.h"
#include "tests/ridgeport/SensorFixture.h"

namespace ridgeport::test {
namespace {

using Traffic = std::vector<std::string>;

std::vector<std::uint8_t> patternFrame() {
  std::vector<std::uint8_t> frame(RIDGEPORT_RAW_SIZE);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 384; ++x) frame[y * 384 + x] = static_cast<std::uint8_t>((x * 7 + y * 13 + x * y) % 256);
  return frame;
}

// Mean absolute difference between the whole image and the finger over the
// pixels that the correction produces; *count = how many those are.
double meanDifference(const std::vector<unsigned char>& whole, const sim::GreyImage& finger, int* count) {
  double sum = 0;
  *count = 0;
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 300; ++x) {
      if (!optics::producesPixel(y, x + optics::kWholeLeft)) continue;
      sum += std::abs(int(whole[y * 300 + x]) - int(finger.at(x, y)));
      ++*count;
    }
  }
  return sum / *count;
}

TEST_F(SensorTest, ImageFunctionsWithoutAnOpenSensor) {
  std::vector<unsigned char> image;
  Call c = wholeImage(image);
  EXPECT_TRUE(failedWith(c, -1, "Sensor is not initalized. (2000-969)"));
  EXPECT_EQ(image[0], 0xEE);
  c = rawImage(image);
  EXPECT_TRUE(failedWith(c, -1, "Sensor is not initalized. (2000-969)"));
  c = previewImage(image);
  EXPECT_TRUE(failedWith(c, -2969, "Sensor is not initalized. (2000-969)"));
  EXPECT_EQ(image[0], 0xEE);
}

TEST_F(SensorTest, ShortFrameGives2051AndLeavesTheImageAlone) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  sim_.shortenFrames(0, 2, RIDGEPORT_RAW_SIZE - 1);
  std::vector<unsigned char> image;
  Call c = wholeImage(image);
  EXPECT_TRUE(failedWith(c, -2051, "Transfered data is not correct. (2000-051)"));
  EXPECT_EQ(image[0], 0xEE);
  c = previewImage(image);
  EXPECT_TRUE(failedWith(c, -2967, "Can not read fingerprint image. (2000-967)"));
  EXPECT_EQ(wholeImage(image).result, 1);  // the fault is over
}

TEST_F(SensorTest, FailedStartOfFrameGives2022) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  sim_.failControlRequests(0, 1, 0x51);
  sim_.clearRequests();
  std::vector<unsigned char> frame;
  Call c = rawImage(frame);
  EXPECT_EQ(c.error, -2022);
  EXPECT_EQ(trafficOf(0), (Traffic{"descriptor", "r 0x17", "start (failed)"}));
}

TEST_F(SensorTest, ResetSensorIsNoticedThroughRegister17AndReprogrammed) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  sim_.reset(0);
  ASSERT_EQ(sim_.registerValue(0, 0x17), 0);
  sim_.clearRequests();
  std::vector<unsigned char> image;
  Call c = wholeImage(image);
  EXPECT_EQ(c.result, 1);
  EXPECT_EQ(c.error, 0);
  auto t = trafficOf(0);
  ASSERT_GE(t.size(), 6u);
  EXPECT_EQ((Traffic(t.begin(), t.begin() + 5)), (Traffic{"descriptor", "r 0x17", "close", "open", "descriptor"}));
  EXPECT_EQ((Traffic(t.end() - 3, t.end())), (Traffic{"w 0x34=5", "start", "read 115200"}));
  EXPECT_EQ(sim_.registerValue(0, 0x17), 0x80);

  sim_.clearRequests();
  EXPECT_EQ(wholeImage(image).result, 1);  // programmed: no reopen this time
  EXPECT_EQ(trafficOf(0), (Traffic{"descriptor", "r 0x17", "start", "read 115200"}));
}

TEST_F(SensorTest, FailedReopenAfterAResetFailsWithTheOpensError) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  sim_.reset(0);
  sim_.failControlRequests(0, 1, 0x50);  // the first write of the new program fails
  std::vector<unsigned char> image;
  Call c = wholeImage(image);
  EXPECT_TRUE(failedWith(c, -2022, "Cannot transfer data. (2000-022)"));
  EXPECT_EQ(image[0], 0xEE);
  EXPECT_EQ(trafficOf(0).back(), "w 0x01=4 (failed)");  // no frame was asked for
  // The next request notices the reset again and this time programs it.
  EXPECT_EQ(wholeImage(image).result, 1);
}

TEST_F(SensorTest, UnpluggedSensorFailsUntilItIsClosedAndOpenedAgain) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  sim_.unplug(0);
  std::vector<unsigned char> image;
  Call c = wholeImage(image);
  EXPECT_EQ(c.result, 0);
  EXPECT_EQ(c.error, -2022);
  EXPECT_EQ(open().error, -2022);  // the open handle is re-checked, and it is dead

  plug(0);
  EXPECT_EQ(open().error, -2022);
  close();
  EXPECT_EQ(open().result, 1);
  EXPECT_EQ(wholeImage(image).result, 1);
}

TEST_F(SensorTest, RevisionTwentyFramesAreSmoothed) {
  plug(0, 0x20);
  ASSERT_EQ(open().result, 1);
  const auto p = patternFrame();
  sim_.setRawFrame(0, p);
  std::vector<unsigned char> f;
  ASSERT_EQ(rawImage(f).result, 1);
  auto at = [&](int y, int x) { return int(p[y * 384 + x]); };
  for (auto [y, x] : {std::pair{0, 0}, {0, 1}, {1, 0}, {57, 200}, {57, 201}, {298, 382}}) {
    const int a = at(y, x), b = at(y, x + 1), c = at(y + 1, x), d = at(y + 1, x + 1);
    const int want = (y + x) % 2 == 0 ? (a + d + ((b + c) >> 1)) / 3 : (b + c + ((a + d) >> 1)) / 3;
    EXPECT_EQ(f[y * 384 + x], want) << "row " << y << " column " << x;
  }
  // Row 299 and column 383 have no neighbours below or to the right: kept as read.
  for (int x = 0; x < 384; ++x) EXPECT_EQ(f[299 * 384 + x], p[299 * 384 + x]);
  for (int y = 0; y < 300; ++y) EXPECT_EQ(f[y * 384 + 383], p[y * 384 + 383]);
}

TEST_F(SensorTest, OtherRevisionsHandOutTheRawFrameUnchanged) {
  plug(0, 0x21);
  ASSERT_EQ(open().result, 1);
  sim_.setRawFrame(0, patternFrame());
  std::vector<unsigned char> f;
  ASSERT_EQ(rawImage(f).result, 1);
  EXPECT_EQ(f, patternFrame());
}

TEST_F(SensorTest, TopRowsOfTheWholeImageHaveDarkMarginsAndTheBottomRowsNone) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  sim_.setRawFrame(0, std::vector<std::uint8_t>(RIDGEPORT_RAW_SIZE, 200));
  std::vector<unsigned char> image;
  ASSERT_EQ(wholeImage(image).result, 1);
  auto margins = [&](int y) {
    int left = 0, right = 0;
    while (left < 300 && image[y * 300 + left] == 0) ++left;
    while (right < 300 && image[y * 300 + 299 - right] == 0) ++right;
    return std::pair{left, right};
  };
  auto [topLeft, topRight] = margins(0);
  EXPECT_GE(topLeft, 30);
  EXPECT_GE(topRight, 30);
  auto [bottomLeft, bottomRight] = margins(299);
  EXPECT_LE(bottomLeft, 1);
  EXPECT_LE(bottomRight, 1);
  int previous = topLeft + topRight;
  for (int y = 0; y < 300; ++y) {
    auto [l, r] = margins(y);
    EXPECT_LE(l + r, previous) << "row " << y;  // the margins narrow downwards
    previous = l + r;
    for (int x = l; x < 300 - r; ++x) ASSERT_GE(image[y * 300 + x], 199) << "row " << y << " column " << x;
  }
}

TEST_F(SensorTest, WholeImageGivesBackTheFingerLaidOnTheSensor) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  struct Sample {
    const char* set;
    const char* name;
    double limit;
  };
  for (const Sample& s : {Sample{"fvc2000_db1_b", "101_1", 0.5}, Sample{"fvc2000_db1_b", "107_4", 0.5},
                          Sample{"fvc2002_db1_b", "103_2", 2.5}}) {
    const auto finger = sampleFinger(s.set, s.name);
    ASSERT_TRUE(sim_.setFinger(0, finger));
    std::vector<unsigned char> image;
    ASSERT_EQ(wholeImage(image).result, 1);
    int count = 0;
    const double mad = meanDifference(image, finger, &count);
    RecordProperty(std::string(s.set) + "_" + s.name, std::to_string(mad));
    std::printf("%s/%s: mean absolute difference %.3f over %d pixels\n", s.set, s.name, mad, count);
    EXPECT_LT(mad, s.limit) << s.set << "/" << s.name;
    EXPECT_GT(count, 78000);  // the area the correction keeps: about 88 % of the image
  }
}

TEST_F(SensorTest, PreviewIsTheCentreWindowOfTheCorrectedFrame) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  ASSERT_TRUE(sim_.setFinger(0, sampleFinger()));
  std::vector<unsigned char> whole, preview;
  ASSERT_EQ(wholeImage(whole).result, 1);
  ASSERT_EQ(previewImage(preview).result, 1);
  // Preview columns 141..240 of the frame are whole-image columns 99..198.
  for (int r = 0; r < 100; ++r)
    for (int c = 0; c < 100; ++c) ASSERT_EQ(preview[r * 100 + c], whole[(100 + r) * 300 + 99 + c]) << r << "," << c;
}

TEST_F(SensorTest, RawImageIsTheFrameTheSensorSent) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  const auto finger = sampleFinger();
  ASSERT_TRUE(sim_.setFinger(0, finger));
  std::vector<unsigned char> frame;
  ASSERT_EQ(rawImage(frame).result, 1);
  EXPECT_EQ(frame, sim::FrameSynthesizer::shared().rawFrame(finger));
}

TEST_F(SensorTest, FingerOnTheSensorIsDetectedAndAnEmptySensorIsNot) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  std::vector<unsigned char> image;
  int present = -1;
  char message[256];
  int error = 1;
  ASSERT_EQ(wholeImage(image).result, 1);
  EXPECT_EQ(VD_DetectWholeFinger(image.data(), &present, message, &error), 1);
  EXPECT_EQ(present, 0);
  ASSERT_TRUE(sim_.setFinger(0, sampleFinger()));
  ASSERT_EQ(wholeImage(image).result, 1);
  EXPECT_EQ(VD_DetectWholeFinger(image.data(), &present, message, &error), 1);
  EXPECT_EQ(present, 1);
  ASSERT_EQ(previewImage(image).result, 1);
  EXPECT_EQ(VD_DetectFinger(image.data(), &present, message, &error), 1);
  EXPECT_EQ(present, 1);
  sim_.liftFinger(0);
  ASSERT_EQ(previewImage(image).result, 1);
  EXPECT_EQ(VD_DetectFinger(image.data(), &present, message, &error), 1);
  EXPECT_EQ(present, 0);
}

TEST_F(SensorTest, GainIsRegister32AndOnlyItsLowestByteIsWritten) {
  char message[256];
  int error = 5;
  int gain = 0x7F7F7F7F;
  EXPECT_EQ(VD_GetSensorGain(&gain, message, &error), 0);  // no sensor: fails without a code
  EXPECT_EQ(error, 0);
  EXPECT_EQ(gain, 0x7F7F7F7F);
  EXPECT_EQ(VD_SetSensorGain(3, message, &error), 0);
  EXPECT_EQ(error, 0);

  plug(0);
  ASSERT_EQ(open().result, 1);
  EXPECT_EQ(VD_GetSensorGain(&gain, message, &error), 1);
  EXPECT_EQ(gain, 0x7F7F7F44);  // dv48, programmed at open
  EXPECT_EQ(VD_SetSensorGain(0x1234, message, &error), 1);
  EXPECT_EQ(sim_.registerValue(0, 0x32), 0x34);
  EXPECT_EQ(VD_GetSensorGain(&gain, message, &error), 1);
  EXPECT_EQ(gain, 0x7F7F7F34);

  // A read that fails is reported, and leaves the output alone.
  sim_.failControlRequests(0, 1, 0x4F);
  EXPECT_EQ(VD_GetSensorGain(&gain, message, &error), 0);
  EXPECT_EQ(error, -2022);
  EXPECT_EQ(gain, 0x7F7F7F34);
}

TEST_F(SensorTest, NullBuffersAreRefused) {
  plug(0);
  ASSERT_EQ(open().result, 1);
  char message[256];
  int error = 0;
  EXPECT_EQ(VD_GetWholeImage(nullptr, message, &error), 0);
  EXPECT_EQ(error, -1);
  EXPECT_STREQ(message, "(VD_GetWholeImage) Wrong param : image is NULL.");
  EXPECT_EQ(VD_GetSensorGain(nullptr, message, &error), 0);
  EXPECT_EQ(VD_OnReadCMOS(0x17, nullptr, message, &error), 0);
  EXPECT_EQ(VD_GetDeviceDiscriptor(nullptr, message, &error), 0);
  // Message and error may be left out.
  std::vector<unsigned char> image(RIDGEPORT_IMAGE_SIZE);
  EXPECT_EQ(VD_GetWholeImage(image.data(), nullptr, nullptr), 1);
}

}  // namespace
}  // namespace ridgeport::test
