// The fast family: the parameter checks, marks and extraction are here; the
// fast form and the fast matcher come in through FastBridge.
#include <cstring>

#include "api/Extraction.h"
#include "api/FastBridge.h"
#include "api/RecordLayout.h"
#include "api/RetryPicture.h"
#include "api/Search.h"
#include "api/SlotFilling.h"
#include "ridgecore.h"

using namespace ridgecore::api;

namespace {

// The fast form of a fresh record into `fast` (zeroed first). Every record
// has a fast form, so the conversion's failure code (-999) never arises.
void convert(const tagFDATA& record, tagFASTFDATA& fast) {
  tagFASTFDATA converted;
  std::memset(&converted, 0, sizeof converted);
  fastmatcher::toFastForm(record, converted);
  fast = converted;
}

bool extractFast(const unsigned char* image, tagFASTFDATA& fast, const char* tag, Reply& reply) {
  if (!image) return reply.fail(kWrongParam, tag, "Wrong param : pImage is NULL.") != 0;
  tagFDATA record;
  if (!extractRecord(image, record, tag, reply)) return false;
  convert(record, fast);
  return true;
}

ProbeSource<tagFASTFDATA> extractedFastProbe(const unsigned char* image, const char* tag) {
  return [image, tag](tagFASTFDATA& probe, Reply& reply) { return extractFast(image, probe, tag, reply); };
}

ProbeSource<tagFASTFDATA> fastRecordProbe(const tagFASTFDATA* record, const char* tag) {
  return [record, tag](tagFASTFDATA& probe, Reply& reply) {
    if (!record) return reply.fail(kWrongParam, tag, "Wrong param : pFastFData is NULL.") != 0;
    if (!hasFastFDataMark(*record)) return reply.fail(kBadRecord, tag, "Contaminated or Wrong FASTFDATA!!!") != 0;
    probe = *record;
    return true;
  };
}

}  // namespace

int VD_FData2FastFData(tagFDATA* pFData, tagFASTFDATA* pFastFData, char* message, int* error) {
  constexpr char tag[] = "S_F2FF";
  Reply reply(message, error);
  if (!pFData || !pFastFData) return reply.fail(kWrongParam, tag, "Wrong param : NULL pointer.");
  if (!hasFDataMark(*pFData)) return reply.fail(kBadRecord, tag, "Contaminated or Wrong FDATA!!!");
  if (!hasFastFDataMark(*pFastFData)) return reply.fail(kBadRecord, tag, "Contaminated or Wrong FASTFDATA!!!");
  convert(*pFData, *pFastFData);
  writeFastFDataMark(*pFastFData);
  return reply.succeed();
}

int VD_Fast_ExtractFData(unsigned char* pImage, tagFASTFDATA* pFastFData, char* message, int* error) {
  constexpr char tag[] = "S_F_EF";
  Reply reply(message, error);
  if (!pImage) return reply.fail(kWrongParam, tag, "Wrong param : pImage is NULL.");
  if (!pFastFData) return reply.fail(kWrongParam, tag, "Wrong param : pFastFData is NULL.");
  // A failed extraction leaves the image bytes in the record.
  fillFromImage(pFastFData, sizeof *pFastFData, pImage);
  if (!extractFast(pImage, *pFastFData, tag, reply)) return 0;
  writeFastFDataMark(*pFastFData);
  return reply.succeed();
}

int VD_Fast_CompareFData1to1(tagFASTFDATA* pFirst, tagFASTFDATA* pSecond, int* score, char* message, int* error) {
  constexpr char tag[] = "S_F_CF1to1";
  Reply reply(message, error);
  if (!score) return reply.fail(kWrongParam, tag, "Wrong param : score is NULL.");
  *score = 0;
  if (!pFirst || !pSecond) return reply.fail(kWrongParam, tag, "Wrong param : pFastFData is NULL.");
  if (!hasFastFDataMark(*pFirst) || !hasFastFDataMark(*pSecond)) {
    return reply.fail(kBadRecord, tag, "Contaminated or Wrong FASTFDATA!!!");
  }
  *score = fastmatcher::fastMatch(*pFirst, *pSecond) >= 11 ? 100 : 0;
  return reply.succeed();
}

