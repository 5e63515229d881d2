// ridgeport-sim: the simulated fingerprint sensor, and the commands that
// change a running one. See docs/ridgeport.md.
#include <QImage>
#include <QString>

#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "ridgeport/sim/CommandChannel.h"
#include "ridgeport/sim/DriverInstallation.h"
#include "ridgeport/sim/SensorSimulator.h"

using namespace ridgeport::sim;

namespace {

const char* kUsage = R"(usage: ridgeport-sim COMMAND [ARGUMENTS]

Serve a simulated sensor (runs until "ridgeport-sim stop", Ctrl-C or SIGTERM);
first registers the driver in the machine store, as its installer would:
  serve [--device DEVICE]... [--finger IMAGE]
        DEVICE = N[,identity=A|B|VVVV:PPPP][,revision=R][,release=R][,dv44=V]
                [,dv46=V][,dv47=V][,dv48=V][,rREG=V][,invert=0|1][,serial=TEXT]
        default: one sensor, --device 0 (identity A, revision 0x21)
        invert=1: finger images are prints with dark ridges (inverted on the way in)
        --finger: lay IMAGE on the first device at start

Change the running sensor (device 0 unless --device N is given):
  finger IMAGE [--device N] [--for SECONDS]   lay a finger (300 x 300 PGM or PNG);
                                              --for: lift it again after SECONDS
  lift [--device N]                           take the finger away
  plug DEVICE                                 plug in another device object
  unplug N                                    pull device object N out
  reset N                                     the sensor loses its register values
  fail-control N [COUNT] [REQUEST]            the next COUNT vendor requests fail
                                              (only request code REQUEST, e.g. 0x50)
  fail-descriptor N [COUNT]                   the next COUNT descriptor requests fail
  short-frame N [COUNT] [BYTES]               the next COUNT frames stop after BYTES
  status                                      list the device objects
  log N                                       requests device N has received
  clear-log                                   forget the recorded requests
  stop                                        end the simulator

The driver's entry in the machine store (serve adds it):
  install-driver | uninstall-driver | driver-status

Another program using the sensor:
  hold-lock     hold the sensor lock; reads "release" / "take" lines on standard
                input, prints "held" / "released" / "busy", ends at end of input

The device folder is $LOCKMERE_DEVICE_DIR (else $LOCKMERE_HOME/run/verausb, else
$XDG_RUNTIME_DIR/verausb).
)";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int fail(const std::string& text) {
  std::fprintf(stderr, "ridgeport-sim: %s\n", text.c_str());
  return 1;
}

// Any image Qt reads (PGM, PNG, ...), as 300 x 300 grey bytes.
bool loadFinger(const std::string& path, GreyImage& image, std::string& error) {
  QImage loaded;
  if (!loaded.load(QString::fromStdString(path))) {
    error = path + ": cannot read the image";
    return false;
  }
  QImage grey = loaded.convertToFormat(QImage::Format_Grayscale8);
  if (grey.width() != 300 || grey.height() != 300) {
    error = path + ": a finger image must be 300 x 300 pixels, not " + std::to_string(grey.width()) + " x " +
            std::to_string(grey.height());
    return false;
  }
  image = GreyImage(300, 300);
  for (int y = 0; y < 300; ++y) std::copy_n(grey.constScanLine(y), 300, &image.pixels[std::size_t(y) * 300]);
  return true;
}

int serve(const std::vector<std::string>& args) {
  std::vector<DeviceConfig> configs;
  std::string fingerPath;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--device" && i + 1 < args.size()) {
      DeviceConfig config;
      std::string error;
      if (!DeviceConfig::parse(args[++i], config, &error)) return fail(error);
      configs.push_back(config);
    } else if (args[i] == "--finger" && i + 1 < args.size()) {
      fingerPath = args[++i];
    } else {
      return usage();
    }
  }
  if (configs.empty()) configs.push_back(DeviceConfig{});
  GreyImage finger;
  std::string error;
  if (!fingerPath.empty() && !loadFinger(fingerPath, finger, error)) return fail(error);

  // Signals are taken synchronously below; block them before any thread starts.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  // Set up as a driver installer would, so the program sees the driver as
  // installed. Serving does not depend on it.
  if (!DriverInstallation::install(&error))
    std::fprintf(stderr, "ridgeport-sim: cannot register the driver in the machine store: %s\n", error.c_str());

  SensorSimulator simulator;
  if (!simulator.ok()) return fail(simulator.error());
  if (!simulator.listenForCommands(&error)) return fail(error);
  for (const auto& config : configs) {
    if (!simulator.plug(config, &error)) return fail(error);
  }
  if (!finger.empty() && !simulator.setFinger(configs.front().number, finger, &error)) return fail(error);
  std::printf("ridgeport-sim: serving %zu device object(s) in %s\n", configs.size(), simulator.deviceDir().c_str());
  std::fflush(stdout);

  const timespec tick{0, 200 * 1000 * 1000};
  while (!simulator.stopRequested()) {
    if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) break;
  }
  return 0;
}

