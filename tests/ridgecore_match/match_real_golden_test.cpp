#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "match/MatchFeatureSets.h"
#include "match/MatchResults.h"
#include "tests/ridgecore/GoldenRecords.h"

using namespace ridgecore;
using ridgecoretest::fingerOf;
using ridgecoretest::GoldenRecord;

// Raw counts, decisions and translations of every genuine pair (both orders)
// and every pair of first impressions of two fingers, over the real records
// that the extraction's golden files hold (both sets, both polarities). Any
// change here is a change of the matcher's results. After a change made on
// purpose: RIDGECORE_MATCH_GOLDEN_PRINT=1 test_ridgecore_match
// --gtest_filter=RealPairsGolden.* > tests/ridgecore_match/data/real-pairs.txt

TEST(RealPairsGolden, FiguresOverTheRealRecordsStayTheSame) {
  const bool print = std::getenv("RIDGECORE_MATCH_GOLDEN_PRINT") != nullptr;
  std::ifstream golden(RIDGECORE_MATCH_DATA_DIR "/real-pairs.txt");
  ASSERT_TRUE(print || golden) << "no golden table";
  int compared = 0, matched = 0;
  for (const char* file : ridgecoretest::kGoldenRecordFiles) {
    const std::vector<GoldenRecord> records = ridgecoretest::readGoldenRecords(RIDGECORE_GOLDEN_DIR, file);
    ASSERT_GT(records.size(), 50u) << file;
    for (size_t a = 0; a < records.size(); ++a) {
      const bool firstA = a == 0 || fingerOf(records[a - 1]) != fingerOf(records[a]);
      for (size_t b = 0; b < records.size(); ++b) {
        const bool firstB = b == 0 || fingerOf(records[b - 1]) != fingerOf(records[b]);
        const bool genuine = fingerOf(records[a]) == fingerOf(records[b]);
        if (a == b || (!genuine && !(firstA && firstB))) continue;
        const int result = MatchFeatureSets(&records[a].record, &records[b].record);
        const MatchResults& r = LastMatchResults();
        std::ostringstream line;
        line << file << ' ' << records[a].image << ' ' << records[b].image << ' ' << result << ' ' << r.pairs << ' '
             << r.decision << ' ' << r.dx << ' ' << r.dy;
        ++compared;
        matched += result >= 12;
        if (print) {
          std::printf("%s\n", line.str().c_str());
          continue;
        }
        std::string want;
        std::getline(golden, want);
        ASSERT_EQ(line.str(), want) << "comparison " << compared;
      }
    }
  }
  EXPECT_GT(compared, 2000);
  EXPECT_GT(matched, 20);  // both outcomes are guarded
}
