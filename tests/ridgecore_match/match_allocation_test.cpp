#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "enroll/CheckNewImpression.h"
#include "enroll/SearchTemplates.h"
#include "match/MatchFeatureSets.h"
#include "match/synthetic/SyntheticMinutiae.h"

// Counts every allocation of this program (all the replaceable forms that
// the standard library uses, over malloc), so that a test can tell whether
// the comparison path makes any.
namespace {
int g_allocations = 0;

void* counted(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++g_allocations;
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

using namespace ridgecore;
using namespace ridgecore::synthetic;

TEST(MatchAllocation, ComparisonsEnrollmentAndSearchAllocateNothing) {
  std::vector<RecordPair> pairs;
  for (uint64_t seed = 1; seed <= 8; ++seed) {
    pairs.push_back(GenuinePair(seed));
    pairs.push_back(ImpostorPair(seed));
  }
  std::vector<tagENROLL> templates;
  for (const RecordPair& p : pairs) templates.push_back(MakeTemplate(p.first, p.second, p.first));
  tagENROLL building = templates[0];
  building.flags[2] = 0;
  MatchFeatureSets(&pairs[0].first, &pairs[0].second);  // first use builds the parameter set and tables

  const int before = g_allocations;
  int matched = 0;
  for (const RecordPair& p : pairs) matched += MatchFeatureSets(&p.second, &p.first) >= 12;
  int index = -1;
  int score = 0;
  const int code = SearchTemplates(pairs[1].first, reinterpret_cast<const unsigned char*>(templates.data()),
                                   int(templates.size()), int(sizeof(tagENROLL)), 0, &index, &score);
  CheckNewImpression(building, 2, ImpressionSource::Image);
  EXPECT_EQ(g_allocations, before);
  EXPECT_EQ(matched, 8);  // the comparisons did run
  EXPECT_EQ(code, kSearchMatched);
}
