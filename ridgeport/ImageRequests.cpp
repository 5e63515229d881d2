#include "ridgeport/ImageRequests.h"

#include <cstring>

#include "ridgeport/FrameCorrector.h"
#include "ridgeport/OpticalGeometry.h"

namespace ridgeport {

using namespace optics;

namespace {

constexpr int kResetCheckRegister = 0x17;
constexpr int kGainRegister = 0x32;

void cut(const std::uint8_t* frame, int top, int left, int size, std::uint8_t* out) {
  for (int r = 0; r < size; ++r) std::memcpy(out + r * size, frame + (top + r) * kFrameWidth + left, size);
}

}  // namespace

Status ImageRequests::prepare(Kind kind) {
  const bool preview = kind == Kind::Preview;
  if (!session_.hasDevice()) return Status::of(preview ? kPreviewNotInitialized : kNotInitialized);

  Status s = session_.verifyDevice();
  if (!s.ok()) return preview ? Status::of(kUsedByAnotherProgram) : s;

  // A sensor that lost its programming (reset, or unplugged and plugged in
  // again) no longer holds the value the open wrote: program it afresh.
  std::uint8_t reg17 = 0;
  s = session_.readRegister(kResetCheckRegister, reg17);
  if (!s.ok()) return s;
  if (reg17 != session_.expectedRegister17()) {
    session_.close();
    s = SensorOpener(session_, capture_).open();
    if (!s.ok()) return s;  // nothing to capture from
  }

  s = capture_.capture();
  if (!s.ok()) return preview ? Status::of(kCannotReadImage) : s;
  return Status::success();
}

Status ImageRequests::request(Kind kind, std::uint8_t* out) {
  std::lock_guard guard(capture_.lock());
  Status s = prepare(kind);
  if (!s.ok()) return s;
  std::uint8_t* frame = capture_.frame();
  switch (kind) {
    case Kind::Raw:
      std::memcpy(out, frame, kFrameSize);
      break;
    case Kind::Whole:
      FrameCorrector::shared().correct(frame);
      cut(frame, 0, kWholeLeft, kImageSize, out);
      break;
    case Kind::Preview:
      FrameCorrector::shared().correct(frame);
      cut(frame, kPreviewTop, kPreviewLeft, kPreviewSize, out);
      break;
  }
  return Status::success();
}

Status ImageRequests::setGain(int gain, bool* haveSensor) {
  *haveSensor = session_.hasDevice();
  if (!*haveSensor) return Status::success();
  Status s = session_.verifyDevice();
  return s.ok() ? session_.writeRegister(kGainRegister, gain & 0xFF) : s;
}

Status ImageRequests::gain(int* gain, bool* haveSensor) {
  *haveSensor = session_.hasDevice();
  if (!*haveSensor) return Status::success();
  Status s = session_.verifyDevice();
  std::uint8_t value = 0;
  if (s.ok()) s = session_.readRegister(kGainRegister, value);
  // Only the lowest byte of the caller's int is the gain; the rest stays as it was.
  if (s.ok()) *reinterpret_cast<unsigned char*>(gain) = value;
  return s;
}

}  // namespace ridgeport
