// Stage 7: line test, gap bridging, small regions, structure check, thinning.
#include <gtest/gtest.h>

#include "extract/ContourTracer.h"
#include "extract/ExtractionTables.h"
#include "extract/GapBridging.h"
#include "extract/HilditchThinning.h"
#include "extract/LineTest.h"
#include "extract/PixelFlood.h"
#include "extract/SmallRegions.h"
#include "extract/StructureCheck.h"
#include "tests/ridgecore/SyntheticImages.h"

using namespace ridgecore;
using namespace ridgecoretest;

namespace {

int block(int i, int j) { return i * kGridSide + j; }

// Interior blocks 4..55 with direction `d`, the rest without.
std::vector<uint8_t> interiorDirections(uint8_t d) {
  std::vector<uint8_t> directions(kGridBlocks, kNoDirection);
  for (int i = 4; i <= 55; ++i) {
    for (int j = 4; j <= 55; ++j) directions[block(i, j)] = d;
  }
  return directions;
}

TEST(LineTest, AboveTwoFiftyOneIsRidgeAndBelowFiveNever) {
  std::vector<uint8_t> filtered(kImagePixels, 100), binary(kImagePixels);
  // A bright horizontal line: every pixel on it passes the line test...
  for (int c = 40; c < 260; ++c) filtered[150 * kSide + c] = 200;
  filtered[150 * kSide + 100] = 4;    // ...except one too dark to be ridge
  filtered[100 * kSide + 100] = 252;  // and a lone pixel bright enough by itself
  const std::vector<uint8_t> d = interiorDirections(0);
  const std::vector<uint8_t> p(kGridBlocks, 10);
  binariseByLineTest(extractionTables(), filtered.data(), d.data(), p.data(), binary.data());
  EXPECT_EQ(binary[150 * kSide + 120], 0);
  EXPECT_EQ(binary[150 * kSide + 100], 255);
  EXPECT_EQ(binary[100 * kSide + 100], 0);
  EXPECT_EQ(binary[101 * kSide + 100], 255);
  EXPECT_EQ(binary[155 * kSide + 120], 255) << "valley beside the line";
  EXPECT_EQ(binary[10 * kSide + 10], 255) << "outside the finger everything is background";
}

TEST(ContourTracer, WalksTheBoundaryCounterClockwiseFromTheTopLeft) {
  BinaryCanvas canvas;
  canvas.fill(10, 20, 12, 22);
  ContourTracer tracer;
  const int n = tracer.trace(10 * kSide + 22, [&](int p) { return canvas.data()[p] == 0; });
  const int expected[][2] = {{10, 20}, {11, 20}, {12, 20}, {12, 21}, {12, 22}, {11, 22}, {10, 22}, {10, 21}};
  ASSERT_EQ(n, 8);
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(tracer.points()[i], expected[i][0] * kSide + expected[i][1]) << "point " << i;
  }
  BinaryCanvas lone;
  lone.set(50, 50);
  EXPECT_EQ(tracer.trace(50 * kSide + 50, [&](int p) { return lone.data()[p] == 0; }), 1);
}

// Two 3-pixel-wide horizontal bars whose ends face each other across `gap` pixels.
BinaryCanvas facingBars(int gap) {
  BinaryCanvas canvas;
  canvas.fill(100, 50, 102, 99);
  canvas.fill(100, 100 + gap, 102, 160 + gap);
  return canvas;
}

TEST(GapBridging, JoinsFacingEndsTwoPixelsApartButNotTen) {
  const std::vector<uint8_t> d = interiorDirections(0);
  ContourTracer tracer;
  PixelFlood flood;
  BinaryCanvas close = facingBars(2);
  bridgeGaps(close.data(), d.data(), tracer, flood);
  EXPECT_EQ(close.at(101, 100), 0);
  EXPECT_EQ(close.at(101, 101), 0);

  BinaryCanvas far = facingBars(10);
  bridgeGaps(far.data(), d.data(), tracer, flood);
  EXPECT_EQ(far.count(0, 95, 100, 107, 109), 0) << "a 10-pixel gap stays open";
  EXPECT_EQ(far.count(0), 3 * 50 + 3 * 61) << "nothing else changes";
}

TEST(GapBridging, OnlyTipsInInteriorBlocksGrow) {
  std::vector<uint8_t> d = interiorDirections(0);
  d[block(20, 19)] = 64;  // the tip of the left bar lies in a rim block
  ContourTracer tracer;
  PixelFlood flood;
  BinaryCanvas canvas = facingBars(2);
  // The right bar's tip grows towards the left one; make that impossible too.
  d[block(20, 20)] = 64;
  bridgeGaps(canvas.data(), d.data(), tracer, flood);
  EXPECT_EQ(canvas.at(101, 100), 255);
  EXPECT_EQ(canvas.at(101, 101), 255);
}

