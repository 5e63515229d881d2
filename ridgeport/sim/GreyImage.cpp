#include "ridgeport/sim/GreyImage.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace ridgeport::sim {
namespace {

GreyImage fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return {};
}

// Next header number of a PGM, skipping white space and comments.
bool headerNumber(std::istream& in, long& value) {
  for (;;) {
    int c = in.peek();
    if (c == '#') {
      std::string comment;
      std::getline(in, comment);
    } else if (c != EOF && std::isspace(c)) {
      in.get();
    } else {
      break;
    }
  }
  if (!std::isdigit(in.peek())) return false;
  in >> value;
  return static_cast<bool>(in);
}

}  // namespace

GreyImage GreyImage::inverted() const {
  GreyImage out = *this;
  for (auto& p : out.pixels) p = static_cast<std::uint8_t>(255 - p);
  return out;
}

GreyImage GreyImage::loadPgm(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(error, path + ": cannot open");
  char magic[2] = {};
  in.read(magic, 2);
  if (!in || magic[0] != 'P' || magic[1] != '5') return fail(error, path + ": not a binary PGM (P5)");
  long w = 0, h = 0, maxval = 0;
  if (!headerNumber(in, w) || !headerNumber(in, h) || !headerNumber(in, maxval))
    return fail(error, path + ": damaged PGM header");
  if (w <= 0 || h <= 0 || w > 10000 || h > 10000) return fail(error, path + ": unreasonable PGM size");
  if (maxval != 255) return fail(error, path + ": only 8-bit PGM (maxval 255) is supported");
  if (!std::isspace(in.get())) return fail(error, path + ": damaged PGM header");
  GreyImage image(static_cast<int>(w), static_cast<int>(h));
  in.read(reinterpret_cast<char*>(image.pixels.data()), static_cast<std::streamsize>(image.pixels.size()));
  if (in.gcount() != static_cast<std::streamsize>(image.pixels.size())) return fail(error, path + ": truncated PGM");
  return image;
}

bool GreyImage::savePgm(const std::string& path, std::string* error) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "P5\n" << width << ' ' << height << "\n255\n";
  out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  out.close();
  if (!out && error) *error = path + ": cannot write";
  return static_cast<bool>(out);
}

}  // namespace ridgeport::sim
