// What a template's security level does in both families, through
// libRidgecore.so: each level accepts from its own bound of paired minutiae,
// VD_SetSecurityLevel changes what a template accepts, and a search judges
// every template by its own level. The pairs are real: impressions of one
// finger from the extraction's golden records, with the paired count each
// comparison gives.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "fast/FastMatch.h"
#include "match/MatchFeatureSets.h"
#include "tests/ridgecore/GoldenRecords.h"
#include "tests/ridgecore_levels/LevelTemplates.h"

using namespace leveltemplates;
using ridgecoretest::ExportCall;
using ridgecoretest::fingerOf;
using ridgecoretest::lib;

namespace {

// The calibrated bounds (docs/accuracy.md): pairs needed at levels 1..5.
constexpr int kPairsToMatch[VD_SECURITYMAX + 1] = {0, 7, 8, 9, 10, 12};

struct Classic {
  using Record = tagFDATA;
  using Template = tagENROLL;
  static Record record(const tagFDATA& r) { return r; }
  static Template templateOf(const Record& r) { return classicTemplate(r); }
  static int pairs(const Record& stored, const Record& fresh) { return ridgecore::MatchFeatureSets(&stored, &fresh); }
  static int getLevel(const Template& t, int* level, ExportCall& call) {
    return lib().VD_GetSecurityLevel(&t, level, call.message, &call.error);
  }
  static int compare(Record probe, Template& t, int* score, ExportCall& call) {
    return lib().VD_CompareEnroll1to1UsingFData(&probe, &t, score, call.message, &call.error);
  }
  static int search(Record probe, std::vector<Template>& templates, int* index, int* score, ExportCall& call) {
    return lib().VD_CompareEnroll1toNUsingFData(&probe, reinterpret_cast<unsigned char*>(templates.data()),
                                                int(templates.size()), int(sizeof(Template)), 0, index, score,
                                                call.message, &call.error);
  }
};

struct Fast {
  using Record = tagFASTFDATA;
  using Template = tagFASTENROLL;
  static Record record(const tagFDATA& r) { return fastOf(r); }
  static Template templateOf(const Record& r) { return fastTemplate(r); }
  static int pairs(const Record& stored, const Record& fresh) {
    return ridgecore::EvaluateFastMatch(stored, fresh).result;
  }
  static int getLevel(const Template& t, int* level, ExportCall& call) {
    return lib().VD_FAST_GetSecurityLevel(&t, level, call.message, &call.error);
  }
  static int compare(Record probe, Template& t, int* score, ExportCall& call) {
    return lib().VD_FAST_CompareEnroll1to1UsingFData(&probe, &t, score, call.message, &call.error);
  }
  static int search(Record probe, std::vector<Template>& templates, int* index, int* score, ExportCall& call) {
    return lib().VD_FAST_CompareEnroll1toNUsingFData(&probe, reinterpret_cast<unsigned char*>(templates.data()),
                                                     int(templates.size()), int(sizeof(Template)), 0, index, score,
                                                     call.message, &call.error);
  }
};

template <typename Family>
struct RealPair {
  std::string finger;  // file and finger
  typename Family::Record stored, fresh;
  int pairs;
};

// Per paired count, the first genuine pair (both orders, every set and
// polarity) that gives it.
template <typename Family>
struct RealPairs {
  std::map<int, RealPair<Family>> byCount;
  std::vector<std::pair<std::string, typename Family::Record>> all;  // every record with its file and finger

  static const RealPairs& get() {
    static const RealPairs pairs = collect();
    return pairs;
  }

  const RealPair<Family>& with(int count) const {
    const auto it = byCount.find(count);
    if (it == byCount.end()) throw std::runtime_error("no genuine pair gives " + std::to_string(count) + " pairs");
    return it->second;
  }

  // A record of another finger that pairs too little with the pair's fresh
  // impression to match at any level.
  const typename Family::Record& strangerTo(const RealPair<Family>& pair) const {
    for (const auto& [finger, record] : all) {
      if (finger != pair.finger && Family::pairs(record, pair.fresh) < kPairsToMatch[VD_SECURITYMIN]) return record;
    }
    throw std::runtime_error("no record of another finger");
  }

 private:
  // Stops once every count the tests ask for (each bound and the one below
  // it) has its pair: comparing every pair takes long under the sanitizers.
  static RealPairs collect() {
    RealPairs out;
    for (const char* file : ridgecoretest::kGoldenRecordFiles) {
      for (const auto& g : ridgecoretest::readGoldenRecords(RIDGECORE_GOLDEN_DIR, file))
        out.all.emplace_back(std::string(file) + " " + fingerOf(g), Family::record(g.record));
    }
    for (size_t a = 0; a < out.all.size() && !out.complete(); ++a) {
      for (size_t b = 0; b < out.all.size(); ++b) {
        if (a == b || out.all[a].first != out.all[b].first) continue;
        const int count = Family::pairs(out.all[a].second, out.all[b].second);
        if (!out.byCount.count(count))
          out.byCount.emplace(count, RealPair<Family>{out.all[a].first, out.all[a].second, out.all[b].second, count});
      }
    }
    return out;
  }

