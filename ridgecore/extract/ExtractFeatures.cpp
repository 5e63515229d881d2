#include "extract/ExtractFeatures.h"

#include <cstring>
#include <new>

#include "extract/Allocation.h"
#include "extract/BinarisationThinning.h"
#include "extract/DirectionField.h"
#include "extract/ExtractionTables.h"
#include "extract/Geometry.h"
#include "extract/MinutiaeDetection.h"
#include "extract/OrientedFilter.h"
#include "extract/PeriodRegularisation.h"
#include "extract/RecordWriting.h"
#include "extract/RidgePeriod.h"
#include "extract/Segmentation.h"
#include "extract/Smoothing.h"

namespace ridgecore {
namespace {

int fail(char* message, const char* text, int result) {
  if (message) std::strcpy(message, text);
  return result;
}

}  // namespace

int extractFeatures(const uint8_t* image, tagFDATA& record, char* message, ExtractionObserver* observer,
                    const ExtractionOptions& options) {
  std::unique_ptr<uint8_t[]> smoothed, filtered, directions, periods, mask, classes;
  try {
    smoothed = allocateArray<uint8_t>(kImagePixels);
    filtered = allocateArray<uint8_t>(kImagePixels);
    directions = allocateArray<uint8_t>(kGridBlocks);
    periods = allocateArray<uint8_t>(kGridBlocks);
    mask = allocateArray<uint8_t>(kGridBlocks);
    classes = allocateArray<uint8_t>(kGridBlocks);
  } catch (const std::bad_alloc&) {
    return fail(message, kMemoryMessage, kExtractionFailed);
  }
  const BlockMaps maps{directions.get(), periods.get(), mask.get()};
  auto report = [&](ExtractionStage stage, const uint8_t* pixels) {
    if (observer) observer->stageFinished(stage, pixels, maps);
  };

  const char* stageMessage = kSmoothingMessage;
  try {
    smoothImage(image, smoothed.get());
    report(ExtractionStage::Smoothed, smoothed.get());

    stageMessage = kDirectionMessage;
    computeDirectionField(smoothed.get(), directions.get());
    report(ExtractionStage::DirectionField, smoothed.get());

    stageMessage = kPeriodMessage;
    const ExtractionTables& tables = extractionTables();
    const bool passed = measureRidgePeriod(tables, smoothed.get(), directions.get(), periods.get(), mask.get());
    report(ExtractionStage::RidgePeriod, smoothed.get());
    if (!passed) return fail(message, kAmbientLightMessage, kAmbientLight);

    stageMessage = kSegmentationMessage;
    segmentFingerArea(directions.get(), periods.get(), classes.get(), mask.get());
    report(ExtractionStage::Segmented, smoothed.get());

    stageMessage = kRegularisationMessage;
    regularisePeriods(directions.get(), periods.get());
    report(ExtractionStage::PeriodsRegularised, smoothed.get());

    stageMessage = kFilterMessage;
    filterAlongRidges(tables, smoothed.get(), directions.get(), periods.get(), filtered.get(), options.filterGain);
    report(ExtractionStage::Filtered, filtered.get());
    binariseAndThin(tables, filtered.get(), maps, smoothed.get(), observer);
    if (options.structureGate) {
      for (int b = 0; b < kGridBlocks; ++b) {
        if (directions[b] == kNoDirection) mask[b] = 0;
      }
    }

    stageMessage = kDetectionMessage;
    detectMinutiae(smoothed.get(), mask.get());
    report(ExtractionStage::MinutiaeDetected, smoothed.get());
    suppressMinutiae(smoothed.get(), mask.get());
    report(ExtractionStage::MinutiaeSuppressed, smoothed.get());

    stageMessage = kRecordMessage;
    writeMinutiae(smoothed.get(), mask.get(), record);
    report(ExtractionStage::RecordWritten, smoothed.get());
  } catch (const std::bad_alloc&) {
    return fail(message, stageMessage, kExtractionFailed);
  }
  return kExtracted;
}

}  // namespace ridgecore
