#include "fast/FastParams.h"

namespace ridgecore {
namespace {

const FastParams kParams;
// Static storage without a constructor: zero from the moment the library is loaded.
FastTranslation lastTranslation;

}  // namespace

const FastParams& fastParams() { return kParams; }

FastTranslation LastFastTranslation() { return lastTranslation; }

void StoreFastTranslation(FastTranslation translation) { lastTranslation = translation; }

}  // namespace ridgecore