int holdLock() {
  platform::FileLock lock(platform::FileLock::kSensor);
  auto say = [](const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
  };
  // "busy" only when another holder has it; an unsafe folder is an error of its own.
  auto take = [&] {
    if (lock.tryLock()) return say("held"), true;
    if (lock.wasHeldElsewhere()) return say("busy"), true;
    return false;
  };
  if (!take()) return fail(lock.error());
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line == "release") {
      lock.unlock();
      say("released");
    } else if (line == "take" && !take()) {
      return fail(lock.error());
    }
  }
  return 0;
}

int driverEntry(const std::string& name) {
  std::string error;
  if (name == "driver-status") {
    std::printf("%s %s\n", DriverInstallation::isInstalled() ? "installed" : "not installed",
                DriverInstallation::keyPath().c_str());
    return 0;
  }
  bool ok = name == "install-driver" ? DriverInstallation::install(&error) : DriverInstallation::uninstall(&error);
  return ok ? 0 : fail(error);
}

// Sends one command to the running simulator and prints its answer.
int command(const std::string& line, const std::vector<std::uint8_t>& payload = {}) {
  std::string reply;
  if (!CommandChannel::send(platform::paths::deviceDir(), line, payload, &reply)) return fail(reply);
  if (!reply.empty()) std::printf("%s\n", reply.c_str());
  return 0;
}

int finger(const std::vector<std::string>& args) {
  std::string path, device = "0";
  double seconds = -1;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--device" && i + 1 < args.size()) {
      device = args[++i];
    } else if (args[i] == "--for" && i + 1 < args.size()) {
      seconds = std::atof(args[++i].c_str());
    } else if (path.empty()) {
      path = args[i];
    } else {
      return usage();
    }
  }
  if (path.empty()) return usage();
  GreyImage image;
  std::string error;
  if (!loadFinger(path, image, error)) return fail(error);
  if (int rc = command("finger " + device + " 300 300", image.pixels); rc != 0) return rc;
  if (seconds < 0) return 0;
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  return command("lift " + device);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string name = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  auto joined = [&] {
    std::string line = name;
    for (const auto& a : args) line += " " + a;
    return line;
  };

  if (name == "serve") return serve(args);
  if (name == "hold-lock") return args.empty() ? holdLock() : usage();
  if (name == "install-driver" || name == "uninstall-driver" || name == "driver-status")
    return args.empty() ? driverEntry(name) : usage();
  if (name == "finger") return finger(args);
  if (name == "lift") {
    if (args.empty()) return command("lift 0");
    if (args.size() == 2 && args[0] == "--device") return command("lift " + args[1]);
    return usage();
  }
  if (name == "status" || name == "clear-log" || name == "stop") return args.empty() ? command(name) : usage();
  if (name == "plug" || name == "unplug" || name == "reset" || name == "log")
    return args.size() == 1 ? command(joined()) : usage();
  if (name == "fail-control" || name == "fail-descriptor" || name == "short-frame") {
    if (args.empty()) return usage();
    std::vector<std::string> filled = args;
    if (filled.size() < 2) filled.push_back("1");
    if (name == "short-frame" && filled.size() < 3) filled.push_back("57600");
    std::string line = name;
    for (const auto& a : filled) line += " " + a;
    return command(line);
  }
  if (name == "--help" || name == "-h" || name == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::fprintf(stderr, "ridgeport-sim: unknown command '%s'\n\n", name.c_str());
  return usage();
}
