#include "tools/GreyImageFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace ridgecore::tools {
namespace {

constexpr int kSide = 300;
constexpr size_t kPixels = kSide * kSide;

// Next header token of a PGM, skipping white space and comments.
bool nextToken(const std::vector<uint8_t>& data, size_t& pos, std::string& token) {
  token.clear();
  while (pos < data.size()) {
    if (data[pos] == '#') {
      while (pos < data.size() && data[pos] != '\n') ++pos;
    } else if (std::isspace(data[pos])) {
      ++pos;
    } else {
      break;
    }
  }
  while (pos < data.size() && !std::isspace(data[pos])) token.push_back(static_cast<char>(data[pos++]));
  return !token.empty();
}

}  // namespace

bool readGreyImage(const std::string& path, std::vector<uint8_t>& pixels, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (data.size() == kPixels && !(data[0] == 'P' && data[1] == '5')) {
    pixels = std::move(data);
    return true;
  }
  size_t pos = 0;
  std::string magic, width, height, maxval;
  if (!nextToken(data, pos, magic) || magic != "P5" || !nextToken(data, pos, width) || !nextToken(data, pos, height) ||
      !nextToken(data, pos, maxval)) {
    error = path + " is neither a binary PGM nor a raw 90000-byte image";
    return false;
  }
  if (width != "300" || height != "300" || maxval != "255") {
    error = path + " is " + width + " x " + height + " (maxval " + maxval + "); 300 x 300, maxval 255 needed";
    return false;
  }
  ++pos;  // the single white-space byte after maxval
  if (data.size() < pos + kPixels) {
    error = path + " is truncated";
    return false;
  }
  pixels.assign(data.begin() + static_cast<std::ptrdiff_t>(pos),
                data.begin() + static_cast<std::ptrdiff_t>(pos + kPixels));
  return true;
}

void invertImage(std::vector<uint8_t>& pixels) {
  for (uint8_t& p : pixels) p = static_cast<uint8_t>(255 - p);
}

std::vector<std::string> listImages(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.is_regular_file() && entry.path().extension() == ".pgm") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace ridgecore::tools
