#include "match/MatchResults.h"

namespace ridgecore {
namespace {

MatchResults g_lastMatch;  // zero-initialised before any code runs

}  // namespace

const MatchResults& LastMatchResults() { return g_lastMatch; }

void StoreMatchResults(const MatchResults& results) { g_lastMatch = results; }

}  // namespace ridgecore
