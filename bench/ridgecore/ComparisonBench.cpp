// The comparison exports on the real fingerprints (sensor polarity): 1:1
// over every genuine and impostor pair, and a 60-template search that finds nothing.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/ridgecore/BenchImages.h"
#include "match/synthetic/SyntheticMinutiae.h"
#include "ridgecore.h"

using ridgecorebench::realImages;

namespace {

constexpr int kRecordSize = 3656;    // a user record of the data file
constexpr int kTemplateOffset = 52;  // where its template sits

struct RealRecord {
  std::string set, finger;
  tagFDATA record;
};

// Every image that extracts, with its set and finger ("fvc2002_db1_b/101_3.pgm": finger 101).
const std::vector<RealRecord>& realRecords() {
  static const std::vector<RealRecord> records = [] {
    std::vector<RealRecord> all;
    for (const auto& image : realImages()) {
      RealRecord r{image.name.substr(0, image.name.find('/')), image.name.substr(image.name.find('/') + 1, 3), {}};
      char message[256];
      int error = 0;
      if (VD_ExtractFData(image.pixels.data(), &r.record, message, &error)) all.push_back(r);
    }
    return all;
  }();
  return records;
}

struct RecordPair {
  const tagFDATA* first;
  const tagFDATA* second;
};

// Genuine: every two impressions of a finger. Impostor: every finger's first
// impression against every other finger's first, both orders.
std::vector<RecordPair> realPairs(bool genuine) {
  const std::vector<RealRecord>& r = realRecords();
  std::vector<RecordPair> pairs;
  for (size_t a = 0; a < r.size(); ++a) {
    const bool firstOfFinger = a == 0 || r[a - 1].finger != r[a].finger || r[a - 1].set != r[a].set;
    for (size_t b = 0; b < r.size(); ++b) {
      if (a == b || r[a].set != r[b].set) continue;
      const bool same = r[a].finger == r[b].finger;
      const bool otherFirst = b == 0 || r[b - 1].finger != r[b].finger || r[b - 1].set != r[b].set;
      if (genuine ? same && a < b : !same && firstOfFinger && otherFirst) pairs.push_back({&r[b].record, &r[a].record});
    }
  }
  return pairs;
}

void compareCycling(benchmark::State& state, const std::vector<RecordPair>& pairs) {
  size_t k = 0;
  int matches = 0;
  for (auto _ : state) {
    const RecordPair& p = pairs[k++ % pairs.size()];
    tagFDATA first = *p.first, second = *p.second;
    int score = 0, error = 0;
    char message[256];
    VD_CompareFData1to1(&first, &second, &score, message, &error);
    matches += score == 100;
    benchmark::DoNotOptimize(score);
  }
  state.counters["pairs"] = double(pairs.size());
  state.counters["matched"] = benchmark::Counter(double(matches) / double(state.iterations()));
}

void BM_CompareFData1to1_Genuine(benchmark::State& state) { compareCycling(state, realPairs(true)); }
void BM_CompareFData1to1_Impostor(benchmark::State& state) { compareCycling(state, realPairs(false)); }

// 60 templates of real impressions in user records: of every finger but the
// probe's, impressions (k, k + 1, k + 2) in round k; the probe is that finger's first.
void BM_Search60_NoMatch(benchmark::State& state) {
  constexpr size_t kTemplates = 60;
  const std::vector<RealRecord>& r = realRecords();
  const RealRecord& probe = r.front();
  std::map<std::string, std::vector<const tagFDATA*>> fingers;
  for (const RealRecord& record : r) {
    if (record.set != probe.set || record.finger != probe.finger)
      fingers[record.set + record.finger].push_back(&record.record);
  }
  std::vector<unsigned char> records;
  for (size_t round = 0; round < 8 && records.size() < kTemplates * kRecordSize; ++round) {
    for (const auto& [name, impressions] : fingers) {
      const size_t n = impressions.size();
      if (records.size() == kTemplates * kRecordSize || n < 3) continue;
      const tagENROLL e = ridgecore::synthetic::MakeTemplate(*impressions[round % n], *impressions[(round + 1) % n],
                                                             *impressions[(round + 2) % n]);
      records.resize(records.size() + kRecordSize, 0);
      std::memcpy(records.data() + records.size() - kRecordSize + kTemplateOffset, &e, sizeof e);
    }
  }
  if (records.size() < kTemplates * kRecordSize) {
    state.SkipWithError("not enough real impressions for 60 templates");
    return;
  }
  tagFDATA fresh = probe.record;
  int index = 0, score = 0, error = 0;
  char message[256];
  for (auto _ : state) {
    VD_CompareEnroll1toNUsingFData(&fresh, records.data(), 60, kRecordSize, kTemplateOffset, &index, &score, message,
                                   &error);
    if (error != -9) state.SkipWithError("the probe matched an enrolled template");
    benchmark::DoNotOptimize(score);
  }
}

}  // namespace

BENCHMARK(BM_CompareFData1to1_Genuine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompareFData1to1_Impostor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Search60_NoMatch)->Unit(benchmark::kMillisecond);
