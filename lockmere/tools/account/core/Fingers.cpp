#include "lockmere/tools/account/core/Fingers.h"

#include <QImage>
#include <algorithm>
#include <cstring>
#include <mutex>

#include "lockmere/bio/NimbraExports.h"
#include "lockmere/crypto/SecureBytes.h"

namespace account {
namespace {

constexpr int kSide = RIDGECORE_IMAGE_WIDTH;
constexpr char kValidityMark[6] = {'1', '0', '4', '0', 'D', 'V'};

}  // namespace

Outcome<std::vector<unsigned char>> loadFingerImage(const std::string& path, bool sensorPolarity) {
  QImage image;
  if (!image.load(QString::fromStdString(path))) return Failure(Problem::ImageUnreadable, path);
  if (image.width() != kSide || image.height() != kSide)
    return Failure(Problem::ImageWrongSize,
                   path + " is " + std::to_string(image.width()) + " x " + std::to_string(image.height()));
  const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
  std::vector<unsigned char> pixels(RIDGECORE_IMAGE_SIZE);
  for (int y = 0; y < kSide; ++y) std::memcpy(pixels.data() + y * kSide, grey.constScanLine(y), kSide);
  if (!sensorPolarity)
    for (unsigned char& p : pixels) p = static_cast<unsigned char>(255 - p);
  return pixels;
}

ImageEnroller::ImageEnroller() {
  if (!library_.load()) {
    error_ = "Dynamic library " + library_.fileName() + " not found (" + library_.errorString() + ")";
    return;
  }
  makeEnroll_ = library_.resolve<decltype(&::VD_MakeEnroll)>("VD_MakeEnroll");
  setLevel_ = library_.resolve<decltype(&::VD_SetSecurityLevel)>("VD_SetSecurityLevel");
  if (!isLoaded()) error_ = "VD_MakeEnroll or VD_SetSecurityLevel is not exported by " + library_.fileName();
}

std::string slotFillProblem(int code) {
  switch (code) {
    case -2:
      return "it is not the same finger as the others";
    case -10:
      return "it lies at the same spot as another (the finger was not moved)";
    case -12:
      return "its quality is too poor";
    case -3:
      return "no features could be found in it";
    default:
      return "the library refused it with " + std::to_string(code);
  }
}

Outcome<tagENROLL> ImageEnroller::enroll(const std::array<const unsigned char*, 3>& images, int level) const {
  if (!isLoaded()) return Failure(Problem::FingerprintLibraryMissing, error_);
  std::array<int, 3> order{0, 1, 2};
  std::string firstRefusal;
  do {
    tagENROLL finger;
    std::memset(&finger, 0, sizeof finger);
    bool filled = true;
    for (int slot = 0; slot < 3 && filled; ++slot) {
      // The library draws its retry prompt into a refused image: give it a copy.
      std::vector<unsigned char> image(images[std::size_t(order[std::size_t(slot)])],
                                       images[std::size_t(order[std::size_t(slot)])] + RIDGECORE_IMAGE_SIZE);
      char message[256] = "";
      int error = 0;
      std::lock_guard lock(bio::NimbraExports::callLock());
      filled = makeEnroll_(image.data(), slot, &finger, message, &error) == 1;
      if (!filled && firstRefusal.empty())
        firstRefusal = "image " + std::to_string(order[std::size_t(slot)] + 1) + ": " + slotFillProblem(error);
      // Extraction failures do not depend on the order.
      if (!filled && (error == -3 || error == -12)) return Failure(Problem::FingerRefused, firstRefusal);
    }
    if (filled) {
      char message[256] = "";
      int error = 0;
      std::lock_guard lock(bio::NimbraExports::callLock());
      if (setLevel_(&finger, level, message, &error) != 1) return Failure(Problem::FingerRefused, message);
      return finger;
    }
  } while (std::next_permutation(order.begin(), order.end()));
  return Failure(Problem::FingerRefused, firstRefusal);
}

Outcome<tagENROLL> ImageEnroller::enrollFiles(const std::array<std::string, 3>& paths, bool sensorPolarity,
                                              int level) const {
  std::array<std::vector<unsigned char>, 3> images;
  for (std::size_t i = 0; i < 3; ++i) {
    auto image = loadFingerImage(paths[i], sensorPolarity);
    if (!image) return image.failure();
    images[i] = std::move(*image);
  }
  return enroll({images[0].data(), images[1].data(), images[2].data()}, level);
}

void wipe(std::vector<tagENROLL>& fingers) { crypto::wipe(fingers.data(), fingers.size() * sizeof(tagENROLL)); }

void wipe(tagENROLL& finger) { crypto::wipe(&finger, sizeof finger); }

std::array<tagFDATA, 3> impressionsOf(const tagENROLL& finger) {
  std::array<tagFDATA, 3> out = {finger.slot[0], finger.slot[1], finger.slot[2]};
  for (tagFDATA& record : out) std::memcpy(record.mark, kValidityMark, sizeof record.mark);
  return out;
}

std::optional<std::size_t> findEnrolledFinger(const bio::RecordSearch& search, const tagENROLL& finger,
                                              const store::TemplateRecords& records) {
  if (records.isEmpty()) return std::nullopt;
  auto impressions = impressionsOf(finger);
  std::optional<std::size_t> found;
  for (const tagFDATA& impression : impressions) {
    if (impression.count == 0) continue;
    const auto hit = search.identify(impression, records.data(), records.count());
    if (hit.matched()) {
      found = static_cast<std::size_t>(hit.index);
      break;
    }
  }
  crypto::wipe(impressions.data(), sizeof impressions);
  return found;
}

}  // namespace account
