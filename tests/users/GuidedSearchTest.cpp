// The search the login window's verification runs over more than 60 records:
// the fast family's guess first, the classic search in slices as the judge.
#include <gtest/gtest.h>

#include <cstring>

#include "lockmere/bio/GuidedRecordSearch.h"
#include "lockmere/store/TemplateRecords.h"
#include "tests/support/TestEnv.h"
#include "tests/users/UsersFixture.h"

namespace users::test {
namespace {

std::vector<unsigned char> probeImage(const Finger& finger) {
  return ridgeport::sim::GreyImage::loadPgm(testenv::fingerprintsDir() + "/" + finger.set + "/" + finger.number + "_" +
                                            std::to_string(finger.probe) + ".pgm")
      .inverted()
      .pixels;
}

// count records cycling through the fillers, with the finger at position `at`.
store::TemplateRecords recordsWith(const Finger& finger, std::size_t at, std::size_t count,
                                   const std::vector<Finger>& fillers) {
  store::TemplateRecords records;
  for (std::size_t i = 0; i < count; ++i) {
    const tagENROLL t = enrolledFinger(i == at ? finger : fillers[i % fillers.size()]);
    records.appendRecord(store::TemplateRecords::makeRecord("user" + std::to_string(i / 10), t).data());
  }
  return records;
}

TEST(GuidedRecordSearch, FindsWhatTheClassicSearchFindsWhereverTheFingerIs) {
  const std::vector<Finger> fillers{kFinger104, kFinger109, kFinger107, kFinger102b};
  for (std::size_t at : {0u, 59u, 60u, 150u, 199u}) {
    const auto records = recordsWith(kFinger108, at, 200, fillers);
    bio::GuidedRecordSearch search(records.data(), records.count());
    ASSERT_TRUE(search.isLoaded()) << search.errorString();
    const auto image = probeImage(kFinger108);
    auto probe = search.classic().extract(image.data());
    ASSERT_TRUE(probe);
    const auto guided = search.identify(*probe);
    const auto classic = search.classic().identify(*probe, records.data(), records.count());
    EXPECT_EQ(guided.index, int(at));
    EXPECT_EQ(classic.index, int(at));
  }
}

// A record the fast form cannot hold is still found: by the classic search.
TEST(GuidedRecordSearch, RecordsOutsideTheGuessAreFoundByTheClassicSearch) {
  const std::vector<Finger> fillers{kFinger104, kFinger105, kFinger109};
  const auto records = recordsWith(kFinger108, 130, 150, fillers);
  bio::GuidedRecordSearch search(records.data(), records.count());
  search.prepare();
  const std::size_t unguessable = records.count() - search.guessable();
  for (const Finger& finger : {kFinger105, kFinger108, kFinger104}) {
    const auto image = probeImage(finger);
    auto probe = search.classic().extract(image.data());
    ASSERT_TRUE(probe);
    const auto guided = search.identify(*probe);
    const auto classic = search.classic().identify(*probe, records.data(), records.count());
    EXPECT_TRUE(guided.matched()) << finger.name();
    EXPECT_EQ(guided.index, classic.index) << finger.name();
  }
  // Not a requirement, but what makes this test mean something: the fast
  // rule refuses finger 105's impressions, so its records are not guessed.
  EXPECT_GT(unguessable, 0u);
}

TEST(GuidedRecordSearch, AFingerEnrolledNowhereMatchesNothing) {
  const auto records = recordsWith(kFinger104, 0, 100, {kFinger109, kFinger107});
  bio::GuidedRecordSearch search(records.data(), records.count());
  const auto image = probeImage(kFinger108);
  auto probe = search.classic().extract(image.data());
  ASSERT_TRUE(probe);
  const auto hit = search.identify(*probe);
  EXPECT_FALSE(hit.matched());
  EXPECT_EQ(hit.error, -9);
}

}  // namespace
}  // namespace users::test
