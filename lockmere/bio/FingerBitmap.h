#pragma once

#include <QImage>
#include <QString>

namespace bio {

// The 100 x 100 24-bit picture that the fingerprint windows show of a captured
// image, each grey byte in all three colour channels. With the "Lite SDK" the
// image is a 100 x 100 preview; with the "Summit SDK" a 300 x 300 image whose
// rows and columns 100..199 are shown.
class FingerBitmap {
 public:
  static constexpr int kSize = 100;

  // Null for another SDK type or a null image.
  static QImage fromImage(const unsigned char* image, const QString& sdkType);
};

}  // namespace bio
