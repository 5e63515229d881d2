#include "ridgeport/FrameCapture.h"

#include <cstring>

#include "ridgeport/OpticalGeometry.h"

namespace ridgeport {

using namespace optics;

namespace {

constexpr std::uint8_t kStartFrame = 0x51;
constexpr int kSmoothedRevision = 0x20;

}  // namespace

FrameCapture::FrameCapture(SensorSession& session) : session_(session), frame_(kFrameSize) {}

FrameCapture& FrameCapture::instance() {
  static FrameCapture capture(SensorSession::instance());
  return capture;
}

Status FrameCapture::capture() {
  std::lock_guard guard(mutex_);
  Status s = session_.vendorRequest(driver::ControlRequest::send(kStartFrame, kFrameWidth, kFrameHeight), nullptr);
  if (!s.ok()) return s;
  s = session_.readFrame(frame_.data());
  if (!s.ok()) return s;
  if (session_.revision() == kSmoothedRevision) smooth(frame_.data());
  return Status::success();
}

void FrameCapture::smooth(std::uint8_t* frame) {
  std::vector<std::uint8_t> source(frame, frame + kFrameSize);
  for (int y = 0; y + 1 < kFrameHeight; ++y) {
    const std::uint8_t* top = &source[y * kFrameWidth];
    const std::uint8_t* bottom = top + kFrameWidth;
    std::uint8_t* out = frame + y * kFrameWidth;
    for (int x = 0; x + 1 < kFrameWidth; ++x) {
      const int a = top[x], b = top[x + 1], c = bottom[x], d = bottom[x + 1];
      out[x] =
          static_cast<std::uint8_t>((y + x) % 2 == 0 ? (a + d + ((b + c) >> 1)) / 3 : (b + c + ((a + d) >> 1)) / 3);
    }
  }
}

}  // namespace ridgeport
