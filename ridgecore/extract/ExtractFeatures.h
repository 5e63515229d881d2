#pragma once

#include <cstdint>

#include "extract/ExtractionObserver.h"
#include "extract/OrientedFilter.h"
#include "ridgecore.h"

namespace ridgecore {

inline constexpr int kExtracted = 1;
inline constexpr int kExtractionFailed = 0;
inline constexpr int kAmbientLight = -99;

// Stage messages, written into the caller's message buffer on failure.
inline constexpr char kMemoryMessage[] = "Memory Allocation Error!";
inline constexpr char kSmoothingMessage[] = "S_S1F(..) Error!";
inline constexpr char kDirectionMessage[] = "S_D1F(..) Error!";
inline constexpr char kPeriodMessage[] = "S_I1F(..) Error!";
inline constexpr char kAmbientLightMessage[] = "Ambient Light!!!";
inline constexpr char kSegmentationMessage[] = "S_S1F(..) Error!";
inline constexpr char kRegularisationMessage[] = "S_S1R(..) Error!";
inline constexpr char kFilterMessage[] = "S_F1F(..) Error!";
inline constexpr char kDetectionMessage[] = "S_E1M(..) Error!";
inline constexpr char kRecordMessage[] = "S_M1M(..) Error!";

// Choices of the pipeline that a caller may make for an experiment; the
// default is the pipeline the library ships.
struct ExtractionOptions {
  FilterGain filterGain = FilterGain::AbsoluteKernelSum;
  // Blocks that the structure check rejects (direction 255) leave the mask
  // before detection, so that no minutia is found in or beside them.
  bool structureGate = false;
};

// A 300 x 300 image (90000 bytes, row-major) to at most 50 minutiae in
// `record`: only the count byte and the first three bytes of each written
// minutia change. Returns kExtracted; kAmbientLight when the quality gate
// rejects the image; kExtractionFailed when working memory ran out. On
// failure `message` (if not null) receives the stage's text. Every buffer is
// taken per call and released before returning.
int extractFeatures(const uint8_t* image, tagFDATA& record, char* message, ExtractionObserver* observer = nullptr,
                    const ExtractionOptions& options = {});

}  // namespace ridgecore
