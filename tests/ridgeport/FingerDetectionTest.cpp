// Finger detection on 100 x 100 windows: the two thresholds at their edges.
#include <gtest/gtest.h>

#include <vector>

#include "ridgeport.h"

namespace {

// A 100 x 100 preview in which the first `busy` blocks (row-major) are a
// checkerboard of 0 and 80 (block variance 1600) and every other block is flat.
std::vector<unsigned char> preview(int busy, int other = 120) {
  std::vector<unsigned char> image(100 * 100, static_cast<unsigned char>(other));
  for (int b = 0; b < busy; ++b) {
    const int top = (b / 10) * 10, left = (b % 10) * 10;
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 10; ++c) image[(top + r) * 100 + left + c] = (r + c) % 2 ? 80 : 0;
  }
  return image;
}

int detect(const std::vector<unsigned char>& image) {
  int present = -1, error = 5;
  char message[256] = "";
  EXPECT_EQ(VD_DetectFinger(image.data(), &present, message, &error), 1);
  EXPECT_EQ(error, 0);
  EXPECT_STREQ(message, "Veradynics");
  return present;
}

TEST(FingerDetection, UniformGreyIsNoFinger) {
  EXPECT_EQ(detect(std::vector<unsigned char>(10000, 128)), 0);
  EXPECT_EQ(detect(std::vector<unsigned char>(10000, 255)), 0);
}

TEST(FingerDetection, ThirtyBlocksAboveTheMeanAreAFingerTwentyNineAreNot) {
  // 30 x 1600 / 100 = 480 >= 300 and 30 blocks lie above it.
  EXPECT_EQ(detect(preview(30)), 1);
  // 29 x 1600 / 100 = 464 is still enough contrast, but one block too few.
  EXPECT_EQ(detect(preview(29)), 0);
}

TEST(FingerDetection, ManyBusyBlocksWithTooLittleContrastAreNoFinger) {
  // Checkerboard 0/34 gives 289 per block: all 100 blocks equal, mean 289 < 300.
  std::vector<unsigned char> image(10000);
  for (int r = 0; r < 100; ++r)
    for (int c = 0; c < 100; ++c) image[r * 100 + c] = (r + c) % 2 ? 34 : 0;
  EXPECT_EQ(detect(image), 0);
  // 0/36 gives 324: mean 324, but no block lies above the mean.
  for (auto& p : image) p = p ? 36 : 0;
  EXPECT_EQ(detect(image), 0);
}

TEST(FingerDetection, MeanVarianceOfExactly300IsEnough) {
  // 50 blocks of variance 600 and 50 flat ones: halves of 0 and 49 give a mean
  // of 24.5 and a variance of 600.25, truncated to 600.
  std::vector<unsigned char> image(10000, 7);
  for (int b = 0; b < 50; ++b) {
    const int top = (b / 10) * 10, left = (b % 10) * 10;
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 10; ++c) image[(top + r) * 100 + left + c] = r < 5 ? 0 : 49;
  }
  EXPECT_EQ(detect(image), 1);  // T = 30000, mean 300, 50 blocks above
  // One busy block less (block 49: rows 40..49, columns 90..99): mean 294.
  for (int r = 40; r < 50; ++r)
    for (int c = 90; c < 100; ++c) image[r * 100 + c] = 7;
  EXPECT_EQ(detect(image), 0);
}

TEST(FingerDetection, WholeImageIsJudgedOnItsCentreWindow) {
  const auto window = preview(40);
  std::vector<unsigned char> whole(300 * 300, 120);
  for (int r = 0; r < 100; ++r)
    for (int c = 0; c < 100; ++c) whole[(100 + r) * 300 + 100 + c] = window[r * 100 + c];
  int present = -1, error = 5;
  char message[256];
  EXPECT_EQ(VD_DetectWholeFinger(whole.data(), &present, message, &error), 1);
  EXPECT_EQ(present, 1);

  // The same contrast outside rows and columns 100..199 does not count.
  std::vector<unsigned char> shifted(300 * 300, 120);
  for (int r = 0; r < 100; ++r)
    for (int c = 0; c < 100; ++c) shifted[r * 300 + c] = window[r * 100 + c];
  EXPECT_EQ(VD_DetectWholeFinger(shifted.data(), &present, message, &error), 1);
  EXPECT_EQ(present, 0);
}

TEST(FingerDetection, NullArgumentsAreRefused) {
  int present = 0, error = 0;
  char message[256];
  EXPECT_EQ(VD_DetectFinger(nullptr, &present, message, &error), 0);
  EXPECT_EQ(error, -1);
  std::vector<unsigned char> image(10000);
  EXPECT_EQ(VD_DetectWholeFinger(image.data(), nullptr, message, &error), 0);
}

}  // namespace
