#include "api/SensorFlows.h"

#include "api/Extraction.h"
#include "api/RetryPicture.h"
#include "api/Search.h"
#include "api/SlotFilling.h"
#include "extract/Allocation.h"
#include "extract/Geometry.h"

namespace ridgecore::api {
namespace {
constexpr char kEnrollTag[] = "VD_Enroll";
constexpr char kCompareTag[] = "VD_Compare";

// Captures into a buffer of this call and extracts from it.
bool captureAndExtract(const CaptureDevice& device, unsigned char* preview, tagFDATA& record, const char* tag,
                       Reply& reply) {
  std::unique_ptr<uint8_t[]> image;
  try {
    image = allocateArray<uint8_t>(kImagePixels);
  } catch (const std::bad_alloc&) {
    return reply.fail(kExtractionFailed, tag, "Feature Volume Extaction Fail!");
  }
  return captureImage(device, image.get(), preview, tag, reply) && extractMinutiae(image.get(), record, tag, reply);
}

}  // namespace

int enrollFromSensor(const CaptureDevice& device, int iSelection, tagENROLL* pEnroll, unsigned char* pPreview,
                     char* message, int* error) {
  Reply reply(message, error);
  if (!pEnroll) return reply.fail(kWrongParam, kEnrollTag, "Wrong param : pEnroll is NULL.");
  const SlotFill fill{
      kEnrollTag,
      TemplateKind::Classic,
      7,
      NotMovedBand::FromImage,
      "No sufficient offset in image. Please lift your finger and try again!",
      // Straight into the slot: no filler, no mark.
      [&](uint8_t* slot, Reply& r) {
        return captureAndExtract(device, pPreview, *reinterpret_cast<tagFDATA*>(slot), kEnrollTag, r);
      },
      [&] { drawRetryIntoPreview(pPreview); },
  };
  return fillSlot(fill, iSelection, reinterpret_cast<uint8_t*>(pEnroll), reply);
}

int compareFromSensor(const CaptureDevice& device, const unsigned char* buffer, int iUserCount, int iDataSize,
                      int iHeaderSize, unsigned char* pPreview, int* index, int* score, char* message, int* error) {
  Reply reply(message, error);
  const ProbeSource<tagFDATA> capture = [&](tagFDATA& probe, Reply& r) {
    return captureAndExtract(device, pPreview, probe, kCompareTag, r);
  };
  return searchTemplates<tagFDATA>(kCompareTag, kSensorSearchLimit, capture, classicSearch(), buffer, iUserCount,
                                   iDataSize, iHeaderSize, index, score, reply);
}

}  // namespace ridgecore::api