TEST(SmallRegions, IslandsBelowFiftyAndHolesBelowHundredGo) {
  BinaryCanvas canvas;
  canvas.fill(20, 20, 24, 27);           // island of 40: removed
  canvas.fill(20, 60, 24, 69);           // island of 50: kept
  canvas.fill(100, 100, 139, 139);       // ridge block with two holes
  canvas.fill(105, 105, 113, 114, 255);  // hole of 90: filled
  canvas.fill(120, 120, 129, 129, 255);  // hole of 100: kept
  removeSmallRegions(canvas.data());
  EXPECT_EQ(canvas.count(0, 20, 20, 24, 27), 0);
  EXPECT_EQ(canvas.count(0, 20, 60, 24, 69), 50);
  EXPECT_EQ(canvas.count(0, 105, 105, 113, 114), 90);
  EXPECT_EQ(canvas.count(255, 120, 120, 129, 129), 100);
}

TEST(StructureCheck, RegionsOfOnlySharpPointsTakeTheDirectionAway) {
  BinaryCanvas dots;
  for (int r = 22; r < 278; r += 8) {
    for (int c = 22; c < 278; c += 8) dots.fill(r, c, r + 2, c + 2);  // contours of 8 sharp points
  }
  std::vector<uint8_t> d = interiorDirections(0);
  ContourTracer tracer;
  PixelFlood flood;
  checkRidgeStructure(extractionTables(), dots.data(), d.data(), tracer, flood);
  for (int b = 0; b < kGridBlocks; ++b) ASSERT_FALSE(isInteriorBlock(d[b])) << "block " << b;
}

TEST(StructureCheck, RegularParallelRidgesKeepTheirDirection) {
  // Every block row holds contour points: blocks without any get no vote and count as bad.
  BinaryCanvas ridges;
  for (int r = 20; r < 280; r += 5) ridges.fill(r, 20, r + 1, 279);  // valleys 3 wide
  std::vector<uint8_t> d = interiorDirections(0);
  ContourTracer tracer;
  PixelFlood flood;
  checkRidgeStructure(extractionTables(), ridges.data(), d.data(), tracer, flood);
  EXPECT_EQ(d[block(30, 30)], 0);
  EXPECT_EQ(d[block(12, 40)], 0);
}

TEST(HilditchThinning, ThreePixelBarBecomesAOnePixelLine) {
  BinaryCanvas canvas;
  canvas.fill(100, 50, 102, 150);
  thinRidges(canvas.data());
  for (int c = 53; c <= 147; ++c) EXPECT_EQ(canvas.count(0, 95, c, 107, c), 1) << "column " << c;
  // Still one 8-connected line.
  PixelFlood flood;
  int start = -1;
  for (int p = 0; p < kImagePixels && start < 0; ++p) {
    if (canvas.data()[p] == 0) start = p;
  }
  ASSERT_GE(start, 0);
  const int total = canvas.count(0);
  const int connected = flood.fill(
      start, true, [&](int p) { return canvas.data()[p] == 0; }, [&](int p) { canvas.data()[p] = 1; });
  EXPECT_EQ(connected, total);
}

TEST(HilditchThinning, APixelWithOneRidgeNeighbourStays) {
  BinaryCanvas canvas;
  canvas.set(60, 60);
  canvas.set(60, 61);
  canvas.set(200, 200);
  for (int i = 0; i < 20; ++i) canvas.set(120 + i, 120 + i);  // a diagonal line is already thin
  thinRidges(canvas.data());
  EXPECT_EQ(canvas.at(60, 60), 0);
  EXPECT_EQ(canvas.at(60, 61), 0);
  EXPECT_EQ(canvas.at(200, 200), 0);
  EXPECT_EQ(canvas.count(0, 120, 120, 139, 139), 20);
}

TEST(HilditchThinning, ConnectivityNumberCountsSeparateRidgeArcs) {
  EXPECT_EQ(connectivityNumber(0), 0);
  EXPECT_EQ(connectivityNumber(1u), 1);                      // right only
  EXPECT_EQ(connectivityNumber(1u | 1u << 4), 2);            // right and left
  EXPECT_EQ(connectivityNumber(1u | 1u << 1 | 1u << 2), 1);  // right, up-right, up
  EXPECT_EQ(connectivityNumber(1u << 1 | 1u << 5), 2);       // two diagonals
  EXPECT_EQ(connectivityNumber(0xFF), 0);                    // interior pixel
}

}  // namespace
