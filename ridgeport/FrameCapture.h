#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "ridgeport/SensorSession.h"

namespace ridgeport {

// CaptureFrame: starts one 384 x 300 frame, reads it into the library-wide raw
// frame buffer and, for revision 0x20, smooths it.
//
// Image requests hold lock() from the capture until they have copied their
// image out, so that two threads can never mix their frames; it is recursive
// because an image request may reopen (and so capture) on its way.
class FrameCapture {
 public:
  explicit FrameCapture(SensorSession& session);
  static FrameCapture& instance();

  Status capture();

  std::uint8_t* frame() { return frame_.data(); }
  std::recursive_mutex& lock() { return mutex_; }

  // The 2 x 2 smoothing of revision 0x20, in place. Row 299 and column 383 have
  // no lower or right neighbours and keep their values.
  static void smooth(std::uint8_t* frame);

 private:
  SensorSession& session_;
  std::recursive_mutex mutex_;
  std::vector<std::uint8_t> frame_;
};

}  // namespace ridgeport
