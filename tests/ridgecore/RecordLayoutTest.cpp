// Record layouts, template header and the retry picture.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "api/FinalizeTemplate.h"
#include "api/RecordLayout.h"
#include "api/RetryPicture.h"

using namespace ridgecore::api;

extern "C" int ridgecoreLayoutFromC(void);

namespace {

TEST(RecordLayout, TheHeaderGivesCTheSameLayouts) { EXPECT_EQ(ridgecoreLayoutFromC(), 1); }

TEST(RecordLayout, FieldsSitAtTheirOffsets) {
  EXPECT_EQ(offsetof(tagFDATA, count), 30u);
  EXPECT_EQ(offsetof(tagFDATA, minutiae[0].x), 31u);
  EXPECT_EQ(offsetof(tagFDATA, minutiae[1].x), 31u + 23u);
  EXPECT_EQ(offsetof(tagFDATA, minutiae[49].reserved) + 20, 1181u);
  EXPECT_EQ(offsetof(tagFDATA, mark), 1185u);
  EXPECT_EQ(offsetof(tagENROLL, dpi), 8u);
  EXPECT_EQ(offsetof(tagENROLL, impressions), 12u);
  EXPECT_EQ(offsetof(tagENROLL, slot[0]), 16u);
  EXPECT_EQ(offsetof(tagENROLL, slot[1]), 1208u);
  EXPECT_EQ(offsetof(tagENROLL, slot[2]), 2400u);
  EXPECT_EQ(offsetof(tagENROLL, flags), 3592u);
  EXPECT_EQ(offsetof(tagENROLL, reserved), 3595u);
  EXPECT_EQ(offsetof(tagFASTFDATA, mark), 4u);
  EXPECT_EQ(offsetof(tagFASTENROLL, resolution5), 7u);
  EXPECT_EQ(offsetof(tagFASTENROLL, slot[0]), 9u);
  EXPECT_EQ(offsetof(tagFASTENROLL, slot[1]), 5219u);
  EXPECT_EQ(offsetof(tagFASTENROLL, slot[2]), 10429u);
  EXPECT_EQ(offsetof(tagFASTENROLL, flags), 15639u);
  EXPECT_EQ(offsetof(tagFASTENROLL, reserved), 15642u);
}

TEST(RecordLayout, ValidityMarks) {
  tagFDATA record{};
  EXPECT_FALSE(hasFDataMark(record));
  writeFDataMark(record);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(&record) + 1185, "1040DV", 6), 0);
  EXPECT_TRUE(hasFDataMark(record));
  record.mark[5] = 'W';  // byte 1190
  EXPECT_FALSE(hasFDataMark(record));
  tagFASTFDATA fast{};
  writeFastFDataMark(fast);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(&fast) + 4, "1040TF", 6), 0);
}

TEST(FinalizeTemplate, WritesTheClassicHeaderAndZeroesSixReservedBytes) {
  std::vector<uint8_t> t(sizeof(tagENROLL), 0xEE);
  char message[256];
  int error = 1;
  Reply reply(message, &error);
  EXPECT_EQ(finalizeTemplate(t.data(), TemplateKind::Classic, reply), 1);
  const uint8_t header[] = {1, 0xDA, 5, 0, 0, 150, 150, 0xEE, 0xE0, 0x01, 0, 0, 3, 0xEE};
  EXPECT_EQ(std::memcmp(t.data(), header, sizeof header), 0);
  for (int i = 3595; i <= 3600; ++i) EXPECT_EQ(t[i], 0) << i;
  EXPECT_EQ(t[3601], 0xEE);
  EXPECT_EQ(t[3592], 0xEE) << "the slots and flags are not touched";
  EXPECT_EQ(t[16], 0xEE);
}

TEST(FinalizeTemplate, WritesTheFastHeader) {
  std::vector<uint8_t> t(sizeof(tagFASTENROLL), 0xEE);
  Reply reply(nullptr, nullptr);
  finalizeTemplate(t.data(), TemplateKind::Fast, reply);
  const uint8_t header[] = {2, 0xDA, 5, 0, 0, 150, 150, 96, 0xEE, 0xEE};
  EXPECT_EQ(std::memcmp(t.data(), header, sizeof header), 0);
  for (int i = 15642; i <= 15647; ++i) EXPECT_EQ(t[i], 0) << i;
  EXPECT_EQ(t[15648], 0xEE);
}

TEST(FinalizeTemplate, RefusesANullTemplate) {
  char message[256];
  int error = 0;
  Reply reply(message, &error);
  EXPECT_EQ(finalizeTemplate(nullptr, TemplateKind::Classic, reply), 0);
  EXPECT_STREQ(message, "(WEHI) Wrong param : pFinger is NULL.");
  EXPECT_EQ(error, -1);
}

TEST(RetryPicture, IsATwoValuedFramedPrompt) {
  const uint8_t* p = retryPicture();
  int ink = 0;
  for (int i = 0; i < kRetryWidth * kRetryHeight; ++i) {
    ASSERT_TRUE(p[i] == 0 || p[i] == 128) << i;
    ink += p[i] == 0;
  }
  EXPECT_GT(ink, 2 * (kRetryWidth + kRetryHeight)) << "more than the frame";
  EXPECT_EQ(p[0], 0);
  EXPECT_EQ(p[kRetryWidth + 1], 128);
}

template <int Side>
void expectRetryDrawn(const std::vector<uint8_t>& image, int top, int left) {
  const uint8_t* p = retryPicture();
  for (int r = 0; r < Side; ++r) {
    for (int c = 0; c < Side; ++c) {
      const bool inPicture = r >= top && r < top + kRetryHeight && c >= left && c < left + kRetryWidth;
      const uint8_t expected = inPicture ? p[(r - top) * kRetryWidth + c - left] : (r == c ? 0 : 128);
      ASSERT_EQ(image[r * Side + c], expected) << r << "," << c;
    }
  }
}

TEST(RetryPicture, FillsThePreviewAndTheFeatureImage) {
  std::vector<uint8_t> preview(100 * 100, 77), image(300 * 300, 77);
  drawRetryIntoPreview(preview.data());
  drawRetryIntoImage(image.data());
  expectRetryDrawn<100>(preview, 35, 16);
  expectRetryDrawn<300>(image, 45, 116);
}

}  // namespace
