#include "ridgeport/Status.h"

#include <algorithm>
#include <cstring>

namespace ridgeport {

const char* statusText(int code) {
  switch (code) {
    case kOk:
      return kSuccessText;
    case kNotInitialized:
    case kPreviewNotInitialized:
      return "Sensor is not initalized. (2000-969)";
    case kCheckCloseHeldFailed:
      return "Can not close handle. (2000-001)";
    case kCheckCloseFailed:
      return "Cannot close handle. (2000-002)";
    case kCannotMakeEvent:
      return "Can not make event. (2000-011)";
    case kLeaveCloseHeldFailed:
      return "Can not close handle. (2000-012)";
    case kLeaveCloseFailed:
      return "Can not close handle. (2000-013)";
    case kSensorBusy:
      return "Sensor is on operation. Try again later. (2000-021)";
    case kControlFailed:
      return "Cannot transfer data. (2000-022)";
    case kFingerprintBusy:
      return "Fingerprint is on operation. Try again later. (2000-031)";
    case kReadFailed:
      return "Can not transfer data. (2000-032)";
    case kShortFrame:
      return "Transfered data is not correct. (2000-051)";
    case kNoDevice:
      return "Unable to create device handle.";
    case kIdentityMismatch:
      return "Mismatch fingerprint sensor. (2000-102";
    case kCannotReadImage:
      return "Can not read fingerprint image. (2000-967)";
    case kUsedByAnotherProgram:
      return "Sensor is used by another program. try anain later. (2000-968)";
  }
  return "";
}

void report(const Status& status, char* message, int* error) {
  if (message) {
    // Buffers hold 256 bytes; write only the text, every one is far shorter.
    std::size_t length = std::min<std::size_t>(std::strlen(status.message), 255);
    std::memcpy(message, status.message, length);
    message[length] = '\0';
  }
  if (error) *error = status.code;
}

}  // namespace ridgeport
