// Extraction benchmarks: the whole extraction over the real images, and each
// stage on its own from the state the previous stages left (captured once per image).
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <vector>

#include "bench/ridgecore/BenchImages.h"
#include "extract/BinarisationThinning.h"
#include "extract/ContourTracer.h"
#include "extract/DirectionField.h"
#include "extract/ExtractFeatures.h"
#include "extract/ExtractionTables.h"
#include "extract/GapBridging.h"
#include "extract/Geometry.h"
#include "extract/HilditchThinning.h"
#include "extract/LineTest.h"
#include "extract/MinutiaeDetection.h"
#include "extract/OrientedFilter.h"
#include "extract/PeriodRegularisation.h"
#include "extract/PixelFlood.h"
#include "extract/RecordWriting.h"
#include "extract/RidgePeriod.h"
#include "extract/Segmentation.h"
#include "extract/SmallRegions.h"
#include "extract/Smoothing.h"
#include "extract/StructureCheck.h"

using namespace ridgecore;
using ridgecorebench::extractableImages;

namespace {

// What every stage of one extraction left behind: pixels and the three block maps.
struct Snapshot {
  std::vector<uint8_t> pixels, directions, periods, mask;
};

class StageRecorder : public ExtractionObserver {
 public:
  void stageFinished(ExtractionStage stage, const uint8_t* pixels, const BlockMaps& maps) override {
    states[stage] = {{pixels, pixels + kImagePixels},
                     {maps.directions, maps.directions + kGridBlocks},
                     {maps.periods, maps.periods + kGridBlocks},
                     {maps.mask, maps.mask + kGridBlocks}};
  }
  std::map<ExtractionStage, Snapshot> states;
};

const std::vector<StageRecorder>& recordedStages() {
  static const std::vector<StageRecorder> recorded = [] {
    std::vector<StageRecorder> all;
    for (const auto& image : extractableImages()) {
      StageRecorder recorder;
      tagFDATA record{};
      extractFeatures(image.pixels.data(), record, nullptr, &recorder);
      all.push_back(std::move(recorder));
    }
    return all;
  }();
  return recorded;
}

// Working copies of one snapshot, refreshed before each run of a stage.
struct Work {
  std::vector<uint8_t> pixels = std::vector<uint8_t>(kImagePixels), other = std::vector<uint8_t>(kImagePixels);
  std::vector<uint8_t> directions = std::vector<uint8_t>(kGridBlocks), periods = directions, mask = directions,
                       classes = directions;
  void load(const Snapshot& s) {
    std::memcpy(pixels.data(), s.pixels.data(), kImagePixels);
    std::memcpy(directions.data(), s.directions.data(), kGridBlocks);
    std::memcpy(periods.data(), s.periods.data(), kGridBlocks);
    std::memcpy(mask.data(), s.mask.data(), kGridBlocks);
  }
};

// Runs `stage` over the recorded inputs of every image in turn.
template <typename Stage>
void runStage(benchmark::State& state, ExtractionStage input, Stage stage) {
  const auto& recorded = recordedStages();
  Work work;
  size_t i = 0;
  for (auto _ : state) {
    const StageRecorder& r = recorded[i++ % recorded.size()];
    work.load(r.states.at(input));
    stage(r, work);
    benchmark::DoNotOptimize(work.pixels.data());
    benchmark::ClobberMemory();
  }
}

void BM_ExtractFeatures(benchmark::State& state) {
  const auto& images = extractableImages();
  size_t i = 0;
  for (auto _ : state) {
    tagFDATA record{};
    benchmark::DoNotOptimize(extractFeatures(images[i++ % images.size()].pixels.data(), record, nullptr));
  }
}
BENCHMARK(BM_ExtractFeatures)->Unit(benchmark::kMillisecond);

void BM_BuildTables(benchmark::State& state) {
  auto tables = std::make_unique<ExtractionTables>();
  for (auto _ : state) {
    tables->build();
    benchmark::DoNotOptimize(tables.get());
  }
}
BENCHMARK(BM_BuildTables)->Unit(benchmark::kMicrosecond);

void BM_Smoothing(benchmark::State& state) {
  const auto& images = extractableImages();
  std::vector<uint8_t> smoothed(kImagePixels);
  size_t i = 0;
  for (auto _ : state) {
    smoothImage(images[i++ % images.size()].pixels.data(), smoothed.data());
    benchmark::DoNotOptimize(smoothed.data());
  }
}
BENCHMARK(BM_Smoothing)->Unit(benchmark::kMicrosecond);

void BM_DirectionField(benchmark::State& state) {
  runStage(state, ExtractionStage::Smoothed,
           [](const StageRecorder&, Work& w) { computeDirectionField(w.pixels.data(), w.directions.data()); });
}
BENCHMARK(BM_DirectionField)->Unit(benchmark::kMicrosecond);

void BM_RidgePeriod(benchmark::State& state) {
  runStage(state, ExtractionStage::DirectionField, [](const StageRecorder&, Work& w) {
    measureRidgePeriod(extractionTables(), w.pixels.data(), w.directions.data(), w.periods.data(), w.mask.data());
  });
}
BENCHMARK(BM_RidgePeriod)->Unit(benchmark::kMicrosecond);

void BM_Segmentation(benchmark::State& state) {
  runStage(state, ExtractionStage::RidgePeriod, [](const StageRecorder&, Work& w) {
    segmentFingerArea(w.directions.data(), w.periods.data(), w.classes.data(), w.mask.data());
  });
}
BENCHMARK(BM_Segmentation)->Unit(benchmark::kMicrosecond);

void BM_PeriodRegularisation(benchmark::State& state) {
  runStage(state, ExtractionStage::Segmented,
           [](const StageRecorder&, Work& w) { regularisePeriods(w.directions.data(), w.periods.data()); });
}
BENCHMARK(BM_PeriodRegularisation)->Unit(benchmark::kMicrosecond);

void BM_OrientedFilter(benchmark::State& state) {
  runStage(state, ExtractionStage::PeriodsRegularised, [](const StageRecorder&, Work& w) {
    filterAlongRidges(extractionTables(), w.pixels.data(), w.directions.data(), w.periods.data(), w.other.data());
  });
}
BENCHMARK(BM_OrientedFilter)->Unit(benchmark::kMicrosecond);

void BM_BinariseAndThin(benchmark::State& state) {
  runStage(state, ExtractionStage::Filtered, [](const StageRecorder&, Work& w) {
    const BlockMaps maps{w.directions.data(), w.periods.data(), w.mask.data()};
    binariseAndThin(extractionTables(), w.pixels.data(), maps, w.other.data(), nullptr);
  });
}
BENCHMARK(BM_BinariseAndThin)->Unit(benchmark::kMicrosecond);

void BM_LineTest(benchmark::State& state) {
  runStage(state, ExtractionStage::Filtered, [](const StageRecorder&, Work& w) {
    binariseByLineTest(extractionTables(), w.pixels.data(), w.directions.data(), w.periods.data(), w.other.data());
  });
}
BENCHMARK(BM_LineTest)->Unit(benchmark::kMicrosecond);

void BM_GapBridging(benchmark::State& state) {
  ContourTracer tracer;
  PixelFlood flood;
  runStage(state, ExtractionStage::Binarised,
           [&](const StageRecorder&, Work& w) { bridgeGaps(w.pixels.data(), w.directions.data(), tracer, flood); });
}
BENCHMARK(BM_GapBridging)->Unit(benchmark::kMicrosecond);

void BM_SmallRegions(benchmark::State& state) {
  runStage(state, ExtractionStage::GapsBridged,
           [](const StageRecorder&, Work& w) { removeSmallRegions(w.pixels.data()); });
}
BENCHMARK(BM_SmallRegions)->Unit(benchmark::kMicrosecond);

void BM_StructureCheck(benchmark::State& state) {
  ContourTracer tracer;
  PixelFlood flood;
  runStage(state, ExtractionStage::SmallRegionsRemoved, [&](const StageRecorder&, Work& w) {
    checkRidgeStructure(extractionTables(), w.pixels.data(), w.directions.data(), tracer, flood);
  });
}
BENCHMARK(BM_StructureCheck)->Unit(benchmark::kMicrosecond);

void BM_Thinning(benchmark::State& state) {
  runStage(state, ExtractionStage::StructureChecked,
           [](const StageRecorder&, Work& w) { thinRidges(w.pixels.data()); });
}
BENCHMARK(BM_Thinning)->Unit(benchmark::kMicrosecond);

void BM_MinutiaeDetection(benchmark::State& state) {
  runStage(state, ExtractionStage::Thinned, [](const StageRecorder&, Work& w) {
    detectMinutiae(w.pixels.data(), w.mask.data());
    suppressMinutiae(w.pixels.data(), w.mask.data());
  });
}
BENCHMARK(BM_MinutiaeDetection)->Unit(benchmark::kMicrosecond);

void BM_RecordWriting(benchmark::State& state) {
  runStage(state, ExtractionStage::MinutiaeSuppressed, [](const StageRecorder&, Work& w) {
    tagFDATA record{};
    writeMinutiae(w.pixels.data(), w.mask.data(), record);
    benchmark::DoNotOptimize(record.count);
  });
}
BENCHMARK(BM_RecordWriting)->Unit(benchmark::kMicrosecond);

}  // namespace
