#include "api/Extraction.h"

#include <cstring>

#include "api/RecordLayout.h"
#include "extract/ExtractFeatures.h"

namespace ridgecore::api {

bool extractMinutiae(const uint8_t* image, tagFDATA& record, const char* tag, Reply& reply,
                     const ExtractionOptions& options) {
  char stageMessage[128] = "";
  if (extractFeatures(image, record, stageMessage, nullptr, options) == kExtracted) return true;
  if (std::strcmp(stageMessage, kAmbientLightMessage) == 0) {
    reply.fail(kPoorQuality, tag, "The quality of fingerprint image is not good!");
  } else {
    reply.fail(kExtractionFailed, tag, "Feature Volume Extaction Fail!");
  }
  return false;
}

bool extractRecord(const uint8_t* image, tagFDATA& record, const char* tag, Reply& reply,
                   const ExtractionOptions& options) {
  fillFromImage(&record, sizeof record, image);
  return extractMinutiae(image, record, tag, reply, options);
}

}  // namespace ridgecore::api
