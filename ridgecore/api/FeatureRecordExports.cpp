// The feature-record family: extraction, slot filling and comparison from
// the caller's images and records, on the default pipeline.
#include "api/FeatureRecordFunctions.h"
#include "ridgecore.h"

namespace {

ridgecore::api::FeatureRecordFunctions functions() { return ridgecore::api::FeatureRecordFunctions(); }

}  // namespace

int VD_ExtractFData(const unsigned char* pImage, tagFDATA* pFData, char* message, int* error) {
  return functions().extractFData(pImage, pFData, message, error);
}

int VD_CompareFData1to1(tagFDATA* pFirst, tagFDATA* pSecond, int* score, char* message, int* error) {
  return functions().compareFData1to1(pFirst, pSecond, score, message, error);
}

int VD_MakeEnroll(unsigned char* pImage, int iSelection, tagENROLL* pEnroll, char* message, int* error) {
  return functions().makeEnroll(pImage, iSelection, pEnroll, message, error);
}

int VD_MakeEnrollUsingFData(tagFDATA* pFData, int iSelection, tagENROLL* pEnroll, char* message, int* error) {
  return functions().makeEnrollUsingFData(pFData, iSelection, pEnroll, message, error);
}

int VD_CompareEnroll1to1(unsigned char* pImage, tagENROLL* pEnroll, int* score, char* message, int* error) {
  return functions().compareEnroll1to1(pImage, pEnroll, score, message, error);
}

int VD_CompareEnroll1toN(unsigned char* pImage, const unsigned char* buffer, int iUserCount, int iDataSize,
                         int iHeaderSize, int* index, int* score, char* message, int* error) {
  return functions().compareEnroll1toN(pImage, buffer, iUserCount, iDataSize, iHeaderSize, index, score, message,
                                       error);
}

int VD_CompareEnroll1to1UsingFData(tagFDATA* pFData, tagENROLL* pEnroll, int* score, char* message, int* error) {
  return functions().compareEnroll1to1UsingFData(pFData, pEnroll, score, message, error);
}

int VD_CompareEnroll1toNUsingFData(tagFDATA* pFData, unsigned char* buffer, int iUserCount, int iDataSize,
                                   int iHeaderSize, int* index, int* score, char* message, int* error) {
  return functions().compareEnroll1toNUsingFData(pFData, buffer, iUserCount, iDataSize, iHeaderSize, index, score,
                                                 message, error);
}
