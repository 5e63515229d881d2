// Drawing a captured image onto a paint device as the fingerprint windows show it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <vector>

#include "lockmere/bio/NimbraSDK.h"
#include "lockmere/bio/NimbraUtil.h"

namespace bio::test {
namespace {

// Grey values that differ by row and column, so a flip or shift shows.
std::vector<unsigned char> pattern(int size) {
  std::vector<unsigned char> image(std::size_t(size) * size);
  for (int r = 0; r < size; ++r)
    for (int c = 0; c < size; ++c) image[std::size_t(r) * size + c] = static_cast<unsigned char>((r * 7 + c * 3) % 256);
  return image;
}

class DrawFingerImageTest : public ::testing::Test {
 protected:
  void SetUp() override { util_.setNimbraMSDK(&sdk_); }

  // Pixel (x, y) of the 100 x 100 picture, taken from image (rows of stride
  // bytes, the picture's corner at origin), lies at (sx * x + sx / 2, sy * y + sy / 2).
  static void expectShown(const QImage& target, const unsigned char* image, int stride, int origin, int sx = 1,
                          int sy = 1) {
    for (int y = 0; y < 100; y += 9)
      for (int x = 0; x < 100; x += 11) {
        const int grey = image[origin + y * stride + x];
        ASSERT_EQ(target.pixel(sx * x + sx / 2, sy * y + sy / 2), qRgb(grey, grey, grey)) << x << "," << y;
      }
  }

  static QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(1, 2, 3));
    return image;
  }

  TNimbraMSDK sdk_;  // not loaded: drawing needs only its SDKType
  TNimbraUtil util_;
};

TEST_F(DrawFingerImageTest, LiteSdkShowsThePreviewUprightInGrey) {
  const auto preview = pattern(100);
  QImage target = canvas(100, 100);
  util_.DrawFingerImage(target, preview.data());
  expectShown(target, preview.data(), 100, 0);
}

TEST_F(DrawFingerImageTest, SummitSdkShowsTheCentreOfTheWholeImage) {
  sdk_.setSDKType("Summit SDK");
  const auto whole = pattern(300);
  QImage target = canvas(100, 100);
  util_.DrawFingerImage(target, whole.data());
  expectShown(target, whole.data(), 300, 100 * 300 + 100);
}

TEST_F(DrawFingerImageTest, StretchesOverTheDeviceOrItsClip) {
  const auto preview = pattern(100);
  QImage target = canvas(200, 300);
  util_.DrawFingerImage(target, preview.data());
  expectShown(target, preview.data(), 100, 0, 2, 3);

  QImage clipped = canvas(200, 200);
  {
    QPainter painter(&clipped);
    painter.setClipRect(0, 0, 50, 50);
    util_.DrawFingerImage(painter, preview.data());
  }
  EXPECT_EQ(clipped.pixel(49, 49), qRgb(preview[98 * 100 + 98], preview[98 * 100 + 98], preview[98 * 100 + 98]));
  EXPECT_EQ(clipped.pixel(50, 10), qRgb(1, 2, 3));
  EXPECT_EQ(clipped.pixel(10, 50), qRgb(1, 2, 3));
}

TEST_F(DrawFingerImageTest, NothingIsDrawnForAnotherSdkOrWithoutImageOrBinding) {
  const auto preview = pattern(100);
  const QImage blank = canvas(100, 100);
  QImage target = blank;
  sdk_.setSDKType("Vault SDK");
  util_.DrawFingerImage(target, preview.data());
  EXPECT_EQ(target, blank);
  sdk_.setSDKType("Lite SDK");
  util_.DrawFingerImage(target, nullptr);
  EXPECT_EQ(target, blank);
  TNimbraUtil unbound;
  unbound.DrawFingerImage(target, preview.data());
  EXPECT_EQ(target, blank);
}

}  // namespace
}  // namespace bio::test
