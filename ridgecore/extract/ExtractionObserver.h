#pragma once

#include <cstdint>

// A window into a running extraction, for the inspection tool and tests:
// each stage reports the image it produced together with the block maps.
namespace ridgecore {

enum class ExtractionStage {
  Smoothed,            // pixels: S
  DirectionField,      // pixels: S
  RidgePeriod,         // pixels: S; mask = normalised contrast
  Segmented,           // pixels: S
  PeriodsRegularised,  // pixels: S
  Filtered,            // pixels: F
  Binarised,           // pixels: line-test result
  GapsBridged,
  SmallRegionsRemoved,
  StructureChecked,
  Thinned,             // pixels: the skeleton
  MinutiaeDetected,    // pixels: skeleton with markers 100 / 200
  MinutiaeSuppressed,  // pixels: skeleton with markers 99 / 100 / 199 / 200
  RecordWritten,       // pixels: skeleton with trace markers
};

struct BlockMaps {
  uint8_t* directions;  // D
  uint8_t* periods;     // P
  uint8_t* mask;        // M
};

class ExtractionObserver {
 public:
  virtual ~ExtractionObserver() = default;
  virtual void stageFinished(ExtractionStage stage, const uint8_t* pixels, const BlockMaps& maps) = 0;
};

}  // namespace ridgecore
