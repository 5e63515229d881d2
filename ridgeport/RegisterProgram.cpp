#include "ridgeport/RegisterProgram.h"

namespace ridgeport {
namespace {

// Requests that read the device's stored values.
constexpr int kValue44 = 0x44, kValue46 = 0x46, kValue47 = 0x47, kValue48 = 0x48;

// What differs between revisions; -1 marks a value taken from the device.
struct Column {
  int reg01, reg02;
  int e;  // start pair 0x10/0x11 (-1: device value 0x46)
  int f;  // start pair 0x12/0x13 (-1: device value 0x44)
  int reg28, reg30, reg34;
};

constexpr Column kDefault{0, 0, 300, 6, 4, 40, 2};

Column columnFor(int revision) {
  switch (revision) {
    case 0x1E:
      return kDefault;
    case 0x1F:
      return {4, 4, 6, 6, 0, 40, 5};
    case 0x20:
      return {4, 0, -1, -1, 0, 10, 2};
    case 0x21:
      return {4, 4, -1, -1, 0, 25, 5};
  }
  return kDefault;
}

}  // namespace

RegisterProgram::RegisterProgram(SensorSession& session, std::function<Status()> captureFrame)
    : session_(session), captureFrame_(std::move(captureFrame)) {}

void RegisterProgram::write(int reg, int value) {
  if (status_.ok()) status_ = session_.writeRegister(reg, value);
}

int RegisterProgram::deviceValue(int request) {
  std::uint8_t value = 0;
  if (status_.ok()) status_ = session_.readDeviceValue(static_cast<std::uint8_t>(request), value);
  return value;
}

Status RegisterProgram::run(int revision) {
  status_ = Status::success();
  const Column col = columnFor(revision);

  write(0x01, col.reg01);
  write(0x02, col.reg02);
  const int e = col.e >= 0 ? col.e : deviceValue(kValue46);
  write(0x10, e / 256);
  write(0x11, e % 256);
  const int f = col.f >= 0 ? col.f : deviceValue(kValue44);
  write(0x12, f / 256);
  write(0x13, f % 256);
  write(0x14, 1);
  write(0x15, 0x2C);
  write(0x16, 1);
  write(0x17, SensorSession::kExpectedRegister17);
  if (status_.ok()) session_.setExpectedRegister17(SensorSession::kExpectedRegister17);
  write(0x20, 0);
  write(0x21, 6);
  write(0x22, 0);
  write(0x23, 6);

  int d = 20;
  if (revision != 0x21) {
    d = deviceValue(kValue47);
    if (revision == 0x20) d = (d + 20) * 1000;
  }
  write(0x27, d % 256);
  write(0x26, (d / 256) % 256);
  write(0x25, d / 65536);
  write(0x28, col.reg28);
  write(0x30, col.reg30);

  if (revision == 0x20) {
    if (status_.ok() && !captureFrame_().ok()) return Status::of(kCannotReadImage);
    write(0x02, 0x80);
    deviceValue(kValue48);  // read, but this revision takes fixed values
    write(0x31, 0x32);
    write(0x32, 5);
    write(0x33, 5);
  } else {
    write(0x32, deviceValue(kValue48));
  }
  write(0x34, col.reg34);
  return status_;
}

}  // namespace ridgeport
