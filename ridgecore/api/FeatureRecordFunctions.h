#pragma once

#include "extract/ExtractFeatures.h"
#include "match/MatchOptions.h"
#include "ridgecore.h"

namespace ridgecore::api {

// The feature-record family of exports (VD_ExtractFData .. VD_CompareEnroll1toNUsingFData),
// each method the export of the same name. The exports run the default
// pipeline; an in-process caller such as the accuracy harness may run the
// same functions on a variant of the extraction or of the matcher.
class FeatureRecordFunctions {
 public:
  explicit FeatureRecordFunctions(const ExtractionOptions& extraction = {}, const MatchOptions& matching = {})
      : extraction_(extraction), matching_(matching) {}

  int extractFData(const unsigned char* pImage, tagFDATA* pFData, char* message, int* error) const;
  int compareFData1to1(tagFDATA* pFirst, tagFDATA* pSecond, int* score, char* message, int* error) const;
  int makeEnroll(unsigned char* pImage, int iSelection, tagENROLL* pEnroll, char* message, int* error) const;
  int makeEnrollUsingFData(tagFDATA* pFData, int iSelection, tagENROLL* pEnroll, char* message, int* error) const;
  int compareEnroll1to1(unsigned char* pImage, tagENROLL* pEnroll, int* score, char* message, int* error) const;
  int compareEnroll1toN(unsigned char* pImage, const unsigned char* buffer, int iUserCount, int iDataSize,
                        int iHeaderSize, int* index, int* score, char* message, int* error) const;
  int compareEnroll1to1UsingFData(tagFDATA* pFData, tagENROLL* pEnroll, int* score, char* message, int* error) const;
  int compareEnroll1toNUsingFData(tagFDATA* pFData, const unsigned char* buffer, int iUserCount, int iDataSize,
                                  int iHeaderSize, int* index, int* score, char* message, int* error) const;

 private:
  ExtractionOptions extraction_;
  MatchOptions matching_;
};

}  // namespace ridgecore::api
