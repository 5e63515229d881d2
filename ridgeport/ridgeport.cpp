// The exported functions: argument checks and the message / error convention;
// the work is done by the classes of this folder.
#include "ridgeport.h"

#include "ridgeport/FingerDetector.h"
#include "ridgeport/ImageRequests.h"
#include "ridgeport/OpticalGeometry.h"
#include "ridgeport/SensorOpener.h"
#include "ridgeport/SensorSession.h"
#include "ridgeport/Status.h"

using namespace ridgeport;

namespace {

constexpr int kDllVersion = 2210;

int finish(const Status& status, char* message, int* error) {
  report(status, message, error);
  return status.ok() ? 1 : 0;
}

ImageRequests images() { return ImageRequests(SensorSession::instance(), FrameCapture::instance()); }

int image(ImageRequests::Kind kind, unsigned char* out, const char* nullText, char* message, int* error) {
  report(Status::success(), message, error);
  if (!out) return finish(Status::wrongParameter(nullText), message, error);
  return finish(images().request(kind, out), message, error);
}

int detect(const unsigned char* image, int stride, int* present, const char* nullText, char* message, int* error) {
  report(Status::success(), message, error);
  if (!image || !present) return finish(Status::wrongParameter(nullText), message, error);
  *present = FingerDetector::fingerPresent(image, stride) ? 1 : 0;
  return 1;
}

}  // namespace

extern "C" {

RIDGEPORT_API int VD_OpenSensor(char* message, int* error) {
  report(Status::success(), message, error);
  return finish(SensorOpener(SensorSession::instance(), FrameCapture::instance()).open(), message, error);
}

RIDGEPORT_API int VD_CloseSensor(char* message, int* error) {
  SensorSession::instance().close();
  return finish(Status::success(), message, error);
}

RIDGEPORT_API int VD_SetSensorGain(int gain, char* message, int* error) {
  report(Status::success(), message, error);
  bool haveSensor = false;
  Status s = images().setGain(gain, &haveSensor);
  return haveSensor ? finish(s, message, error) : 0;
}

RIDGEPORT_API int VD_GetSensorGain(int* gain, char* message, int* error) {
  report(Status::success(), message, error);
  if (!gain) return finish(Status::wrongParameter("(VD_GetSensorGain) Wrong param : gain is NULL."), message, error);
  bool haveSensor = false;
  Status s = images().gain(gain, &haveSensor);
  return haveSensor ? finish(s, message, error) : 0;
}

RIDGEPORT_API int VD_GetImage(unsigned char* image, char* message, int* error) {
  return ::image(ImageRequests::Kind::Preview, image, "(VD_GetImage) Wrong param : image is NULL.", message, error);
}

RIDGEPORT_API int VD_GetWholeImage(unsigned char* image, char* message, int* error) {
  return ::image(ImageRequests::Kind::Whole, image, "(VD_GetWholeImage) Wrong param : image is NULL.", message, error);
}

RIDGEPORT_API int VD_GetRawImage(unsigned char* frame, char* message, int* error) {
  return ::image(ImageRequests::Kind::Raw, frame, "(VD_GetRawImage) Wrong param : frame is NULL.", message, error);
}

RIDGEPORT_API int VD_GetDeviceDiscriptor(unsigned char* descriptor, char* message, int* error) {
  report(Status::success(), message, error);
  if (!descriptor)
    return finish(Status::wrongParameter("(VD_GetDeviceDiscriptor) Wrong param : descriptor is NULL."), message, error);
  driver::DeviceDescriptor fetched{};
  bool haveDevice = false;
  Status s = SensorSession::instance().deviceDescriptor(fetched, &haveDevice);
  // The descriptor is handed out even when it names a foreign device.
  if (haveDevice && (s.ok() || s.code == kIdentityMismatch)) std::copy(fetched.begin(), fetched.end(), descriptor);
  return finish(s, message, error);
}

RIDGEPORT_API int VD_OnReadCMOS(int reg, unsigned char* value, char* message, int* error) {
  report(Status::success(), message, error);
  if (!value) return finish(Status::wrongParameter("(VD_OnReadCMOS) Wrong param : value is NULL."), message, error);
  std::uint8_t byte = 0;
  Status s = SensorSession::instance().readRegister(reg, byte);
  if (s.ok()) *value = byte;
  return finish(s, message, error);
}

RIDGEPORT_API int VD_OnWriteCMOS(int reg, int value, char* message, int* error) {
  report(Status::success(), message, error);
  return finish(SensorSession::instance().writeRegister(reg, value), message, error);
}

RIDGEPORT_API int VD_GetDllVersion(int* version) {
  if (!version) return 0;
  *version = kDllVersion;
  return 1;
}

RIDGEPORT_API int VD_DetectFinger(const unsigned char* image, int* present, char* message, int* error) {
  return detect(image, optics::kPreviewSize, present, "(VD_DetectFinger) Wrong param : NULL pointer.", message, error);
}

RIDGEPORT_API int VD_DetectWholeFinger(const unsigned char* image, int* present, char* message, int* error) {
  constexpr int kTop = 100, kLeft = 100;
  const unsigned char* window = image ? image + kTop * optics::kImageSize + kLeft : nullptr;
  return detect(window, optics::kImageSize, present, "(VD_DetectWholeFinger) Wrong param : NULL pointer.", message,
                error);
}

}  // extern "C"
