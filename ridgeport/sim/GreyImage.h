#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ridgeport::sim {

// An 8-bit grey image, row-major.
struct GreyImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  GreyImage() = default;
  GreyImage(int w, int h, std::uint8_t fill = 0) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}

  bool empty() const { return pixels.empty(); }
  std::uint8_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
  std::uint8_t& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }

  // 255 - value: from paper polarity (dark ridges) to the sensor's (bright ridges).
  GreyImage inverted() const;

  // Binary PGM (P5, maxval 255). Returns an empty image and sets *error when the
  // file cannot be read or is not such a PGM.
  static GreyImage loadPgm(const std::string& path, std::string* error = nullptr);
  bool savePgm(const std::string& path, std::string* error = nullptr) const;
};

}  // namespace ridgeport::sim
