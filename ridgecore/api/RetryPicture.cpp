#include "api/RetryPicture.h"

#include <array>
#include <cstring>

namespace ridgecore::api {
namespace {

struct Glyph {
  char letter;
  const char* rows[7];
};

// 5 x 7 capitals for the prompt.
constexpr Glyph kGlyphs[] = {
    {'P', {"XXXX.", "X...X", "X...X", "XXXX.", "X....", "X....", "X...."}},
    {'L', {"X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"}},
    {'E', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"}},
    {'A', {".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
    {'S', {".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."}},
    {'T', {"XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."}},
    {'R', {"XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"}},
    {'Y', {"X...X", "X...X", ".X.X.", "..X..", "..X..", "..X..", "..X.."}},
    {'G', {".XXX.", "X...X", "X....", "X.XXX", "X...X", "X...X", ".XXX."}},
    {'I', {".XXX.", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."}},
    {'N', {"X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X", "X...X"}},
};

constexpr const Glyph* glyphOf(char letter) {
  for (const Glyph& g : kGlyphs) {
    if (g.letter == letter) return &g;
  }
  return nullptr;
}

constexpr int textWidth(const char* text) {
  int n = 0;
  while (text[n]) ++n;
  return n * 6 - 1;
}

constexpr void drawText(std::array<uint8_t, kRetryWidth * kRetryHeight>& picture, const char* text, int top) {
  int left = (kRetryWidth - textWidth(text)) / 2;
  for (const char* t = text; *t; ++t, left += 6) {
    const Glyph* g = glyphOf(*t);
    if (!g) continue;
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 5; ++x) {
        if (g->rows[y][x] == 'X') picture[(top + y) * kRetryWidth + left + x] = kRetryInk;
      }
    }
  }
}

constexpr std::array<uint8_t, kRetryWidth * kRetryHeight> makePicture() {
  std::array<uint8_t, kRetryWidth * kRetryHeight> picture{};
  for (int y = 0; y < kRetryHeight; ++y) {
    for (int x = 0; x < kRetryWidth; ++x) {
      const bool frame = y == 0 || x == 0 || y == kRetryHeight - 1 || x == kRetryWidth - 1;
      picture[y * kRetryWidth + x] = frame ? kRetryInk : kRetryPaper;
    }
  }
  drawText(picture, "PLEASE", 5);
  drawText(picture, "TRY AGAIN", 16);
  return picture;
}

constexpr std::array<uint8_t, kRetryWidth* kRetryHeight> kPicture = makePicture();

void draw(uint8_t* image, int side, int top, int left) {
  std::memset(image, kRetryPaper, static_cast<size_t>(side) * side);
  for (int i = 0; i < side; ++i) image[i * side + i] = kRetryInk;
  for (int y = 0; y < kRetryHeight; ++y)
    std::memcpy(image + (top + y) * side + left, &kPicture[y * kRetryWidth], kRetryWidth);
}

}  // namespace

const uint8_t* retryPicture() { return kPicture.data(); }

void drawRetryIntoPreview(uint8_t* preview) { draw(preview, 100, 35, 16); }

void drawRetryIntoImage(uint8_t* image) { draw(image, 300, 45, 116); }

}  // namespace ridgecore::api
