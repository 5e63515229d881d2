#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "bench/ridgecore/BenchImages.h"
#include "extract/ExtractFeatures.h"
#include "fast/FastForm.h"
#include "fast/FastMatch.h"
#include "fast/FastProbe.h"
#include "fast/FastSearch.h"
#include "match/synthetic/SyntheticMinutiae.h"

using namespace ridgecore;
using namespace ridgecore::synthetic;

namespace {

constexpr int kPairs = 64;
constexpr int kTemplates = 32767;
constexpr int kFingers = 64;  // distinct fingers behind the templates

tagFASTFDATA fast(const tagFDATA& r) {
  tagFASTFDATA out;
  std::memset(&out, 0, sizeof out);
  ToFastForm(r, out);
  std::memcpy(out.mark, "1040TF", 6);
  return out;
}

// Pairs of records, each record held once: a comparison meets records that
// are in the cache, as a 1:1 comparison of a record just extracted does.
struct FastPairs {
  std::vector<tagFASTFDATA> records;
  std::vector<std::pair<size_t, size_t>> pairs;
  const tagFASTFDATA& first(size_t k) const { return records[pairs[k].first]; }
  const tagFASTFDATA& second(size_t k) const { return records[pairs[k].second]; }
};

FastPairs pairsOf(RecordPair (*make)(uint64_t)) {
  FastPairs p;
  for (int k = 0; k < kPairs; ++k) {
    const RecordPair r = make(uint64_t(k + 1));
    p.records.push_back(fast(r.first));
    p.records.push_back(fast(r.second));
    p.pairs.emplace_back(2 * size_t(k), 2 * size_t(k) + 1);
  }
  return p;
}

void runPairs(benchmark::State& state, const FastPairs& p) {
  size_t k = 0;
  for (auto _ : state) {
    const size_t i = k++ % p.pairs.size();
    benchmark::DoNotOptimize(FastMatch(p.first(i), p.second(i)));
  }
}

void BM_FastMatch_Genuine(benchmark::State& state) { runPairs(state, pairsOf(GenuinePair)); }
void BM_FastMatch_Impostor(benchmark::State& state) { runPairs(state, pairsOf(ImpostorPair)); }

// The real prints that pass the quality gate, as records (impressions of one
// finger are consecutive, eight a finger).
struct RealRecord {
  int finger;  // set * 100 + finger
  tagFDATA record;
  tagFASTFDATA fast;
};

const std::vector<RealRecord>& realRecords() {
  static const std::vector<RealRecord> records = [] {
    std::vector<RealRecord> out;
    const std::vector<ridgecorebench::BenchImage>& images = ridgecorebench::realImages();
    for (size_t k = 0; k < images.size(); ++k) {
      RealRecord r{int(k / 8), {}, {}};
      if (ridgecore::extractFeatures(images[k].pixels.data(), r.record, nullptr) != ridgecore::kExtracted) continue;
      std::memcpy(r.record.mark, "1040DV", 6);
      r.fast = fast(r.record);
      out.push_back(r);
    }
    return out;
  }();
  return records;
}

FastPairs realPairs(bool sameFinger) {
  FastPairs p;
  const std::vector<RealRecord>& r = realRecords();
  for (const RealRecord& record : r) p.records.push_back(record.fast);
  for (size_t i = 0; i < r.size(); ++i) {
    for (size_t j = 0; j < r.size(); ++j) {
      if (i != j && (r[i].finger == r[j].finger) == sameFinger) p.pairs.emplace_back(i, j);
    }
  }
  return p;
}

void BM_FastMatch_GenuineReal(benchmark::State& state) { runPairs(state, realPairs(true)); }
void BM_FastMatch_ImpostorReal(benchmark::State& state) { runPairs(state, realPairs(false)); }

// Argument 1: the probe's cells, 0: its exact tables. False (and the
// benchmark skipped) where the processor cannot run the cells.
bool methodOf(benchmark::State& state, FastProbe::Method& method) {
  method = state.range(0) == 0 ? FastProbe::Method::Tables : FastProbe::Method::Cells;
  if (method == FastProbe::Method::Tables || FastProbe::bestMethod() == FastProbe::Method::Cells) return true;
  state.SkipWithError("the processor cannot run the cells");
  return false;
}

// The impostor comparisons of a search: one prepared probe, many stored sides.
void BM_FastMatch_ImpostorPrepared(benchmark::State& state) {
  FastProbe::Method method;
  if (!methodOf(state, method)) return;
  const FastPairs p = pairsOf(ImpostorPair);
  const FastProbe probe(p.second(0), method);
  size_t k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(EvaluateFastMatch(p.first(k++ % p.pairs.size()), probe).result);
}

// Single comparisons with the exact tables, as they run on a processor
// without the instructions of the cells.
void runPairsWithTables(benchmark::State& state, const FastPairs& p) {
  size_t k = 0;
  for (auto _ : state) {
    const size_t i = k++ % p.pairs.size();
    benchmark::DoNotOptimize(FastMatch(p.first(i), FastProbe(p.second(i), FastProbe::Method::Tables)));
  }
}
void BM_FastMatch_ImpostorByTables(benchmark::State& state) { runPairsWithTables(state, pairsOf(ImpostorPair)); }
void BM_FastMatch_ImpostorRealByTables(benchmark::State& state) { runPairsWithTables(state, realPairs(false)); }

void BM_FastProbe(benchmark::State& state) {
  FastProbe::Method method;
  if (!methodOf(state, method)) return;
  const FastPairs p = pairsOf(ImpostorPair);
  size_t k = 0;
  for (auto _ : state) {
    const FastProbe probe(p.records[k++ % p.records.size()], method);
    benchmark::DoNotOptimize(probe.record().count);
  }
}

void BM_ToFastForm(benchmark::State& state) {
  std::vector<tagFDATA> records;
  for (int k = 0; k < kPairs; ++k) records.push_back(GenuinePair(uint64_t(k + 1)).first);
  tagFASTFDATA out;
  std::memset(&out, 0, sizeof out);
  size_t k = 0;
  for (auto _ : state) {
    ToFastForm(records[k++ % records.size()], out);
    benchmark::DoNotOptimize(out.count);
  }
}

// A finger moved and turned a little: variant v of a finger is a different
// record from every other variant.
MinutiaSet variant(const MinutiaSet& finger, int v) {
  const double turn = ((v % 7) - 3) * 0.02;
  const double c = std::cos(turn), s = std::sin(turn);
  MinutiaSet out;
  for (const Minutia& m : finger) {
    Minutia t = m;
    t.x = int(std::lround(150 + (m.x - 150) * c - (m.y - 150) * s)) + 2 * (v / 7 % 9) - 8;
    t.y = int(std::lround(150 + (m.x - 150) * s + (m.y - 150) * c)) + 2 * (v / 63 % 9) - 8;
    t.direction = (m.direction + int(std::lround(turn * 128 / 6.283185307179586)) + 128) % 128;
    if (t.x >= 0 && t.y >= 0 && t.x < 300 && t.y < 300) out.push_back(t);
  }
  return out;
}

// The minutiae of a record as a set in pixels, to be moved and turned.
MinutiaSet minutiaeOf(const tagFDATA& r) {
  MinutiaSet set;
  for (int k = 0; k < r.count && k < RIDGECORE_MAX_MINUTIAE; ++k)
    set.push_back(
        {2 * r.minutiae[k].x, 2 * r.minutiae[k].y, r.minutiae[k].typeDir >> 1, (r.minutiae[k].typeDir & 1) != 0});
  return set;
}

// 32767 templates of three impressions each in one buffer, every one a
// variant (moved and turned a little) of a source finger, no two alike; the
// probe is a finger none of them holds, so the search compares every slot.
struct SearchSet {
  std::vector<unsigned char> buffer;
  tagFASTFDATA probe;

