// The decisions of the template comparisons of both families at level 5, the
// level every completed template carries, over the real records of both sets
// in both polarities. The table holds every ordered pair of impressions of a
// set (genuine and impostor); it was written before templates had levels that
// decide anything, and must never change unless the matchers do. The test
// checks every genuine pair and the impostor pairs among the first two
// impressions of every finger (the whole table takes minutes under the
// sanitizers); the print mode writes all of it. After a change of a matcher
// made on purpose, rewrite the table with
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

constexpr int kCheckedImpostorImpressions = 2;

int impressionOf(const GoldenRecord& r) { return std::stoi(r.image.substr(r.image.find('_') + 1)); }

// Which comparisons a line holds: all of them when printing.
struct Selection {
  bool all;
  bool operator()(const GoldenRecord& stored, const GoldenRecord& fresh) const {
    return all || ridgecoretest::fingerOf(stored) == ridgecoretest::fingerOf(fresh) ||
           (impressionOf(stored) <= kCheckedImpostorImpressions && impressionOf(fresh) <= kCheckedImpostorImpressions);
  }
};

// One character a fresh record, in file order: 1 match, 0 none, . the stored
// record itself, - not compared.
template <typename Template, typename Record>
std::string decisions(Template& stored, const std::vector<Record>& fresh, size_t self,
                      const std::vector<GoldenRecord>& golden, const Selection& selected) {
  std::string out;
  for (size_t b = 0; b < fresh.size(); ++b) {
    if (b == self) {
      out += '.';
    } else if (!selected(golden[self], golden[b])) {
      out += '-';
    } else {
      out += matches(fresh[b], stored) ? '1' : '0';
    }
  }
  return out;
}

// The golden line with its uncompared places blanked out as in `got`.
std::string asCompared(std::string want, const std::string& got) {
  for (size_t i = 0; i < want.size() && i < got.size(); ++i) {
    if (got[i] == '-') want[i] = '-';
  }
  return want;
}

}  // namespace

TEST(LevelFiveGolden, TemplateDecisionsOverTheRealRecordsStayTheSame) {
  const bool print = std::getenv("RIDGECORE_LEVEL_GOLDEN_PRINT") != nullptr;
  const Selection selected{print};
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
      const std::string c = decisions(classicStored, classic, a, records, selected);
      const std::string f = decisions(fastStored, fast, a, records, selected);
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
      ASSERT_EQ(line, asCompared(want, line)) << "stored record " << lines;
    }
  }
  EXPECT_GT(lines, 290);            // every record that extracted
  EXPECT_GT(classicMatches, 100u);  // both outcomes are guarded
  EXPECT_GT(fastMatches, 100u);
}
