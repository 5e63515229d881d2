#include <gtest/gtest.h>

#include "platform/Cp949.h"

namespace cp949 = platform::cp949;

TEST(Cp949, HangulAndAsciiRoundTrip) {
  const std::string text = "Lockmere 사용자 ID 홍길동-42";
  auto bytes = cp949::fromUtf8(text);
  ASSERT_TRUE(bytes);
  // Two bytes per Hangul syllable, one per ASCII character.
  EXPECT_EQ(bytes->size(), 28u);
  auto back = cp949::toUtf8(*bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, text);
}

TEST(Cp949, KnownBytes) {
  // "가" is 0xB0 0xA1 in the Korean code page; "똠" exists only in its extension.
  EXPECT_EQ(*cp949::fromUtf8("가"), std::string("\xB0\xA1"));
  auto ext = cp949::fromUtf8("똠");
  ASSERT_TRUE(ext);
  EXPECT_EQ(ext->size(), 2u);
  EXPECT_EQ(*cp949::toUtf8(*ext), "똠");
}

TEST(Cp949, InvalidInputIsAnError) {
  EXPECT_FALSE(cp949::fromUtf8("\xC3"));              // truncated UTF-8
  EXPECT_FALSE(cp949::fromUtf8("\xFF\xFE"));          // not UTF-8 at all
  EXPECT_FALSE(cp949::fromUtf8("\xF0\x9F\x98\x80"));  // emoji: not in the code page
  EXPECT_FALSE(cp949::toUtf8("\xB0"));                // lead byte without trail
  EXPECT_FALSE(cp949::toUtf8("\xFF\xFF"));
}

TEST(Cp949, EmptyAndLongInput) {
  EXPECT_EQ(*cp949::fromUtf8(""), "");
  std::string many;
  for (int i = 0; i < 5000; ++i) many += "한";
  auto bytes = cp949::fromUtf8(many);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 10000u);
  EXPECT_EQ(*cp949::toUtf8(*bytes), many);
}

TEST(Cp949, NulBytesInFixedFieldsSurviveBothWays) {
  // Key blocks and records hold an ID followed by NUL padding.
  const std::string field("홍길동\0\0x", 12);
  auto bytes = cp949::fromUtf8(field);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, std::string("\xC8\xAB\xB1\xE6\xB5\xBF\0\0x", 9));
  EXPECT_EQ(*cp949::toUtf8(*bytes), field);
}

TEST(Cp949, AnErrorAfterValidTextGivesNoPartialResult) {
  EXPECT_FALSE(cp949::fromUtf8("홍길동\xFF"));
  EXPECT_FALSE(cp949::fromUtf8("홍길동😀"));
  EXPECT_FALSE(cp949::toUtf8("\xC8\xAB\xB1"));  // the last character is cut
  EXPECT_FALSE(cp949::toUtf8("ab\x80"));
}
