#pragma once

#include <cstdint>

#include "ridgeport/FrameCapture.h"
#include "ridgeport/SensorOpener.h"
#include "ridgeport/SensorSession.h"

namespace ridgeport {

// The three image functions and the gain, over the open sensor.
class ImageRequests {
 public:
  enum class Kind {
    Preview,  // VD_GetImage: 100 x 100 of the corrected frame
    Whole,    // VD_GetWholeImage: 300 x 300 of the corrected frame
    Raw,      // VD_GetRawImage: the frame as read
  };

  ImageRequests(SensorSession& session, FrameCapture& capture) : session_(session), capture_(capture) {}

  // Fills out only on success.
  Status request(Kind kind, std::uint8_t* out);

  // With no open sensor both fail without an error code (*haveSensor false).
  Status setGain(int gain, bool* haveSensor);
  Status gain(int* gain, bool* haveSensor);

 private:
  Status prepare(Kind kind);

  SensorSession& session_;
  FrameCapture& capture_;
};

}  // namespace ridgeport
