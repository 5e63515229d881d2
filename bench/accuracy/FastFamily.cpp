#include "bench/accuracy/FastFamily.h"

#include <algorithm>
#include <cstring>

#include "api/RecordLayout.h"
#include "bench/accuracy/TemplateAssembly.h"
#include "enroll/SecurityLevel.h"
#include "fast/FastMatch.h"
#include "ridgecore.h"

namespace accuracy {
namespace {

template <typename T>
T* as(Bytes& bytes) {
  return reinterpret_cast<T*>(bytes.data());
}

}  // namespace

int FastFamily::extractFast(const Image& image, Bytes& record) {
  tagFDATA classic;
  char message[256];
  int error = 0;
  if (!functions_.extractFData(image.data(), &classic, message, &error)) return error;
  record.assign(sizeof(tagFASTFDATA), 0);
  ridgecore::api::writeFastFDataMark(*as<tagFASTFDATA>(record));
  if (!VD_FData2FastFData(&classic, as<tagFASTFDATA>(record), message, &error)) return error;
  return 0;
}

std::optional<Bytes> FastFamily::extract(const Image& image) {
  Bytes record;
  if (extractFast(image, record) != 0) return std::nullopt;
  return record;
}

bool FastFamily::compare1to1(const Bytes& stored, const Bytes& fresh) {
  Bytes first = stored, second = fresh;  // the first record is the stored side
  int score = 0, error = 0;
  char message[256];
  VD_Fast_CompareFData1to1(as<tagFASTFDATA>(first), as<tagFASTFDATA>(second), &score, message, &error);
  return score == 100;
}

int FastFamily::enroll(const std::vector<const Image*>& impressions, Bytes& templ) {
  templ.assign(sizeof(tagFASTENROLL), 0);
  for (size_t slot = 0; slot < impressions.size(); ++slot) {
    Bytes record;
    if (const int refused = extractFast(*impressions[slot], record)) return refused;
    char message[256];
    int error = 0;
    if (!VD_Fast_MakeEnrollUsingFData(as<tagFASTFDATA>(record), int(slot), as<tagFASTENROLL>(templ), message, &error)) {
      return error;
    }
  }
  return 0;
}

Bytes FastFamily::assembleTemplate(const std::array<const std::optional<Bytes>*, 3>& records) {
  return assembleWithoutRule<tagFASTENROLL, tagFASTFDATA>(records, ridgecore::api::TemplateKind::Fast);
}

// One search takes every template of a set (up to 32767).
int FastFamily::search1toN(const Image& probe, const std::vector<Bytes>& templates) {
  Bytes record;
  if (extractFast(probe, record) != 0) return -1;
  const size_t size = sizeof(tagFASTENROLL);
  Bytes buffer(std::max<size_t>(templates.size(), 1) * size, 0);
  for (size_t i = 0; i < templates.size(); ++i) std::memcpy(buffer.data() + i * size, templates[i].data(), size);
  int index = -1, score = 0, error = 0;
  char message[256];
  VD_FAST_CompareEnroll1toNUsingFData(as<tagFASTFDATA>(record), buffer.data(), int(templates.size()), int(size), 0,
                                      &index, &score, message, &error);
  return score == 100 ? index : -1;
}

int FastFamily::pairCount(const Bytes& stored, const Bytes& fresh) {
  return ridgecore::EvaluateFastMatch(*reinterpret_cast<const tagFASTFDATA*>(stored.data()),
                                      *reinterpret_cast<const tagFASTFDATA*>(fresh.data()))
      .result;
}

int FastFamily::pairsToMatch(int level) const { return ridgecore::FastPairsToMatch(level); }

void FastFamily::setLevel(Bytes& templ, int level) {
  char message[256];
  int error = 0;
  VD_FAST_SetSecurityLevel(as<tagFASTENROLL>(templ), level, message, &error);
}

bool FastFamily::matchesTemplate(const Bytes& templ, const Bytes& fresh) {
  Bytes stored = templ, probe = fresh;
  int score = 0, error = 0;
  char message[256];
  VD_FAST_CompareEnroll1to1UsingFData(as<tagFASTFDATA>(probe), as<tagFASTENROLL>(stored), &score, message, &error);
  return score == 100;
}

}  // namespace accuracy
