#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reading 300 x 300 grey images for the tools, tests and benchmarks: binary
// PGM (P5, maxval 255) or a raw file of exactly 90000 bytes.
namespace ridgecore::tools {

// Returns false with a reason in `error` when the file is unreadable or not 300 x 300.
bool readGreyImage(const std::string& path, std::vector<uint8_t>& pixels, std::string& error);

// 255 - value: the sample sets have dark ridges, the sensor bright ones.
void invertImage(std::vector<uint8_t>& pixels);

// The .pgm files of a folder, sorted by name.
std::vector<std::string> listImages(const std::string& folder);

}  // namespace ridgecore::tools
