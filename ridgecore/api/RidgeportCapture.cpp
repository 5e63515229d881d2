#include "api/Capture.h"
#include "ridgeport.h"

// Only the shared library binds the sensor library; ridgecore_core stays free
// of it so that tests and tools link without Ridgeport.
namespace ridgecore::api {

const CaptureDevice& ridgeportCapture() {
  static const CaptureDevice device{VD_GetWholeImage, VD_DetectWholeFinger};
  return device;
}

}  // namespace ridgecore::api
