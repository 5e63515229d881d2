#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "match/MatchFeatureSets.h"
#include "match/MatchResults.h"
#include "match/synthetic/SyntheticMinutiae.h"

using namespace ridgecore;

// Raw counts, decisions and translations of every genuine pair (both orders)
// and every pair of first impressions of two fingers, over the real records
// that the extraction's golden files hold (both sets, both polarities). Any
// change here is a change of the matcher's results. After a change made on
// purpose: RIDGECORE_MATCH_GOLDEN_PRINT=1 test_ridgecore_match
// --gtest_filter=RealPairsGolden.* > tests/ridgecore_match/data/real-pairs.txt
namespace {

struct Record {
  std::string image;  // 101_3
  tagFDATA record;
};

// "101_3.pgm 1 26 4c132b...": name, result, count, then x, y, type/direction bytes in hex.
std::vector<Record> readRecords(const std::string& path) {
  std::vector<Record> records;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name, hex;
    int result = 0, count = 0;
    fields >> name >> result >> count >> hex;
    if (result != 1) continue;
    Record r{name.substr(0, name.find('.')), ridgecore::synthetic::MakeRecord({})};
    r.record.count = static_cast<unsigned char>(count);
    for (int k = 0; k < count; ++k) {
      auto byte = [&](int i) {
        return static_cast<unsigned char>(std::stoi(hex.substr(6 * k + 2 * i, 2), nullptr, 16));
      };
      r.record.minutiae[k].x = byte(0);
      r.record.minutiae[k].y = byte(1);
      r.record.minutiae[k].typeDir = byte(2);
    }
    records.push_back(r);
  }
  return records;
}

std::string finger(const Record& r) { return r.image.substr(0, r.image.find('_')); }

}  // namespace

TEST(RealPairsGolden, FiguresOverTheRealRecordsStayTheSame) {
  const bool print = std::getenv("RIDGECORE_MATCH_GOLDEN_PRINT") != nullptr;
  std::ifstream golden(RIDGECORE_MATCH_DATA_DIR "/real-pairs.txt");
  ASSERT_TRUE(print || golden) << "no golden table";
  int compared = 0, matched = 0;
  for (const char* file :
       {"fvc2000_db1_b-sensor", "fvc2000_db1_b-stored", "fvc2002_db1_b-sensor", "fvc2002_db1_b-stored"}) {
    const std::vector<Record> records = readRecords(std::string(RIDGECORE_GOLDEN_DIR) + "/" + file + ".txt");
    ASSERT_GT(records.size(), 50u) << file;
    for (size_t a = 0; a < records.size(); ++a) {
      const bool firstA = a == 0 || finger(records[a - 1]) != finger(records[a]);
      for (size_t b = 0; b < records.size(); ++b) {
        const bool firstB = b == 0 || finger(records[b - 1]) != finger(records[b]);
        const bool genuine = finger(records[a]) == finger(records[b]);
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
