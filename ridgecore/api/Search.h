#pragma once

#include <cstdio>
#include <functional>

#include "api/MatcherBridge.h"
#include "api/RecordLayout.h"
#include "api/Reply.h"

// The comparison flows of both families: a probe (captured, extracted or the
// caller's record) compared with one template or searched among many.
namespace ridgecore::api {

struct SearchLimit {
  int maximum;
  const char* message;  // the -6 text, without a tag
};

inline constexpr SearchLimit kSensorSearchLimit{RIDGECORE_MAX_USERS,
                                                "Lite-SDK support maximum 60 users. Please use Summit-SDK"};
inline constexpr SearchLimit kClassicSearchLimit{
    RIDGECORE_MAX_USERS,
    "VD_CompareEnroll1toN(..) supports maximum 60 users. Please use VD_FAST_CompareEnroll1toN(..)"};
inline constexpr SearchLimit kFastSearchLimit{RIDGECORE_FAST_MAX_USERS,
                                              "Summit-SDK support maximum 32767 users. Please use Vault-SDK"};

template <typename Probe>
using ProbeSource = std::function<bool(Probe& probe, Reply& reply)>;
template <typename Probe>
using TemplateSearch = std::function<SearchOutcome(const Probe& probe, const TemplateList& templates, int* score)>;

// The classic search with the matcher's options bound.
inline TemplateSearch<tagFDATA> classicSearch(const MatchOptions& options = {}) {
  return [options](const tagFDATA& probe, const TemplateList& templates, int* score) {
    return matcher::searchTemplates(probe, templates, score, options);
  };
}

// Score 100 / index on a match, -9 "(tag) Please try again..." without one, -8 on a template without its magic.
int finishSearch(const SearchOutcome& outcome, const char* tag, int* index, int* score, Reply& reply);

// Score 0 and index -1, then the checks of iUserCount, iDataSize and iHeaderSize in that order.
bool checkSearchParameters(const char* tag, const SearchLimit& limit, const unsigned char* buffer, int count,
                           int dataSize, int headerSize, int* index, int* score, Reply& reply);

template <typename Probe>
int searchTemplates(const char* tag, const SearchLimit& limit, const ProbeSource<Probe>& source,
                    const TemplateSearch<Probe>& search, const unsigned char* buffer, int count, int dataSize,
                    int headerSize, int* index, int* score, Reply& reply) {
  if (!checkSearchParameters(tag, limit, buffer, count, dataSize, headerSize, index, score, reply)) return 0;
  Probe probe{};
  if (!source(probe, reply)) return 0;
  return finishSearch(search(probe, TemplateList{buffer, count, dataSize, headerSize}, score), tag, index, score,
                      reply);
}

// 1:1: the probe, then byte 1 of the template (-8), then its three slots.
template <typename Probe>
int compareWithTemplate(const char* tag, const ProbeSource<Probe>& source, const TemplateSearch<Probe>& search,
                        const uint8_t* templ, int* score, Reply& reply) {
  if (!score) return reply.fail(kWrongParam, tag, "Wrong param : score is NULL.");
  *score = 0;
  if (!templ) return reply.fail(kWrongParam, tag, "Wrong param : pEnroll is NULL.");
  Probe probe{};
  if (!source(probe, reply)) return 0;
  if (!hasTemplateMagic(templ)) return reply.fail(kBadTemplate, tag, "There is an error in ENROLL data.");
  return finishSearch(search(probe, TemplateList{templ, 1, 1, 0}, score), tag, nullptr, score, reply);
}

}  // namespace ridgecore::api
