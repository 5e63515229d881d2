#include "ridgeport/SensorOpener.h"

#include "ridgeport/RegisterProgram.h"

namespace ridgeport {

Status SensorOpener::findDevice() {
  auto& backend = session_.backend();
  for (int n = 0; n < driver::DeviceBackend::kDeviceObjectCount; ++n) {
    std::shared_ptr<driver::DeviceObject> device = backend.open(n);
    if (!device) continue;
    driver::DeviceDescriptor descriptor{};
    if (!session_.fetchDescriptor(device.get(), descriptor).ok()) {
      // The device cannot tell who it is right now (another program may be
      // transferring): keep the handle and stop; the next open re-checks it.
      session_.adopt(std::move(device), -1);
      return Status::of(kNoDevice);
    }
    if (SensorSession::carriesAcceptedIdentity(descriptor)) {
      session_.adopt(std::move(device), descriptor[driver::kDescriptorReleaseOffset]);
      return Status::success();
    }
    // Another maker's device: closed as device goes out of scope.
  }
  return Status::of(kNoDevice);
}

Status SensorOpener::open() {
  session_.takeReset();
  if (session_.hasDevice()) return session_.verifyDevice();

  Status s = findDevice();
  if (!s.ok()) return s;
  for (int reg : kRegistersReadAtOpen) {
    std::uint8_t ignored = 0;
    s = session_.readRegister(reg, ignored);
    if (!s.ok()) return s;
  }
  RegisterProgram program(session_, [this] { return capture_.capture(); });
  return program.run(session_.revision());
}

}  // namespace ridgeport
