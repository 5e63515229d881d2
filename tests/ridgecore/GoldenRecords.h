#pragma once

#include <string>
#include <vector>

#include "ridgecore.h"

// The feature records of the real images as the extraction's golden files
// hold them (tests/ridgecore/data), one file a set and polarity: real
// records for comparison tests without extracting anything.
namespace ridgecoretest {

struct GoldenRecord {
  std::string image;  // 101_3
  tagFDATA record;    // minutiae and validity mark, zero elsewhere
};

// The four files: both sets, each in the sensor's polarity and as stored.
inline constexpr const char* kGoldenRecordFiles[] = {"fvc2000_db1_b-sensor", "fvc2000_db1_b-stored",
                                                     "fvc2002_db1_b-sensor", "fvc2002_db1_b-stored"};

// The records of the images that extracted, in file order. `folder` holds
// the files; `file` is one of kGoldenRecordFiles.
std::vector<GoldenRecord> readGoldenRecords(const std::string& folder, const std::string& file);

// "101" of "101_3".
std::string fingerOf(const GoldenRecord& r);

}  // namespace ridgecoretest
