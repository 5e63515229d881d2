#include "tools/StagePictures.h"

#include <QDir>
#include <QPainter>
#include <cmath>
#include <numbers>

#include "extract/Geometry.h"

namespace ridgecore::tools {
namespace {

constexpr int kScale = 2;

QImage greyPicture(const uint8_t* pixels) {
  QImage picture(kImageSide, kImageSide, QImage::Format_RGB32);
  for (int r = 0; r < kImageSide; ++r) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(r));
    for (int c = 0; c < kImageSide; ++c)
      line[c] = qRgb(pixels[r * kImageSide + c], pixels[r * kImageSide + c], pixels[r * kImageSide + c]);
  }
  return picture.scaled(kImageSide * kScale, kImageSide * kScale);
}

// A colour per block drawn over a dimmed copy of the image.
template <typename Colour>
QImage blockPicture(const uint8_t* pixels, Colour colour) {
  QImage picture = greyPicture(pixels);
  QPainter painter(&picture);
  for (int b = 0; b < kGridBlocks; ++b) {
    const QColor c = colour(b);
    if (!c.isValid()) continue;
    painter.fillRect((b % kGridSide) * kBlockSide * kScale, (b / kGridSide) * kBlockSide * kScale, kBlockSide * kScale,
                     kBlockSide * kScale, c);
  }
  return picture;
}

QColor periodColour(int period) {
  if (period == 0) return QColor(0, 0, 0, 160);
  // 7 (short) blue .. 17 (long) red; the periods whose kernels sum to little or below zero stand out.
  const int hue = std::clamp(240 - (period - 7) * 24, 0, 240);
  return QColor::fromHsv(hue, 255, 255, 150);
}

}  // namespace

StagePictures::StagePictures(const std::vector<uint8_t>& image) : image_(image) {
  add("input", greyPicture(image_.data()));
}

void StagePictures::add(const QString& name, const QImage& picture) { pictures_.emplace_back(name, picture); }

void StagePictures::stageFinished(ExtractionStage stage, const uint8_t* pixels, const BlockMaps& maps) {
  const uint8_t* d = maps.directions;
  switch (stage) {
    case ExtractionStage::Smoothed:
      add("smoothed", greyPicture(pixels));
      break;
    case ExtractionStage::DirectionField: {
      QImage picture = greyPicture(pixels);
      QPainter painter(&picture);
      painter.setRenderHint(QPainter::Antialiasing);
      for (int b = 0; b < kGridBlocks; ++b) {
        if (!hasDirection(d[b])) continue;
        const double theta = directionIndex(d[b]) * std::numbers::pi / 64;
        const double cx = ((b % kGridSide) * kBlockSide + 2.5) * kScale,
                     cy = ((b / kGridSide) * kBlockSide + 2.5) * kScale;
        const double dx = std::cos(theta) * 4.5, dy = std::sin(theta) * 4.5;
        painter.setPen(QPen(QColor(255, 60, 60), 1.2));
        painter.drawLine(QPointF(cx - dx, cy - dy), QPointF(cx + dx, cy + dy));
      }
      add("directions", picture);
      break;
    }
    case ExtractionStage::RidgePeriod:
      add("contrast", blockPicture(pixels, [&](int b) { return QColor(255, 200, 0, maps.mask[b] > 50 ? 0 : 170); }));
      add("periods-measured", blockPicture(pixels, [&](int b) { return periodColour(maps.periods[b]); }));
      break;
    case ExtractionStage::Segmented:
      add("mask", blockPicture(pixels, [&](int b) {
            if (maps.mask[b] == 0) return QColor(0, 0, 0, 200);
            if (maps.mask[b] == 128) return QColor(0, 120, 255, 110);
            return QColor();
          }));
      break;
    case ExtractionStage::PeriodsRegularised:
      add("periods", blockPicture(pixels, [&](int b) { return periodColour(maps.periods[b]); }));
      break;
    case ExtractionStage::Filtered:
      add("filtered", greyPicture(pixels));
      directionsBeforeCheck_.assign(d, d + kGridBlocks);
      break;
    case ExtractionStage::Binarised:
      add("binarised", greyPicture(pixels));
      break;
    case ExtractionStage::GapsBridged:
      add("bridged", greyPicture(pixels));
      break;
    case ExtractionStage::SmallRegionsRemoved:
      add("cleaned", greyPicture(pixels));
      break;
    case ExtractionStage::StructureChecked:
      add("structure", blockPicture(pixels, [&](int b) {
            const bool rejected = hasDirection(directionsBeforeCheck_[b]) && !hasDirection(d[b]);
            return rejected ? QColor(255, 0, 0, 110) : QColor();
          }));
      break;
    case ExtractionStage::Thinned:
      add("skeleton", greyPicture(pixels));
      skeleton_.assign(pixels, pixels + kImagePixels);
      break;
    default:
      break;
  }
}

void StagePictures::addMinutiae(const tagFDATA& record) {
  std::vector<uint8_t> backdrop = image_;
  for (int p = 0; p < kImagePixels; ++p) backdrop[p] = static_cast<uint8_t>(backdrop[p] / 2 + 64);
  QImage picture = greyPicture(backdrop.data());
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  if (!skeleton_.empty()) {
    for (int p = 0; p < kImagePixels; ++p) {
      if (skeleton_[p] != kRidge) continue;
      painter.fillRect((p % kImageSide) * kScale, (p / kImageSide) * kScale, kScale, kScale, QColor(0, 170, 0));
    }
  }
  for (int k = 0; k < record.count; ++k) {
    const tagFMINUTIA& m = record.minutiae[k];
    const bool bifurcation = m.typeDir & 1;
    const double angle = (m.typeDir >> 1) * 2 * std::numbers::pi / 128;
    const QPointF centre((m.x * 2 + 0.5) * kScale, (m.y * 2 + 0.5) * kScale);
    const QColor colour = bifurcation ? QColor(30, 90, 255) : QColor(230, 20, 20);
    painter.setPen(QPen(colour, 2));
    painter.drawEllipse(centre, 5, 5);
    painter.drawLine(centre, centre + QPointF(std::cos(angle), std::sin(angle)) * 18);
  }
  add("minutiae", picture);
}

bool StagePictures::save(const QString& folder, QString& failed) const {
  QDir().mkpath(folder);
  for (size_t i = 0; i < pictures_.size(); ++i) {
    const QString file = QString("%1/%2-%3.png").arg(folder).arg(i, 2, 10, QChar('0')).arg(pictures_[i].first);
    if (!pictures_[i].second.save(file, "PNG")) {
      failed = file;
      return false;
    }
  }
  return true;
}

}  // namespace ridgecore::tools
