#pragma once

#include <cstdint>

#include "api/Reply.h"
#include "extract/ExtractFeatures.h"
#include "ridgecore.h"

namespace ridgecore::api {

// Extracts the minutiae of `image` into `record` (count and minutiae only).
// A rejected image gives -12 "(tag) The quality of fingerprint image is not
// good!", any other failure -3 "(tag) Feature Volume Extaction Fail!".
// Returns true on success (the reply is then untouched).
bool extractMinutiae(const uint8_t* image, tagFDATA& record, const char* tag, Reply& reply,
                     const ExtractionOptions& options = {});

// Filler from the image, then the minutiae: a record as the exports hand it out, without its mark.
bool extractRecord(const uint8_t* image, tagFDATA& record, const char* tag, Reply& reply,
                   const ExtractionOptions& options = {});

}  // namespace ridgecore::api
