// Matching benchmarks on synthetic minutiae sets: 1:1 comparisons of the
// engine and a search over 60 templates, independent of the extraction.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "enroll/SearchTemplates.h"
#include "match/MatchFeatureSets.h"
#include "match/MatchListBuilder.h"
#include "match/synthetic/SyntheticMinutiae.h"

using namespace ridgecore;
using namespace ridgecore::synthetic;

namespace {

constexpr int kPairs = 64;
constexpr int kTemplates = 60;
constexpr int kRecordSize = 3656;    // a user record of the data file
constexpr int kTemplateOffset = 52;  // where its template sits

std::vector<RecordPair> pairsOf(RecordPair (*make)(uint64_t)) {
  std::vector<RecordPair> pairs;
  for (int k = 0; k < kPairs; ++k) pairs.push_back(make(uint64_t(k + 1)));
  return pairs;
}

// Fifty minutiae on each side: the most a record holds.
RecordPair fullImpostor(uint64_t seed) {
  Random random(seed);
  const MinutiaSet a = RandomMinutiae(random, 50, 16);
  const MinutiaSet b = RandomMinutiae(random, 50, 16);
  return RecordPair{MakeRecord(a), MakeRecord(b)};
}

void runPairs(benchmark::State& state, const std::vector<RecordPair>& pairs) {
  size_t k = 0;
  for (auto _ : state) {
    const RecordPair& p = pairs[k++ % pairs.size()];
    benchmark::DoNotOptimize(MatchFeatureSets(&p.second, &p.first));
  }
}

void BM_Match_Genuine(benchmark::State& state) { runPairs(state, pairsOf(GenuinePair)); }
void BM_Match_Impostor(benchmark::State& state) { runPairs(state, pairsOf(ImpostorPair)); }
void BM_Match_Impostor50(benchmark::State& state) { runPairs(state, pairsOf(fullImpostor)); }

void BM_PrepareMatchList(benchmark::State& state) {
  const std::vector<RecordPair> pairs = pairsOf(GenuinePair);
  static MatchList list;
  size_t k = 0;
  for (auto _ : state) {
    PrepareMatchList(pairs[k++ % pairs.size()].first, list);
    benchmark::DoNotOptimize(list.count);
  }
}

// 60 enrolled synthetic fingers in user records, searched with a finger that is none of them.
void BM_Search60Synthetic_NoMatch(benchmark::State& state) {
  std::vector<unsigned char> records(size_t(kTemplates) * kRecordSize, 0);
  for (int i = 0; i < kTemplates; ++i) {
    Random random(uint64_t(5000 + i));
    const MinutiaSet finger = RandomMinutiae(random, random.uniform(28, 45));
    Distortion d;
    d.positionNoise = 2;
    d.directionNoise = 2;
    d.dropped = 3;
    d.added = 3;
    d.dx = 8;
    const tagENROLL e = MakeTemplate(MakeRecord(finger), MakeRecord(Distort(finger, d, random)),
                                     MakeRecord(Distort(finger, d, random)));
    std::memcpy(records.data() + size_t(i) * kRecordSize + kTemplateOffset, &e, sizeof e);
  }
  Random random(99);
  const tagFDATA probe = MakeRecord(RandomMinutiae(random, 38));
  int index = 0;
  int score = 0;
  for (auto _ : state) {
    const int code = SearchTemplates(probe, records.data(), kTemplates, kRecordSize, kTemplateOffset, &index, &score);
    if (code != kSearchNoMatch) state.SkipWithError("the probe matched an enrolled finger");
    benchmark::DoNotOptimize(score);
  }
}

}  // namespace

BENCHMARK(BM_Match_Genuine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Match_Impostor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Match_Impostor50)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PrepareMatchList)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Search60Synthetic_NoMatch)->Unit(benchmark::kMillisecond);
