#pragma once

namespace ridgeport {

// Error codes of the library. Each has one fixed text (statusText), written
// into the caller's message buffer together with the code.
enum ErrorCode : int {
  kOk = 0,
  kNotInitialized = -1,           // VD_GetWholeImage, VD_GetRawImage without a handle
  kCheckCloseHeldFailed = -2001,  // sharing check
  kCheckCloseFailed = -2002,      // sharing check
  kCannotMakeEvent = -2011,       // sharing enter
  kLeaveCloseHeldFailed = -2012,  // sharing leave
  kLeaveCloseFailed = -2013,      // sharing leave
  kSensorBusy = -2021,            // control call while another program transfers
  kControlFailed = -2022,
  kFingerprintBusy = -2031,  // frame read while another program transfers
  kReadFailed = -2032,
  kShortFrame = -2051,
  kNoDevice = -2091,
  kIdentityMismatch = -2102,
  kCannotReadImage = -2967,        // VD_GetImage and the open of revision 0x20
  kUsedByAnotherProgram = -2968,   // VD_GetImage when the device check fails
  kPreviewNotInitialized = -2969,  // VD_GetImage without a handle
};

inline constexpr const char* kSuccessText = "Veradynics";

// The library's text for a code; texts are the system's own, typos included.
const char* statusText(int code);

// The outcome of one step: a code and its text.
struct Status {
  int code = kOk;
  const char* message = kSuccessText;

  bool ok() const { return code == kOk; }
  static Status of(int code) { return {code, statusText(code)}; }
  static Status success() { return {}; }
  // A refused argument (a null pointer): code -1 with the function's own text.
  static Status wrongParameter(const char* text) { return {kNotInitialized, text}; }
};

// Writes a status into the caller's message buffer (at least 256 bytes) and
// error code; either may be null.
void report(const Status& status, char* message, int* error);

}  // namespace ridgeport
