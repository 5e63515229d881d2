// Security level, algorithm version and resolution of both template kinds.
#include <gtest/gtest.h>

#include <vector>

#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RidgecoreLibrary.h"

using namespace ridgecoretest;

namespace {

// A completed classic template as FinalizeTemplate leaves it.
std::vector<uint8_t> classicTemplate() {
  std::vector<uint8_t> t(sizeof(tagENROLL), 0);
  const uint8_t header[] = {1, 0xDA, 5, 0, 0, 150, 150, 0, 0xE0, 0x01, 0, 0, 3};
  std::copy(std::begin(header), std::end(header), t.begin());
  return t;
}

std::vector<uint8_t> fastTemplate() {
  std::vector<uint8_t> t(sizeof(tagFASTENROLL), 0);
  const uint8_t header[] = {2, 0xDA, 5, 0, 0, 150, 150, 96};
  std::copy(std::begin(header), std::end(header), t.begin());
  return t;
}

tagENROLL* classic(std::vector<uint8_t>& t) { return reinterpret_cast<tagENROLL*>(t.data()); }
tagFASTENROLL* fast(std::vector<uint8_t>& t) { return reinterpret_cast<tagFASTENROLL*>(t.data()); }

TEST(ClassicAccessors, ReadACompletedTemplate) {
  std::vector<uint8_t> t = classicTemplate();
  int value = 0;
  char text[64] = "";
  ExportCall call;
  EXPECT_EQ(lib().VD_GetSecurityLevel(classic(t), &value, call.message, &call.error), 1);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(lib().VD_GetDPIInfo(classic(t), &value, call.message, &call.error), 1);
  EXPECT_EQ(value, 480);
  EXPECT_EQ(lib().VD_GetAlgoVer(classic(t), &value, text, call.message, &call.error), 1);
  EXPECT_EQ(value, 100208);
  EXPECT_STREQ(text, "ALGO: (VERADYNICS) AUGUST, 2002");
  EXPECT_EQ(call.text(), "Veradynics");
  EXPECT_EQ(call.error, 0);
}

TEST(ClassicAccessors, AlgorithmFollowsTheTemplateType) {
  std::vector<uint8_t> t = classicTemplate();
  int version = -1;
  char text[64] = "";
  ExportCall call;
  t[0] = 2;
  EXPECT_EQ(lib().VD_GetAlgoVer(classic(t), &version, text, call.message, &call.error), 1);
  EXPECT_EQ(version, 100404);
  EXPECT_STREQ(text, "ALGO: (VERADYNICS) JANUARY, 2004");
  t[0] = 7;
  EXPECT_EQ(lib().VD_GetAlgoVer(classic(t), &version, text, call.message, &call.error), 1);
  EXPECT_EQ(version, 0);
  EXPECT_STREQ(text, "??? ALGO: (VERADYNICS) DON'T KNOW ???");
  EXPECT_EQ(call.error, 0);
}

TEST(ClassicAccessors, SecurityLevelRangeThenMagic) {
  std::vector<uint8_t> t = classicTemplate();
  ExportCall call;
  for (int level : {0, 6}) {
    EXPECT_EQ(lib().VD_SetSecurityLevel(classic(t), level, call.message, &call.error), 0);
    EXPECT_EQ(call.error, -1);
    EXPECT_EQ(call.text(), "(VD_SetSecurityLevel) VD_SECURITYMIN <= iSecurityLevel <= VD_SECURITYMAX");
    EXPECT_EQ(t[2], 5);
  }
  t[0] = 9;  // the classic accessors do not look at the type
  EXPECT_EQ(lib().VD_SetSecurityLevel(classic(t), 3, call.message, &call.error), 1);
  EXPECT_EQ(t[2], 3);
  t[1] = 0;
  EXPECT_EQ(lib().VD_SetSecurityLevel(classic(t), 4, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -8);
  EXPECT_EQ(call.text(), "(VD_SetSecurityLevel) There is an error in ENROLL data.");
  EXPECT_EQ(t[2], 3);
}

TEST(ClassicAccessors, WithoutTheMagicEachNamesItself) {
  std::vector<uint8_t> t(sizeof(tagENROLL), 0);
  int value = 0;
  char text[64];
  ExportCall call;
  EXPECT_EQ(lib().VD_GetSecurityLevel(classic(t), &value, call.message, &call.error), 0);
  EXPECT_EQ(call.text(), "(VD_GetSecurityLevel) There is an error in ENROLL data.");
  EXPECT_EQ(lib().VD_GetAlgoVer(classic(t), &value, text, call.message, &call.error), 0);
  EXPECT_EQ(call.text(), "(VD_GetAlgoVer) There is an error in ENROLL data.");
  EXPECT_EQ(lib().VD_GetDPIInfo(classic(t), &value, call.message, &call.error), 0);
  EXPECT_EQ(call.text(), "(VD_GetDPIInfo) There is an error in ENROLL data.");
  EXPECT_EQ(call.error, -8);
  EXPECT_EQ(lib().VD_GetDPIInfo(nullptr, &value, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -1);
}

TEST(FastAccessors, ReadACompletedFastTemplate) {
  std::vector<uint8_t> t = fastTemplate();
  int value = 0;
  char text[64] = "";
  ExportCall call;
  EXPECT_EQ(lib().VD_FAST_GetSecurityLevel(fast(t), &value, call.message, &call.error), 1);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(lib().VD_FAST_GetDPIInfo(fast(t), &value, call.message, &call.error), 1);
  EXPECT_EQ(value, 480);
  EXPECT_EQ(lib().VD_FAST_GetAlgoVer(fast(t), &value, text, call.message, &call.error), 1);
  EXPECT_EQ(value, 100404);
  EXPECT_STREQ(text, "ALGO: (VERADYNICS) JANUARY, 2004");
  EXPECT_EQ(lib().VD_FAST_SetSecurityLevel(fast(t), 2, call.message, &call.error), 1);
  EXPECT_EQ(t[2], 2);
}

TEST(FastAccessors, NeedTypeTwoAndTheMagic) {
  for (int spoilt : {0, 1}) {
    std::vector<uint8_t> t = fastTemplate();
    t[spoilt] = spoilt == 0 ? 1 : 0;
    int value = 0;
    char text[64];
    ExportCall call;
    EXPECT_EQ(lib().VD_FAST_GetSecurityLevel(fast(t), &value, call.message, &call.error), 0);
    EXPECT_EQ(call.error, -8);
    EXPECT_EQ(call.text(), "(S_F_GSL) There is an error in ENROLL data.");
    EXPECT_EQ(lib().VD_FAST_GetAlgoVer(fast(t), &value, text, call.message, &call.error), 0);
    EXPECT_EQ(call.text(), "(S_F_GAV) There is an error in ENROLL data.");
    EXPECT_EQ(lib().VD_FAST_GetDPIInfo(fast(t), &value, call.message, &call.error), 0);
    EXPECT_EQ(call.text(), "(S_F_GDI) There is an error in ENROLL data.");
    EXPECT_EQ(lib().VD_FAST_SetSecurityLevel(fast(t), 3, call.message, &call.error), 0);
    EXPECT_EQ(call.text(), "(S_F_SSL) There is an error in ENROLL data.");
    EXPECT_EQ(t[2], 5);
  }
  std::vector<uint8_t> t = fastTemplate();
  ExportCall call;
  EXPECT_EQ(lib().VD_FAST_SetSecurityLevel(fast(t), 6, call.message, &call.error), 0);
  EXPECT_EQ(call.text(), "(S_F_SSL) VD_SECURITYMIN <= iSecurityLevel <= VD_SECURITYMAX");
}

}  // namespace
