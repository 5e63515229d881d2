#include "enroll/SearchTemplates.h"

#include <cstddef>

#include "enroll/SecurityLevel.h"
#include "match/MatchFeatureSets.h"
#include "match/MatchListBuilder.h"

namespace ridgecore {
namespace {

constexpr int kSlots = 3;
static_assert(ClassicPairsToMatch(VD_SECURITYMAX) == kMatchingPairs, "level 5 is the record comparison's rule");

const tagENROLL& templateAt(const unsigned char* buffer, int i, int dataSize, int headerSize) {
  const std::ptrdiff_t offset = std::ptrdiff_t{headerSize} + std::ptrdiff_t{i} * dataSize;
  return *reinterpret_cast<const tagENROLL*>(buffer + offset);
}

}  // namespace

int SearchTemplates(const tagFDATA& probe, const unsigned char* buffer, int count, int dataSize, int headerSize,
                    int* indexOut, int* scoreOut, const MatchOptions& options) {
  int unusedIndex = 0;
  int unusedScore = 0;
  int* index = indexOut ? indexOut : &unusedIndex;
  int* score = scoreOut ? scoreOut : &unusedScore;
  *index = -1;
  *score = 0;
  if (!buffer && count > 0) return kSearchBadTemplate;  // no template where the first should be
  MatchList& searched = SearchedWorkingList();
  PrepareMatchList(probe, searched);
  MatchList& scanned = ScannedWorkingList();
  for (int slot = 0; slot < kSlots; ++slot) {
    for (int i = 0; i < count; ++i) {
      const tagENROLL& enroll = templateAt(buffer, i, dataSize, headerSize);
      if (enroll.magic != RIDGECORE_ENROLL_MAGIC) {
        *score = 0;
        return kSearchBadTemplate;
      }
      PrepareMatchList(enroll.slot[slot], scanned);
      *score = MatchFeatureSets(scanned, searched, options);
      if (*score >= ClassicPairsToMatch(enroll.security)) {
        *index = i;
        *score = kMatchScore;
        return kSearchMatched;
      }
    }
  }
  *score = 0;
  return kSearchNoMatch;
}

int CompareWithTemplate(const tagFDATA& probe, const tagENROLL& enroll, int* score, const MatchOptions& options) {
  int index = -1;
  return SearchTemplates(probe, reinterpret_cast<const unsigned char*>(&enroll), 1, int{sizeof(tagENROLL)}, 0, &index,
                         score, options);
}

}  // namespace ridgecore
