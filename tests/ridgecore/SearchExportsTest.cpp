// Parameter checks and probes of the comparison exports through
// libRidgecore.so.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "tests/ridgecore/ExportCall.h"
#include "tests/ridgecore/RealFingerprints.h"
#include "tests/ridgecore/RidgecoreLibrary.h"

using namespace ridgecoretest;

namespace {

std::vector<uint8_t> goodImage() { return sensorImage(realImages("fvc2002_db1_b").at(0)); }

// One search export bound to its probe: (count, dataSize, headerSize, index, score, call) -> result.
using Search = std::function<int(int, int, int, int*, int*, ExportCall&)>;

struct SearchExport {
  const char* tag;
  int maximum;
  const char* limitMessage;
  Search search;
};

std::vector<SearchExport> searchExports() {
  static std::vector<uint8_t> image = goodImage();
  static std::vector<uint8_t> buffer(3656 * 60, 0);
  static tagFDATA record = [] {
    tagFDATA r;
    ExportCall call;
    lib().VD_ExtractFData(image.data(), &r, call.message, &call.error);
    return r;
  }();
  static tagFASTFDATA fast = [] {
    tagFASTFDATA f{};
    std::memcpy(f.mark, "1040TF", 6);
    return f;
  }();
  const char* classicLimit =
      "VD_CompareEnroll1toN(..) supports maximum 60 users. Please use VD_FAST_CompareEnroll1toN(..)";
  const char* fastLimit = "Summit-SDK support maximum 32767 users. Please use Vault-SDK";
  return {
      {"S_CE1toN", 60, classicLimit,
       [](int n, int size, int header, int* index, int* score, ExportCall& c) {
         return lib().VD_CompareEnroll1toN(image.data(), buffer.data(), n, size, header, index, score, c.message,
                                           &c.error);
       }},
      {"S_CE1toNUF", 60, classicLimit,
       [](int n, int size, int header, int* index, int* score, ExportCall& c) {
         return lib().VD_CompareEnroll1toNUsingFData(&record, buffer.data(), n, size, header, index, score, c.message,
                                                     &c.error);
       }},
      {"S_F_CE1toN", 32767, fastLimit,
       [](int n, int size, int header, int* index, int* score, ExportCall& c) {
         return lib().VD_FAST_CompareEnroll1toN(image.data(), buffer.data(), n, size, header, index, score, c.message,
                                                &c.error);
       }},
      {"S_F_CE1toNUF", 32767, fastLimit,
       [](int n, int size, int header, int* index, int* score, ExportCall& c) {
         return lib().VD_FAST_CompareEnroll1toNUsingFData(&fast, buffer.data(), n, size, header, index, score,
                                                          c.message, &c.error);
       }},
  };
}

TEST(SearchExports, CheckTheirParametersInOrder) {
  for (const SearchExport& e : searchExports()) {
    SCOPED_TRACE(e.tag);
    const std::string tag = std::string("(") + e.tag + ") ";
    int index = 7, score = 7;
    ExportCall call;
    EXPECT_EQ(e.search(-1, 0, -1, &index, &score, call), 0);
    EXPECT_EQ(call.error, -1);
    EXPECT_EQ(call.text(), tag + "Wrong Param : 0 <= iUserCount <= 32767");
    EXPECT_EQ(index, -1);
    EXPECT_EQ(score, 0);

    EXPECT_EQ(e.search(e.maximum + 1, 0, -1, &index, &score, call), 0);
    EXPECT_EQ(call.error, -6);
    EXPECT_EQ(call.text(), e.limitMessage);

    EXPECT_EQ(e.search(e.maximum, 0, -1, &index, &score, call), 0);
    EXPECT_EQ(call.error, -1);
    EXPECT_EQ(call.text(), tag + "Wrong Param : 0 < iDataSize");

    EXPECT_EQ(e.search(1, 3656, -1, &index, &score, call), 0);
    EXPECT_EQ(call.error, -1);
    EXPECT_EQ(call.text(), tag + "Wrong Param : 0 <= iHeaderSize");

    EXPECT_EQ(e.search(1, 3656, 52, nullptr, &score, call), 0);
    EXPECT_EQ(call.error, -1);
  }
}

TEST(SearchExports, ZeroedRecordsAreNoTemplatesOnceTheChecksPass) {
  for (const SearchExport& e : searchExports()) {
    SCOPED_TRACE(e.tag);
    int index = 7, score = 7;
    ExportCall call;
    EXPECT_EQ(e.search(2, 3656, 52, &index, &score, call), 0);
    // Both families are wired in: the zeroed records hold no template.
    EXPECT_EQ(call.error, -8);
    EXPECT_EQ(call.text(), std::string("(") + e.tag + ") There is an error in ENROLL data.");
    EXPECT_EQ(index, -1);
    EXPECT_EQ(score, 0);
  }
}

TEST(SearchExports, ProbesAreCheckedBeforeTheSearch) {
  std::vector<uint8_t> buffer(3656, 0), grey(90000, 128);
  tagFDATA unmarked{};
  tagFASTFDATA unmarkedFast{};
  int index, score;
  ExportCall call;
  EXPECT_EQ(
      lib().VD_CompareEnroll1toN(grey.data(), buffer.data(), 1, 3656, 52, &index, &score, call.message, &call.error),
      0);
  EXPECT_EQ(call.error, -12);
  EXPECT_EQ(call.text(), "(S_CE1toN) The quality of fingerprint image is not good!");
  EXPECT_EQ(lib().VD_CompareEnroll1toNUsingFData(&unmarked, buffer.data(), 1, 3656, 52, &index, &score, call.message,
                                                 &call.error),
            0);
  EXPECT_EQ(call.error, -11);
  EXPECT_EQ(call.text(), "(S_CE1toNUF) Contaminated or Wrong FDATA!!!");
  EXPECT_EQ(lib().VD_FAST_CompareEnroll1toNUsingFData(&unmarkedFast, buffer.data(), 1, 3656, 52, &index, &score,
                                                      call.message, &call.error),
            0);
  EXPECT_EQ(call.error, -11);
  EXPECT_EQ(call.text(), "(S_F_CE1toNUF) Contaminated or Wrong FASTFDATA!!!");
}

TEST(CompareEnroll1to1, ExtractsFirstThenWantsTheMagic) {
  std::vector<uint8_t> image = goodImage(), grey(90000, 128), t(sizeof(tagENROLL), 0);
  auto* templ = reinterpret_cast<tagENROLL*>(t.data());
  int score = 9;
  ExportCall call;
  EXPECT_EQ(lib().VD_CompareEnroll1to1(grey.data(), templ, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -12);
  EXPECT_EQ(call.text(), "(S_CE1toN) The quality of fingerprint image is not good!");
  EXPECT_EQ(score, 0);
  EXPECT_EQ(lib().VD_CompareEnroll1to1(image.data(), templ, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -8);
  EXPECT_EQ(call.text(), "(S_CE1toN) There is an error in ENROLL data.");
  // The magic alone: three empty slots never match.
  t[1] = 0xDA;
  score = 9;
  EXPECT_EQ(lib().VD_CompareEnroll1to1(image.data(), templ, &score, call.message, &call.error), 1);
  EXPECT_EQ(call.error, -9);
  EXPECT_EQ(call.text(), "(S_CE1toN) Please try again...");
  EXPECT_EQ(score, 0);
}

TEST(CompareEnroll1to1UsingFData, WantsTheMarkThenTheMagic) {
  std::vector<uint8_t> image = goodImage(), t(sizeof(tagENROLL), 0);
  auto* templ = reinterpret_cast<tagENROLL*>(t.data());
  tagFDATA record{};
  int score = 9;
  ExportCall call;
  EXPECT_EQ(lib().VD_CompareEnroll1to1UsingFData(&record, templ, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -11);
  EXPECT_EQ(call.text(), "(S_CE1to1UF) Contaminated or Wrong FDATA!!!");
  ASSERT_EQ(lib().VD_ExtractFData(image.data(), &record, call.message, &call.error), 1);
  EXPECT_EQ(lib().VD_CompareEnroll1to1UsingFData(&record, templ, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -8);
  EXPECT_EQ(call.text(), "(S_CE1to1UF) There is an error in ENROLL data.");
  EXPECT_EQ(lib().VD_CompareEnroll1to1UsingFData(&record, nullptr, &score, call.message, &call.error), 0);
  EXPECT_EQ(call.error, -1);
}

}  // namespace
