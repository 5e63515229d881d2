#include "extract/BinarisationThinning.h"

#include "extract/Allocation.h"
#include "extract/ContourTracer.h"
#include "extract/GapBridging.h"
#include "extract/Geometry.h"
#include "extract/HilditchThinning.h"
#include "extract/LineTest.h"
#include "extract/PixelFlood.h"
#include "extract/SmallRegions.h"
#include "extract/StructureCheck.h"

namespace ridgecore {

void binariseAndThin(const ExtractionTables& tables, const uint8_t* filtered, const BlockMaps& maps, uint8_t* skeleton,
                     ExtractionObserver* observer) {
  auto binary = allocateArray<uint8_t>(kImagePixels);
  ContourTracer tracer;
  PixelFlood flood;
  auto report = [&](ExtractionStage stage, const uint8_t* pixels) {
    if (observer) observer->stageFinished(stage, pixels, maps);
  };

  binariseByLineTest(tables, filtered, maps.directions, maps.periods, binary.get());
  report(ExtractionStage::Binarised, binary.get());
  bridgeGaps(binary.get(), maps.directions, tracer, flood);
  report(ExtractionStage::GapsBridged, binary.get());
  removeSmallRegions(binary.get());
  report(ExtractionStage::SmallRegionsRemoved, binary.get());
  checkRidgeStructure(tables, binary.get(), maps.directions, tracer, flood);
  report(ExtractionStage::StructureChecked, binary.get());
  thinRidges(binary.get());
  for (int p = 0; p < kImagePixels; ++p) skeleton[p] = binary[p] == kRidge ? kRidge : kBackground;
  report(ExtractionStage::Thinned, skeleton);
}

}  // namespace ridgecore