  // Every count at and below each bound has its pair.
  bool complete() const {
    for (int level = VD_SECURITYMIN; level <= VD_SECURITYMAX; ++level) {
      if (!byCount.count(kPairsToMatch[level]) || !byCount.count(kPairsToMatch[level] - 1)) return false;
    }
    return true;
  }
};

template <typename Family>
typename Family::Template atLevel(const typename Family::Record& stored, int level) {
  typename Family::Template t = Family::templateOf(stored);
  EXPECT_TRUE(setLevel(t, level));
  return t;
}

// The 1:1 comparison's outcome: the score, with result and error checked
// against it (a refusal is a completed call with -9).
template <typename Family>
int scoreOf(const typename Family::Record& probe, typename Family::Template& t) {
  int score = -1;
  ExportCall call;
  EXPECT_EQ(Family::compare(probe, t, &score, call), 1) << call.text();
  EXPECT_EQ(call.error, score == 100 ? 0 : -9) << call.text();
  return score;
}

template <typename Family>
class SecurityLevel : public ::testing::Test {};

using Families = ::testing::Types<Classic, Fast>;
TYPED_TEST_SUITE(SecurityLevel, Families);

}  // namespace

TYPED_TEST(SecurityLevel, EachLevelAcceptsFromItsOwnBound) {
  const RealPairs<TypeParam>& real = RealPairs<TypeParam>::get();
  for (int level = VD_SECURITYMIN; level <= VD_SECURITYMAX; ++level) {
    SCOPED_TRACE("level " + std::to_string(level));
    const RealPair<TypeParam>& at = real.with(kPairsToMatch[level]);
    const RealPair<TypeParam>& below = real.with(kPairsToMatch[level] - 1);
    typename TypeParam::Template accepting = atLevel<TypeParam>(at.stored, level);
    typename TypeParam::Template refusing = atLevel<TypeParam>(below.stored, level);
    EXPECT_EQ(scoreOf<TypeParam>(at.fresh, accepting), 100);
    EXPECT_EQ(scoreOf<TypeParam>(below.fresh, refusing), 0);
  }
}

TYPED_TEST(SecurityLevel, ALowerLevelAcceptsAGenuinePairThatLevelFiveRefused) {
  const RealPair<TypeParam>& pair = RealPairs<TypeParam>::get().with(9);
  typename TypeParam::Template t = TypeParam::templateOf(pair.stored);  // completed: level 5
  EXPECT_EQ(scoreOf<TypeParam>(pair.fresh, t), 0);

  ASSERT_TRUE(setLevel(t, 3));
  int level = 0;
  ExportCall call;
  EXPECT_EQ(TypeParam::getLevel(t, &level, call), 1);
  EXPECT_EQ(level, 3);
  EXPECT_EQ(scoreOf<TypeParam>(pair.fresh, t), 100);

  ASSERT_TRUE(setLevel(t, 4));  // 10 pairs: refused again
  EXPECT_EQ(scoreOf<TypeParam>(pair.fresh, t), 0);
}

TYPED_TEST(SecurityLevel, ALevelByteOutsideOneToFiveCountsAsTheStrictest) {
  const RealPairs<TypeParam>& real = RealPairs<TypeParam>::get();
  for (const int byte : {0, 6, 255}) {
    SCOPED_TRACE("byte 2 = " + std::to_string(byte));
    typename TypeParam::Template eleven = TypeParam::templateOf(real.with(11).stored);
    typename TypeParam::Template twelve = TypeParam::templateOf(real.with(12).stored);
    eleven.security = twelve.security = static_cast<unsigned char>(byte);
    EXPECT_EQ(scoreOf<TypeParam>(real.with(11).fresh, eleven), 0);
    EXPECT_EQ(scoreOf<TypeParam>(real.with(12).fresh, twelve), 100);
  }
}

// The same record in two templates of different levels: only its level tells
// them apart.
TYPED_TEST(SecurityLevel, ASearchJudgesEachTemplateByItsOwnLevel) {
  const RealPair<TypeParam>& pair = RealPairs<TypeParam>::get().with(9);
  const typename TypeParam::Record& stranger = RealPairs<TypeParam>::get().strangerTo(pair);
  int index = 0, score = 0;
  ExportCall call;

  std::vector<typename TypeParam::Template> strictFirst{atLevel<TypeParam>(pair.stored, 5),
                                                        atLevel<TypeParam>(pair.stored, 1)};
  EXPECT_EQ(TypeParam::search(pair.fresh, strictFirst, &index, &score, call), 1);
  EXPECT_EQ(call.error, 0) << call.text();
  EXPECT_EQ(index, 1);
  EXPECT_EQ(score, 100);

  // A loose template that does not match lends its level to nobody.
  std::vector<typename TypeParam::Template> looseFirst{atLevel<TypeParam>(stranger, 1),
                                                       atLevel<TypeParam>(pair.stored, 5)};
  EXPECT_EQ(TypeParam::search(pair.fresh, looseFirst, &index, &score, call), 1);
  EXPECT_EQ(call.error, -9) << call.text();
  EXPECT_EQ(index, -1);
  EXPECT_EQ(score, 0);
}
