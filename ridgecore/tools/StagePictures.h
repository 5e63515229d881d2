#pragma once

#include <QImage>
#include <QString>
#include <vector>

#include "extract/ExtractionObserver.h"
#include "ridgecore.h"

namespace ridgecore::tools {

// Keeps a picture of every stage of one extraction and writes them as PNGs.
class StagePictures : public ExtractionObserver {
 public:
  explicit StagePictures(const std::vector<uint8_t>& image);

  void stageFinished(ExtractionStage stage, const uint8_t* pixels, const BlockMaps& maps) override;
  void addMinutiae(const tagFDATA& record);

  // Writes NN-name.png files into `folder`; returns false with the failing file name.
  bool save(const QString& folder, QString& failed) const;

 private:
  void add(const QString& name, const QImage& picture);

  std::vector<uint8_t> image_;
  std::vector<uint8_t> skeleton_;
  std::vector<uint8_t> directionsBeforeCheck_;
  std::vector<std::pair<QString, QImage>> pictures_;
};

}  // namespace ridgecore::tools
