#include "api/Search.h"

#include "enroll/SearchTemplates.h"

namespace ridgecore::api {

int finishSearch(const SearchOutcome& outcome, const char* tag, int* index, int* score, Reply& reply) {
  switch (outcome.kind) {
    case SearchOutcome::Kind::Match:
      if (index) *index = outcome.index;
      *score = kMatchScore;
      return reply.succeed();
    case SearchOutcome::Kind::BadTemplate:
      *score = 0;
      return reply.fail(kBadTemplate, tag, "There is an error in ENROLL data.");
    case SearchOutcome::Kind::NoMatch:
      break;
  }
  *score = 0;
  if (index) *index = -1;
  return reply.complete(kNoMatch, tag, "Please try again...");
}

bool checkSearchParameters(const char* tag, const SearchLimit& limit, const unsigned char* buffer, int count,
                           int dataSize, int headerSize, int* index, int* score, Reply& reply) {
  if (!index || !score) {
    reply.fail(kWrongParam, tag, "Wrong Param : index and score must not be NULL");
    return false;
  }
  *score = 0;
  *index = -1;
  if (count < 0) {
    char text[64];
    std::snprintf(text, sizeof text, "Wrong Param : 0 <= iUserCount <= %d", RIDGECORE_FAST_MAX_USERS);
    reply.fail(kWrongParam, tag, text);
    return false;
  }
  if (count > limit.maximum) {
    reply.fail(kTooManyUsers, limit.message);
    return false;
  }
  if (dataSize <= 0) {
    reply.fail(kWrongParam, tag, "Wrong Param : 0 < iDataSize");
    return false;
  }
  if (headerSize < 0) {
    reply.fail(kWrongParam, tag, "Wrong Param : 0 <= iHeaderSize");
    return false;
  }
  if (!buffer && count > 0) {
    reply.fail(kWrongParam, tag, "Wrong Param : buffer is NULL");
    return false;
  }
  return true;
}

}  // namespace ridgecore::api
