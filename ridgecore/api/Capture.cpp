#include "api/Capture.h"

#include <cstring>

namespace ridgecore::api {

void copyPreviewWindow(const uint8_t* image, uint8_t* preview) {
  for (int r = 0; r < 100; ++r) std::memcpy(preview + r * 100, image + (100 + r) * 300 + 100, 100);
}

bool captureImage(const CaptureDevice& device, uint8_t* image, uint8_t* preview, const char* tag, Reply& reply) {
  // The sensor library writes through these; give it somewhere to write when the caller gave nothing.
  char localMessage[256];
  int localError = 0;
  char* message = reply.messageBuffer() ? reply.messageBuffer() : localMessage;
  int* error = reply.errorOutput() ? reply.errorOutput() : &localError;

  if (!device.getWholeImage(image, message, error)) return false;
  int present = 0;
  if (!device.detectWholeFinger(image, &present, message, error)) return false;
  if (!present) {
    reply.fail(kNoFinger, tag, "Please input your fingerprint!");
    return false;
  }
  if (!preview) {
    reply.fail(kWrongParam, "WSHS", "Wrong param : pImage is NULL.");
    return false;
  }
  copyPreviewWindow(image, preview);
  return true;
}

}  // namespace ridgecore::api
