// bench_ridgeport: the cost of a whole image through the simulated sensor, and
// of the optical correction alone (with the precomputed tables, and computing
// every position per call as the baseline).
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "ridgeport.h"
#include "ridgeport/FrameCorrector.h"
#include "ridgeport/sim/FrameSynthesizer.h"
#include "ridgeport/sim/SensorSimulator.h"

namespace {

using namespace ridgeport;

sim::GreyImage finger() {
  auto image = sim::GreyImage::loadPgm(LOCKMERE_FINGERPRINTS_DIR "/fvc2000_db1_b/101_1.pgm");
  if (image.empty()) image = sim::GreyImage(300, 300, 128);
  return image.inverted();
}

const std::vector<std::uint8_t>& fingerFrame() {
  static const auto frame = sim::FrameSynthesizer::shared().rawFrame(finger());
  return frame;
}

void BM_CorrectFrame(benchmark::State& state) {
  const auto& raw = fingerFrame();
  std::vector<std::uint8_t> frame(raw.size());
  FrameCorrector::shared();  // tables are built once per process, before the first capture
  for (auto _ : state) {
    std::memcpy(frame.data(), raw.data(), raw.size());
    FrameCorrector::shared().correct(frame.data());
    benchmark::DoNotOptimize(frame.data());
  }
}
BENCHMARK(BM_CorrectFrame)->Unit(benchmark::kMicrosecond);

void BM_CorrectFrameDirect(benchmark::State& state) {
  const auto& raw = fingerFrame();
  std::vector<std::uint8_t> frame(raw.size());
  for (auto _ : state) {
    std::memcpy(frame.data(), raw.data(), raw.size());
    correctFrameDirect(frame.data());
    benchmark::DoNotOptimize(frame.data());
  }
}
BENCHMARK(BM_CorrectFrameDirect)->Unit(benchmark::kMicrosecond);

// Request, read and correction through the socket of an in-process simulator.
void BM_GetWholeImage(benchmark::State& state) {
  sim::SensorSimulator simulator;
  if (!simulator.plug({}) || !simulator.setFinger(0, finger())) {
    state.SkipWithError("simulated sensor not available");
    return;
  }
  char message[256];
  int error = 0;
  if (VD_OpenSensor(message, &error) != 1) {
    state.SkipWithError(message);
    return;
  }
  std::vector<unsigned char> image(RIDGEPORT_IMAGE_SIZE);
  for (auto _ : state) {
    if (VD_GetWholeImage(image.data(), message, &error) != 1) {
      state.SkipWithError(message);
      break;
    }
    benchmark::DoNotOptimize(image.data());
  }
  VD_CloseSensor(message, &error);
}
// Process CPU time: the simulator thread's share of the transfer counts too.
BENCHMARK(BM_GetWholeImage)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // A private home, so that the benchmark's sensor is nobody else's.
  std::string home;
  if (!std::getenv("LOCKMERE_HOME")) {
    std::string pattern = (std::filesystem::temp_directory_path() / "bench-ridgeport-XXXXXX").string();
    if (::mkdtemp(pattern.data())) {
      home = pattern;
      ::setenv("LOCKMERE_HOME", home.c_str(), 1);
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!home.empty()) std::filesystem::remove_all(home);
  return 0;
}
