#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ridgeport/sim/DeviceConfig.h"
#include "ridgeport/sim/GreyImage.h"
#include "ridgeport/sim/RecordedRequest.h"
#include "ridgeport/sim/SimulatedSensor.h"

namespace ridgeport::sim {

// The simulated sensor device: serves the device objects VERAUSB0..14 as Unix
// sockets in the device folder from its own thread, as the sensor and its
// kernel driver would, and publishes each plugged-in device's instance text for
// the presence listing. Usable in-process by tests and behind ridgeport-sim.
//
//   SensorSimulator sim;                        // the folder of this process
//   sim.plug({.number = 0});                    // SensorIdentityA, revision 0x21
//   sim.setFinger(0, GreyImage::loadPgm(path).inverted());
//   sim.liftFinger(0);
//   sim.unplug(0);
//
// Every method is thread-safe. Methods taking a device number return false
// when no device with that number is plugged in.
class SensorSimulator {
 public:
  static constexpr int kDeviceCount = 15;

  // deviceDir empty: platform::paths::deviceDir(). The folder is created (0700).
  explicit SensorSimulator(std::string deviceDir = {});
  ~SensorSimulator();  // unplugs everything
  SensorSimulator(const SensorSimulator&) = delete;
  SensorSimulator& operator=(const SensorSimulator&) = delete;

  const std::string& deviceDir() const { return dir_; }
  // False when the folder or the server could not be set up (see error()).
  bool ok() const { return wakeFd_ >= 0; }
  const std::string& error() const { return error_; }

  // Creates device object config.number. Fails when it exists already (here, or
  // served by another live simulator).
  bool plug(const DeviceConfig& config, std::string* error = nullptr);
  bool unplug(int number);  // the device object disappears, open handles break
  bool isPlugged(int number) const;
  std::vector<DeviceConfig> devices() const;

  // The finger on the sensor: image is 300 x 300 (inverted first when the
  // device's invertFinger is set). The call returns once the finger lies there.
  bool setFinger(int number, const GreyImage& image, std::string* error = nullptr);
  bool liftFinger(int number);
  bool fingerPresent(int number) const;
  // Lays a raw 384 x 300 frame as it is, bypassing the optics.
  bool setRawFrame(int number, std::vector<std::uint8_t> frame);

  // Faults.
  bool reset(int number);  // registers forget their values
  bool failControlRequests(int number, int count, int requestCode = -1);
  bool failDescriptorRequests(int number, int count);
  bool shortenFrames(int number, int count, std::size_t bytes);

  // A register's current value, or -1 without that device.
  int registerValue(int number, int reg) const;

  // What each device object received, oldest first (kept across unplugging).
  std::vector<RecordedRequest> requests(int number) const;
  void clearRequests();

  // Called on the server thread with each request before the device answers it;
  // it may call this object, but must not wait for an answer from one of its
  // device objects (the server is busy running the hook). Lets a test act at an
  // exact point of a sequence.
  using RequestHook = std::function<void(int number, const RecordedRequest&)>;
  void setRequestHook(RequestHook hook);

  // The control socket ridgeport-sim.ctl in the device folder, for the
  // command-line program (served on a thread of its own).
  bool listenForCommands(std::string* error = nullptr);
  static std::string controlSocketPath(const std::string& deviceDir);

  // Set by the control command "stop".
  void requestStop();
  bool stopRequested() const;

 private:
  struct Device;
  struct Connection;

  void serve();
  void serveCommands();
  bool handleRequest(Connection& c);
  void removeDevice(int number);
  template <class F>
  bool withSensor(int number, F&& f);
  void wake();

  std::string dir_;
  std::string error_;
  int wakeFd_ = -1;
  int commandFd_ = -1;
  int commandWakeFd_ = -1;

  mutable std::mutex mutex_;
  std::array<std::unique_ptr<Device>, kDeviceCount> devices_;
  std::vector<int> closing_;  // listening sockets of unplugged devices
  std::array<std::vector<RecordedRequest>, kDeviceCount> log_;
  RequestHook hook_;
  bool running_ = true;
  bool stopRequested_ = false;
  std::uint64_t generation_ = 0;

  std::thread server_;
  std::thread commands_;
};

}  // namespace ridgeport::sim
