// Working memory that runs out: every stage reports its own message, and
// everything taken so far is released (the sanitizer build checks for leaks).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/Extraction.h"
#include "extract/Allocation.h"
#include "extract/ExtractFeatures.h"
#include "tests/ridgecore/RealFingerprints.h"

using namespace ridgecore;

namespace {

class AllocationFailure : public ::testing::Test {
 protected:
  void TearDown() override { allocation::failAfter(-1); }
};

TEST_F(AllocationFailure, EachStageReportsItsOwnMessage) {
  const std::vector<uint8_t> image = ridgecoretest::sensorImage(ridgecoretest::realImages("fvc2002_db1_b").at(0));
  std::vector<std::string> messages;
  for (int n = 0; n < 100; ++n) {
    allocation::failAfter(n);
    tagFDATA record{};
    char message[256] = "";
    const int result = extractFeatures(image.data(), record, message);
    if (result == kExtracted) break;
    ASSERT_EQ(result, kExtractionFailed) << "allocation " << n;
    if (messages.empty() || messages.back() != message) messages.push_back(message);
  }
  const std::vector<std::string> expected = {"Memory Allocation Error!", "S_D1F(..) Error!", "S_I1F(..) Error!",
                                             "S_F1F(..) Error!"};
  EXPECT_EQ(messages, expected);
}

TEST_F(AllocationFailure, TheExportsReportItAsExtractionFailure) {
  const std::vector<uint8_t> image = ridgecoretest::sensorImage(ridgecoretest::realImages("fvc2002_db1_b").at(0));
  allocation::failAfter(7);
  tagFDATA record{};
  char message[256] = "";
  int error = 0;
  api::Reply reply(message, &error);
  EXPECT_FALSE(api::extractRecord(image.data(), record, "S_EF", reply));
  EXPECT_STREQ(message, "(S_EF) Feature Volume Extaction Fail!");
  EXPECT_EQ(error, -3);
}

}  // namespace
