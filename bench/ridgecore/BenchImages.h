#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The real fingerprints for the benchmarks, in the sensor's polarity.
namespace ridgecorebench {

struct BenchImage {
  std::string name;  // set/file
  std::vector<uint8_t> pixels;
};

// Every image of every sample set (loaded once).
const std::vector<BenchImage>& realImages();

// Those whose extraction passes the quality gate: the ones that run every stage.
const std::vector<BenchImage>& extractableImages();

}  // namespace ridgecorebench
