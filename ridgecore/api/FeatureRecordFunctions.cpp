#include "api/FeatureRecordFunctions.h"

#include "api/Extraction.h"
#include "api/RecordLayout.h"
#include "api/RetryPicture.h"
#include "api/Search.h"
#include "api/SlotFilling.h"
#include "enroll/SearchTemplates.h"

namespace ridgecore::api {
namespace {

ProbeSource<tagFDATA> extractedProbe(const unsigned char* image, const char* tag, const ExtractionOptions& options) {
  return [image, tag, &options](tagFDATA& probe, Reply& reply) {
    if (!image) return reply.fail(kWrongParam, tag, "Wrong param : pImage is NULL.") != 0;
    return extractRecord(image, probe, tag, reply, options);
  };
}

ProbeSource<tagFDATA> recordProbe(const tagFDATA* record, const char* tag) {
  return [record, tag](tagFDATA& probe, Reply& reply) {
    if (!record) return reply.fail(kWrongParam, tag, "Wrong param : pFData is NULL.") != 0;
    if (!hasFDataMark(*record)) return reply.fail(kBadRecord, tag, "Contaminated or Wrong FDATA!!!") != 0;
    probe = *record;
    return true;
  };
}

}  // namespace

int FeatureRecordFunctions::extractFData(const unsigned char* pImage, tagFDATA* pFData, char* message,
                                         int* error) const {
  constexpr char tag[] = "S_EF";
  Reply reply(message, error);
  if (!pImage) return reply.fail(kWrongParam, tag, "Wrong param : pImage is NULL.");
  if (!pFData) return reply.fail(kWrongParam, tag, "Wrong param : pFData is NULL.");
  if (!extractRecord(pImage, *pFData, tag, reply, extraction_)) return 0;
  writeFDataMark(*pFData);
  return reply.succeed();
}

int FeatureRecordFunctions::compareFData1to1(tagFDATA* pFirst, tagFDATA* pSecond, int* score, char* message,
                                             int* error) const {
  constexpr char tag[] = "S_CF1to1";
  Reply reply(message, error);
  if (!score) return reply.fail(kWrongParam, tag, "Wrong param : score is NULL.");
  *score = 0;
  if (!pFirst || !pSecond) return reply.fail(kWrongParam, tag, "Wrong param : pFData is NULL.");
  if (!hasFDataMark(*pFirst) || !hasFDataMark(*pSecond)) {
    return reply.fail(kBadRecord, tag, "Contaminated or Wrong FDATA!!!");
  }
  // The second record is the stored side: the scanned list.
  *score = matcher::matchRecords(*pSecond, *pFirst, matching_);
  *score = *score >= kMatchingPairs ? kMatchScore : 0;
  return reply.succeed();
}

int FeatureRecordFunctions::makeEnroll(unsigned char* pImage, int iSelection, tagENROLL* pEnroll, char* message,
                                       int* error) const {
  constexpr char tag[] = "S_ME";
  Reply reply(message, error);
  if (!pImage) return reply.fail(kWrongParam, tag, "Wrong param : pImage is NULL.");
  if (!pEnroll) return reply.fail(kWrongParam, tag, "Wrong param : pEnroll is NULL.");
  const SlotFill fill{
      tag,
      TemplateKind::Classic,
      7,
      NotMovedBand::FromImage,
      kNotMovedInFingerprint,
      [&](uint8_t* slot, Reply& r) {
        return extractRecord(pImage, *reinterpret_cast<tagFDATA*>(slot), tag, r, extraction_);
      },
      [&] { drawRetryIntoImage(pImage); },
      matching_,
  };
  return fillSlot(fill, iSelection, reinterpret_cast<uint8_t*>(pEnroll), reply);
}

int FeatureRecordFunctions::makeEnrollUsingFData(tagFDATA* pFData, int iSelection, tagENROLL* pEnroll, char* message,
                                                 int* error) const {
  constexpr char tag[] = "S_MEUF";
  Reply reply(message, error);
  if (!pEnroll) return reply.fail(kWrongParam, tag, "Wrong param : pEnroll is NULL.");
  const ProbeSource<tagFDATA> source = recordProbe(pFData, tag);
  const SlotFill fill{
      tag,
      TemplateKind::Classic,
      8,
      NotMovedBand::FromRecord,
      kNotMovedInFingerprint,
      [&](uint8_t* slot, Reply& r) { return source(*reinterpret_cast<tagFDATA*>(slot), r); },
      nullptr,
      matching_,
  };
  return fillSlot(fill, iSelection, reinterpret_cast<uint8_t*>(pEnroll), reply);
}

int FeatureRecordFunctions::compareEnroll1to1(unsigned char* pImage, tagENROLL* pEnroll, int* score, char* message,
                                              int* error) const {
  constexpr char tag[] = "S_CE1toN";
  Reply reply(message, error);
  return compareWithTemplate<tagFDATA>(tag, extractedProbe(pImage, tag, extraction_), classicSearch(matching_),
                                       reinterpret_cast<const uint8_t*>(pEnroll), score, reply);
}

int FeatureRecordFunctions::compareEnroll1toN(unsigned char* pImage, const unsigned char* buffer, int iUserCount,
                                              int iDataSize, int iHeaderSize, int* index, int* score, char* message,
                                              int* error) const {
  constexpr char tag[] = "S_CE1toN";
  Reply reply(message, error);
  return searchTemplates<tagFDATA>(tag, kClassicSearchLimit, extractedProbe(pImage, tag, extraction_),
                                   classicSearch(matching_), buffer, iUserCount, iDataSize, iHeaderSize, index, score,
                                   reply);
}

int FeatureRecordFunctions::compareEnroll1to1UsingFData(tagFDATA* pFData, tagENROLL* pEnroll, int* score, char* message,
                                                        int* error) const {
  constexpr char tag[] = "S_CE1to1UF";
  Reply reply(message, error);
  return compareWithTemplate<tagFDATA>(tag, recordProbe(pFData, tag), classicSearch(matching_),
                                       reinterpret_cast<const uint8_t*>(pEnroll), score, reply);
}

int FeatureRecordFunctions::compareEnroll1toNUsingFData(tagFDATA* pFData, const unsigned char* buffer, int iUserCount,
                                                        int iDataSize, int iHeaderSize, int* index, int* score,
                                                        char* message, int* error) const {
  constexpr char tag[] = "S_CE1toNUF";
  Reply reply(message, error);
  return searchTemplates<tagFDATA>(tag, kClassicSearchLimit, recordProbe(pFData, tag), classicSearch(matching_), buffer,
                                   iUserCount, iDataSize, iHeaderSize, index, score, reply);
}

}  // namespace ridgecore::api
