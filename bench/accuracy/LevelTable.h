#pragma once

#include <string>

#include "bench/accuracy/LevelRun.h"

// The level report as a table or as JSON lines, and the distribution of
// paired counts behind it.
namespace accuracy {

void printLevelHeader();
void printLevels(const std::string& family, const LevelReport& report, bool json);
void printPairCounts(const std::string& family, const PairCounts& counts, bool json);

// A JSON string body: quotes, backslashes and control characters escaped.
std::string jsonText(const std::string& text);

// "0.432 121/280"
std::string rateText(const Rate& r);

}  // namespace accuracy