int VD_Fast_MakeEnroll(unsigned char* pImage, int iSelection, tagFASTENROLL* pEnroll, char* message, int* error) {
  constexpr char tag[] = "S_F_ME";
  Reply reply(message, error);
  if (!pImage) return reply.fail(kWrongParam, tag, "Wrong param : pImage is NULL.");
  if (!pEnroll) return reply.fail(kWrongParam, tag, "Wrong param : pEnroll is NULL.");
  const SlotFill fill{
      tag,
      TemplateKind::Fast,
      7,
      NotMovedBand::FromRecord,
      kNotMovedInFingerprint,
      [&](uint8_t* slot, Reply& r) { return extractFast(pImage, *reinterpret_cast<tagFASTFDATA*>(slot), tag, r); },
      [&] { drawRetryIntoImage(pImage); },
  };
  return fillSlot(fill, iSelection, reinterpret_cast<uint8_t*>(pEnroll), reply);
}

int VD_Fast_MakeEnrollUsingFData(tagFASTFDATA* pFastFData, int iSelection, tagFASTENROLL* pEnroll, char* message,
                                 int* error) {
  constexpr char tag[] = "S_F_MEUF";
  Reply reply(message, error);
  if (!pEnroll) return reply.fail(kWrongParam, tag, "Wrong param : pEnroll is NULL.");
  const ProbeSource<tagFASTFDATA> source = fastRecordProbe(pFastFData, tag);
  const SlotFill fill{
      tag,
      TemplateKind::Fast,
      8,
      NotMovedBand::FromRecord,
      kNotMovedInFingerprint,
      [&](uint8_t* slot, Reply& r) { return source(*reinterpret_cast<tagFASTFDATA*>(slot), r); },
      nullptr,
  };
  return fillSlot(fill, iSelection, reinterpret_cast<uint8_t*>(pEnroll), reply);
}

int VD_FAST_CompareEnroll1to1(unsigned char* pImage, tagFASTENROLL* pEnroll, int* score, char* message, int* error) {
  constexpr char tag[] = "S_F_CE1to1";
  Reply reply(message, error);
  return compareWithTemplate<tagFASTFDATA>(tag, extractedFastProbe(pImage, tag), fastmatcher::searchTemplates,
                                           reinterpret_cast<const uint8_t*>(pEnroll), score, reply);
}

int VD_FAST_CompareEnroll1toN(unsigned char* pImage, unsigned char* buffer, int iUserCount, int iDataSize,
                              int iHeaderSize, int* index, int* score, char* message, int* error) {
  constexpr char tag[] = "S_F_CE1toN";
  Reply reply(message, error);
  return searchTemplates<tagFASTFDATA>(tag, kFastSearchLimit, extractedFastProbe(pImage, tag),
                                       fastmatcher::searchTemplates, buffer, iUserCount, iDataSize, iHeaderSize, index,
                                       score, reply);
}

int VD_FAST_CompareEnroll1to1UsingFData(tagFASTFDATA* pFastFData, tagFASTENROLL* pEnroll, int* score, char* message,
                                        int* error) {
  constexpr char tag[] = "S_F_CE1to1UF";
  Reply reply(message, error);
  return compareWithTemplate<tagFASTFDATA>(tag, fastRecordProbe(pFastFData, tag), fastmatcher::searchTemplates,
                                           reinterpret_cast<const uint8_t*>(pEnroll), score, reply);
}

int VD_FAST_CompareEnroll1toNUsingFData(tagFASTFDATA* pFastFData, unsigned char* buffer, int iUserCount, int iDataSize,
                                        int iHeaderSize, int* index, int* score, char* message, int* error) {
  constexpr char tag[] = "S_F_CE1toNUF";
  Reply reply(message, error);
  return searchTemplates<tagFASTFDATA>(tag, kFastSearchLimit, fastRecordProbe(pFastFData, tag),
                                       fastmatcher::searchTemplates, buffer, iUserCount, iDataSize, iHeaderSize, index,
                                       score, reply);
}
