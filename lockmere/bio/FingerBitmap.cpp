#include "lockmere/bio/FingerBitmap.h"

#include "lockmere/bio/NimbraSDK.h"

namespace bio {

QImage FingerBitmap::fromImage(const unsigned char* image, const QString& sdkType) {
  int stride = 0, origin = 0;
  if (sdkType == QLatin1String(TNimbraMSDK::kLiteSdk)) {
    stride = kSize;
  } else if (sdkType == QLatin1String(TNimbraMSDK::kSummitSdk)) {
    stride = 3 * kSize;
    origin = kSize * stride + kSize;
  }
  if (!image || stride == 0) return {};
  // The original fills a bottom-up bitmap (stored row r = image row 99 - r),
  // which shows the image upright; a QImage is stored top-down, so its row r is
  // image row r.
  QImage bitmap(kSize, kSize, QImage::Format_RGB888);
  for (int r = 0; r < kSize; ++r) {
    const unsigned char* source = image + origin + r * stride;
    uchar* line = bitmap.scanLine(r);
    for (int c = 0; c < kSize; ++c) line[3 * c] = line[3 * c + 1] = line[3 * c + 2] = source[c];
  }
  return bitmap;
}

}  // namespace bio
