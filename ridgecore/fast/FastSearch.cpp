#include "fast/FastSearch.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstddef>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "enroll/SecurityLevel.h"
#include "fast/FastMatch.h"
#include "fast/FastParams.h"
#include "fast/FastProbe.h"

namespace ridgecore {
namespace {

constexpr int kSlots = 3;
constexpr int kBlock = 64;          // comparisons a thread takes at a time
constexpr int kParallelFrom = 256;  // fewer comparisons are not worth a thread
constexpr int kMaxThreads = 4;
constexpr int kNone = INT_MAX;
constexpr size_t kCacheLine = 64;
static_assert(FastPairsToMatch(VD_SECURITYMAX) == kFastTemplateMatch, "level 5 is the fast template rule");

// The comparisons of a search in slot-major order: position p is slot
// p / count of template p % count.
struct SearchOrder {
  const unsigned char* buffer;
  int count, dataSize, headerSize;

  const tagFASTENROLL& templateAt(int i) const {
    const std::ptrdiff_t offset = std::ptrdiff_t{headerSize} + std::ptrdiff_t{i} * dataSize;
    return *reinterpret_cast<const tagFASTENROLL*>(buffer + offset);
  }
  int positions() const { return kSlots * count; }
};

// What one block of positions left: where the search ends inside it (a
// match or a template without magic), and the last comparison that measured
// a translation.
struct BlockOutcome {
  int end = kNone;
  bool badTemplate = false;
  int lastMeasured = -1;
  FastTranslation translation{};
};

// The positions of the search, handed out in ascending blocks to any number
// of threads; each thread stops once its position lies beyond the earliest
// end found so far, so every position before the earliest end is compared.
class SearchRun {
 public:
  SearchRun(const tagFASTFDATA& probe, const SearchOrder& order)
      : probe_(probe), order_(order), outcomes_(size_t((order.positions() + kBlock - 1) / kBlock)) {}

  void work() {
    for (;;) {
      const int block = nextBlock_.fetch_add(1, std::memory_order_relaxed);
      if (block >= int(outcomes_.size()) || block * kBlock > end_.load(std::memory_order_relaxed)) return;
      scan(block);
    }
  }

  // The earliest end, kNone when the search ran through.
  int end() const { return end_.load(); }
  bool endsOnBadTemplate() const { return outcomes_[size_t(end() / kBlock)].badTemplate; }

  // The translation of the last measuring comparison up to the end; false
  // when none measured one.
  bool lastTranslation(FastTranslation& out) const {
    const int last = end() == kNone ? order_.positions() - 1 : end();
    for (int block = last / kBlock; block >= 0; --block) {
      const BlockOutcome& o = outcomes_[size_t(block)];
      if (o.lastMeasured < 0) continue;
      out = o.translation;
      return true;
    }
    return false;
  }

 private:
  void scan(int block) {
    BlockOutcome& o = outcomes_[size_t(block)];
    const int last = std::min(order_.positions(), (block + 1) * kBlock);
    for (int position = block * kBlock; position < last; ++position) {
      if (position > end_.load(std::memory_order_relaxed)) return;
      const tagFASTENROLL& enroll = order_.templateAt(position % order_.count);
      if (enroll.magic != RIDGECORE_ENROLL_MAGIC) {
        o.badTemplate = true;
        finish(o, position);
        return;
      }
      const tagFASTFDATA& slot = enroll.slot[position / order_.count];
      if (position + 1 < last) prefetch(position + 1);
      const FastMatchReport report = EvaluateFastMatch(slot, probe_);
      if (report.measured) {
        o.lastMeasured = position;
        o.translation = report.translation;
      }
      if (report.result >= FastPairsToMatch(enroll.security)) {
        finish(o, position);
        return;
      }
    }
  }

  // The next record is far from this one in the caller's array: ask for it
  // while this one is compared.
  void prefetch(int position) const {
    const char* next = reinterpret_cast<const char*>(&order_.templateAt(position % order_.count));
    const char* slot =
        reinterpret_cast<const char*>(&reinterpret_cast<const tagFASTENROLL*>(next)->slot[position / order_.count]);
    __builtin_prefetch(next + 1);  // the magic and level bytes
    for (size_t line = 0; line < sizeof(tagFASTFDATA); line += kCacheLine) __builtin_prefetch(slot + line);
  }

  void finish(BlockOutcome& o, int position) {
    o.end = position;
    int seen = end_.load();
    while (position < seen && !end_.compare_exchange_weak(seen, position)) {
    }
  }

  const FastProbe probe_;
  SearchOrder order_;
  std::vector<BlockOutcome> outcomes_;
  std::atomic<int> nextBlock_{0};
  std::atomic<int> end_{kNone};
};

int usableThreads() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return std::clamp(CPU_COUNT(&set), 1, kMaxThreads);
}

void runThreads(SearchRun& run, int threads) {
  std::vector<std::thread> helpers;
  for (int k = 1; k < threads; ++k) {
    try {
      helpers.emplace_back([&run] { run.work(); });
    } catch (const std::system_error&) {
      break;  // fewer helpers: the blocks are shared among those that run
    }
  }
  run.work();
  for (std::thread& t : helpers) t.join();
}

}  // namespace

int SearchFastTemplates(const tagFASTFDATA& probe, const unsigned char* buffer, int count, int dataSize, int headerSize,
                        int* indexOut, int* scoreOut, int threads) {
  int unusedIndex = 0;
  int unusedScore = 0;
  int* index = indexOut ? indexOut : &unusedIndex;
  int* score = scoreOut ? scoreOut : &unusedScore;
  *index = -1;
  *score = 0;
  if (count <= 0) return kSearchNoMatch;
  if (!buffer) return kSearchBadTemplate;  // no template where the first should be
  const SearchOrder order{buffer, count, dataSize, headerSize};
  SearchRun run(probe, order);
  if (threads <= 0) threads = usableThreads();
  runThreads(run, order.positions() < kParallelFrom ? 1 : threads);
  FastTranslation translation;
  if (run.lastTranslation(translation)) StoreFastTranslation(translation);
  if (run.end() == kNone) return kSearchNoMatch;
  if (run.endsOnBadTemplate()) return kSearchBadTemplate;
  *index = run.end() % count;
  *score = kMatchScore;
  return kSearchMatched;
}

int CompareWithFastTemplate(const tagFASTFDATA& probe, const tagFASTENROLL& enroll, int* score) {
  int index = -1;
  return SearchFastTemplates(probe, reinterpret_cast<const unsigned char*>(&enroll), 1, int{sizeof(tagFASTENROLL)}, 0,
                             &index, score, 1);
}

}  // namespace ridgecore
