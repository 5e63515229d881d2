// The record search over more records than the library searches at once.
#include <cstring>

#include "lockmere/bio/RecordSearch.h"
#include "lockmere/store/TemplateRecords.h"
#include "tests/account/AccountFixture.h"

namespace account::test {
namespace {

using RecordSearchTest = AccountTest;

TEST_F(RecordSearchTest, FindsTheRecordBeyondTheFirstSlicesAndPassesOverIncompleteOnes) {
  const bio::RecordSearch search;
  ASSERT_TRUE(search.isLoaded()) << search.errorString();
  const tagENROLL other = enrolled("109"), again = enrolled("105"), wanted = enrolled("104");
  store::TemplateRecords records;
  tagENROLL incomplete = wanted;
  incomplete.magic = 0;  // as a damaged file or a half-made template would have it
  for (int i = 0; i < 150; ++i) {
    const tagENROLL& t = i == 10 ? incomplete : i == 137 ? wanted : (i % 2 ? other : again);
    records.appendRecord(store::TemplateRecords::makeRecord("user" + std::to_string(i), t).data());
  }
  const auto image = sensorImage("104", 6);
  const auto probe = search.extract(image.data());
  ASSERT_TRUE(probe);

  const auto hit = search.identify(*probe, records.data(), records.count());
  EXPECT_EQ(hit.index, 137);
  EXPECT_EQ(hit.error, 0);
  EXPECT_EQ(hit.skipped, 1u);
  EXPECT_EQ(records.owner(std::size_t(hit.index)), "user137");

  // From just after it, nothing; from well before it, the same record.
  EXPECT_FALSE(search.identify(*probe, records.data(), records.count(), 138).matched());
  EXPECT_EQ(search.identify(*probe, records.data(), records.count(), 100).index, 137);
  // The same probe finds the incomplete record's finger nowhere else.
  const auto none = search.identify(*probe, records.data(), 137);
  EXPECT_FALSE(none.matched());
  EXPECT_FALSE(none.failed());
  EXPECT_EQ(none.error, -9);

  // Why slices: the library refuses more than 60 templates in one call.
  platform::Library core("Ridgecore.dll");
  ASSERT_TRUE(core.load());
  const auto direct = core.resolve<bio::RecordSearch::SearchFunction>(bio::RecordSearch::kSearchExport);
  ASSERT_NE(direct, nullptr);
  std::vector<unsigned char> copy(records.data(), records.data() + records.count() * 3656);
  tagFDATA p = *probe;
  int index = -1, score = 0, error = 0;
  char message[256];
  EXPECT_EQ(direct(&p, copy.data(), int(records.count()), 3656, 52, &index, &score, message, &error), 0);
  EXPECT_EQ(error, -6);
}

TEST_F(RecordSearchTest, AProbeWithoutItsMarkIsAFailureNotANoMatch) {
  const bio::RecordSearch search;
  store::TemplateRecords records;
  records.appendRecord(store::TemplateRecords::makeRecord("x", enrolled("104")).data());
  const auto image = sensorImage("104", 6);
  auto probe = search.extract(image.data());
  ASSERT_TRUE(probe);
  probe->mark[0] = 'X';
  const auto hit = search.identify(*probe, records.data(), records.count());
  EXPECT_TRUE(hit.failed());
  EXPECT_EQ(hit.error, -11);
}

}  // namespace
}  // namespace account::test
