#include "bench/accuracy/ClassicFamily.h"

#include <algorithm>
#include <cstring>

#include "api/RecordLayout.h"
#include "bench/accuracy/TemplateAssembly.h"
#include "enroll/SecurityLevel.h"
#include "match/MatchFeatureSets.h"
#include "match/MatchResults.h"

namespace accuracy {
namespace {

constexpr int kMaxTemplates = RIDGECORE_MAX_USERS;

template <typename T>
T* as(Bytes& bytes) {
  return reinterpret_cast<T*>(bytes.data());
}

}  // namespace

std::optional<Bytes> ClassicFamily::extract(const Image& image) {
  Bytes record(sizeof(tagFDATA));
  char message[256];
  int error = 0;
  if (!functions_.extractFData(image.data(), as<tagFDATA>(record), message, &error)) return std::nullopt;
  return record;
}

bool ClassicFamily::compare1to1(const Bytes& stored, const Bytes& fresh) {
  Bytes first = fresh, second = stored;  // the second record is the stored (scanned) side
  int score = 0, error = 0;
  char message[256];
  functions_.compareFData1to1(as<tagFDATA>(first), as<tagFDATA>(second), &score, message, &error);
  return score == 100;
}

int ClassicFamily::enroll(const std::vector<const Image*>& impressions, Bytes& templ) {
  templ.assign(sizeof(tagENROLL), 0);
  for (size_t slot = 0; slot < impressions.size(); ++slot) {
    Image image = *impressions[slot];  // a refused fill draws into the caller's image
    char message[256];
    int error = 0;
    if (!functions_.makeEnroll(image.data(), int(slot), as<tagENROLL>(templ), message, &error)) return error;
  }
  return 0;
}

Bytes ClassicFamily::assembleTemplate(const std::array<const std::optional<Bytes>*, 3>& records) {
  return assembleWithoutRule<tagENROLL, tagFDATA>(records, ridgecore::api::TemplateKind::Classic);
}

// More templates than one search takes are searched 60 at a time, in order.
int ClassicFamily::search1toN(const Image& probe, const std::vector<Bytes>& templates) {
  const int size = int(sizeof(tagENROLL));
  for (size_t first = 0; first < std::max<size_t>(templates.size(), 1); first += kMaxTemplates) {
    const int count = int(std::min<size_t>(kMaxTemplates, templates.size() - first));
    Bytes buffer(size_t(std::max(count, 1)) * size, 0);
    for (int i = 0; i < count; ++i) std::memcpy(buffer.data() + size_t(i) * size, templates[first + i].data(), size);
    Image image = probe;
    int index = -1, score = 0, error = 0;
    char message[256];
    functions_.compareEnroll1toN(image.data(), buffer.data(), count, size, 0, &index, &score, message, &error);
    if (index >= 0) return int(first) + index;
    if (error != ridgecore::api::kNoMatch) return -1;  // the probe was refused
  }
  return -1;
}

int ClassicFamily::pairCount(const Bytes& stored, const Bytes& fresh) {
  return ridgecore::MatchFeatureSets(reinterpret_cast<const tagFDATA*>(stored.data()),
                                     reinterpret_cast<const tagFDATA*>(fresh.data()), matching_);
}

int ClassicFamily::pairsToMatch(int level) const { return ridgecore::ClassicPairsToMatch(level); }

void ClassicFamily::setLevel(Bytes& templ, int level) {
  char message[256];
  int error = 0;
  VD_SetSecurityLevel(as<tagENROLL>(templ), level, message, &error);
}

bool ClassicFamily::matchesTemplate(const Bytes& templ, const Bytes& fresh) {
  Bytes stored = templ, probe = fresh;
  int score = 0, error = 0;
  char message[256];
  functions_.compareEnroll1to1UsingFData(as<tagFDATA>(probe), as<tagENROLL>(stored), &score, message, &error);
  return score == 100;
}

std::string ClassicFamily::lastComparison() const {
  const ridgecore::MatchResults& r = ridgecore::LastMatchResults();
  return "pairs " + std::to_string(r.pairs) + ", decision " + std::to_string(r.decision) + ", shift (" +
         std::to_string(r.dx) + ", " + std::to_string(r.dy) + ")";
}

}  // namespace accuracy
