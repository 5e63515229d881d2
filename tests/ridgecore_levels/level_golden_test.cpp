// The decisions of the template comparisons of both families at level 5, the
// level every completed template carries, over the real records: every
// ordered pair of impressions of a set (genuine and impostor), both sets,
// both polarities. The table was written before templates had levels that
// decide anything; it must never change unless the matchers do. After a
// change of a matcher made on purpose, rewrite it with
//   RIDGECORE_LEVEL_GOLDEN_PRINT=1 build/bin/test_ridgecore_levels --gtest_filter=LevelFiveGolden.*
// and the lines that start with fvc into tests/ridgecore_levels/data/level5-decisions.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/ridgecore/GoldenRecords.h"
#include "tests/ridgecore_levels/LevelTemplates.h"

using namespace leveltemplates;
using ridgecoretest::GoldenRecord;

namespace {

// One character a fresh record, in file order: 1 match, 0 none, . the stored record itself.
template <typename Template, typename Record>
std::string decisions(Template& stored, const std::vector<Record>& fresh, size_t self) {
  std::string out;
  for (size_t b = 0; b < fresh.size(); ++b) out += b == self ? '.' : matches(fresh[b], stored) ? '1' : '0';
  return out;
}

}  // namespace

TEST(LevelFiveGolden, TemplateDecisionsOverTheRealRecordsStayTheSame) {
  const bool print = std::getenv("RIDGECORE_LEVEL_GOLDEN_PRINT") != nullptr;
  std::ifstream golden(RIDGECORE_LEVELS_DATA_DIR "/level5-decisions.txt");
  ASSERT_TRUE(print || golden) << "no golden table";
  int lines = 0;
  size_t classicMatches = 0, fastMatches = 0;
  for (const char* file : ridgecoretest::kGoldenRecordFiles) {
    const std::vector<GoldenRecord> records = ridgecoretest::readGoldenRecords(RIDGECORE_GOLDEN_DIR, file);
    ASSERT_GT(records.size(), 50u) << file;
    std::vector<tagFDATA> classic;
    std::vector<tagFASTFDATA> fast;
    for (const GoldenRecord& r : records) {
      classic.push_back(r.record);
      fast.push_back(fastOf(r.record));
    }
    for (size_t a = 0; a < records.size(); ++a) {
      tagENROLL classicStored = classicTemplate(classic[a]);
      tagFASTENROLL fastStored = fastTemplate(fast[a]);
      const std::string c = decisions(classicStored, classic, a);
      const std::string f = decisions(fastStored, fast, a);
      const std::string line = std::string(file) + ' ' + records[a].image + ' ' + c + ' ' + f;
      ++lines;
      classicMatches += size_t(std::count(c.begin(), c.end(), '1'));
      fastMatches += size_t(std::count(f.begin(), f.end(), '1'));
      if (print) {
        std::printf("%s\n", line.c_str());
        continue;
      }
      std::string want;
      std::getline(golden, want);
      ASSERT_EQ(line, want) << "stored record " << lines;
    }
  }
  EXPECT_GT(lines, 290);            // every record that extracted
  EXPECT_GT(classicMatches, 100u);  // both outcomes are guarded
  EXPECT_GT(fastMatches, 100u);
}