  SearchSet(const std::vector<MinutiaSet>& fingers, const tagFASTFDATA& stranger)
      : buffer(size_t(kTemplates) * sizeof(tagFASTENROLL)), probe(stranger) {
    const int n = int(fingers.size());
    for (int i = 0; i < kTemplates; ++i) {
      const MinutiaSet& finger = fingers[size_t(i % n)];
      const int v = i / n;  // no two templates alike
      tagFASTENROLL e;
      std::memset(&e, 0, sizeof e);
      for (int s = 0; s < 3; ++s) e.slot[s] = fast(MakeRecord(variant(finger, (v + 170 * s) % 567)));
      e.flags[0] = e.flags[1] = e.flags[2] = 1;
      e.type = 2;
      e.magic = RIDGECORE_ENROLL_MAGIC;
      std::memcpy(buffer.data() + size_t(i) * sizeof e, &e, sizeof e);
    }
  }
};

// Templates from the real records of every finger but the first; the probe
// is the first finger's first impression.
const SearchSet& realSearchSet() {
  static const SearchSet set = [] {
    std::vector<MinutiaSet> fingers;
    for (const RealRecord& r : realRecords()) {
      if (r.finger != realRecords().front().finger) fingers.push_back(minutiaeOf(r.record));
    }
    return SearchSet(fingers, realRecords().front().fast);
  }();
  return set;
}

const SearchSet& syntheticSearchSet() {
  static const SearchSet set = [] {
    std::vector<MinutiaSet> fingers;
    for (int f = 0; f < kFingers; ++f) {
      Random random(uint64_t(8000 + f));
      fingers.push_back(RandomMinutiae(random, random.uniform(28, 45)));
    }
    Random random(99);
    return SearchSet(fingers, fast(MakeRecord(RandomMinutiae(random, 38))));
  }();
  return set;
}

void runSearch(benchmark::State& state, const SearchSet& set) {
  int index = 0, score = 0;
  for (auto _ : state) {
    const int code = SearchFastTemplates(set.probe, set.buffer.data(), kTemplates, int{sizeof(tagFASTENROLL)}, 0,
                                         &index, &score, int(state.range(0)));
    if (code != kSearchNoMatch) state.SkipWithError("the probe matched a template");
    benchmark::DoNotOptimize(score);
  }
}

void BM_FastSearch32767_NoMatch(benchmark::State& state) { runSearch(state, realSearchSet()); }
void BM_FastSearch32767_NoMatch_Synthetic(benchmark::State& state) { runSearch(state, syntheticSearchSet()); }

}  // namespace

BENCHMARK(BM_FastMatch_Genuine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FastMatch_Impostor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FastMatch_GenuineReal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FastMatch_ImpostorReal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FastMatch_ImpostorPrepared)->ArgName("cells")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FastMatch_ImpostorByTables)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FastMatch_ImpostorRealByTables)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FastProbe)->ArgName("cells")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ToFastForm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FastSearch32767_NoMatch)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FastSearch32767_NoMatch_Synthetic)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
