#include "api/Capture.h"
#include "ridgeport.h"

// Only the shared library binds the sensor library; ridgecore_core stays free
// of it so that tests and tools link without Ridgeport.
namespace ridgecore::api {
namespace {

// Called, never taken by address: the imports then bind lazily on first use,
// so a library without them fails only the capturing exports.
int getWholeImage(unsigned char* image, char* message, int* error) { return VD_GetWholeImage(image, message, error); }

int detectWholeFinger(const unsigned char* image, int* present, char* message, int* error) {
  return VD_DetectWholeFinger(image, present, message, error);
}

}  // namespace

const CaptureDevice& ridgeportCapture() {
  static const CaptureDevice device{getWholeImage, detectWholeFinger};
  return device;
}

}  // namespace ridgecore::api
