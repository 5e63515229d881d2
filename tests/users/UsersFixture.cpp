#include "tests/users/UsersFixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <array>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <thread>

#include "lockmere/bio/EnrollmentLevel.h"
#include "lockmere/bio/NimbraSDK.h"
#include "lockmere/bio/NimbraThread.h"
#include "lockmere/crypto/Random.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/store/RegistryLayout.h"
#include "lockmere/store/TextCodec.h"
#include "lockmere/store/UserDirectory.h"
#include "lockmere/texts/Language.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/Fingers.h"
#include "lockmere/users/PasswordAttempts.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "ridgeport/driver/SensorIdentity.h"
#include "ridgeport/sim/DriverInstallation.h"
#include "tests/support/TestEnv.h"

namespace users::test {

const Finger kFinger104{"fvc2002_db1_b", "104", 5};
const Finger kFinger105{"fvc2002_db1_b", "105", 5};
const Finger kFinger108{"fvc2002_db1_b", "108", 5};
const Finger kFinger109{"fvc2002_db1_b", "109", 5};
const Finger kFinger107{"fvc2002_db1_b", "107", 5};
const Finger kFinger102b{"fvc2000_db1_b", "102", 5};

namespace {

ridgeport::sim::GreyImage impression(const Finger& finger, int n) {
  return ridgeport::sim::GreyImage::loadPgm(testenv::fingerprintsDir() + "/" + finger.set + "/" + finger.number + "_" +
                                            std::to_string(n) + ".pgm");
}

}  // namespace

tagENROLL enrolledFinger(const Finger& finger) {
  static std::map<std::string, tagENROLL> cache;
  if (auto it = cache.find(finger.name()); it != cache.end()) return it->second;
  static const account::ImageEnroller enroller;
  if (!enroller.isLoaded()) throw std::runtime_error(enroller.errorString());
  std::array<ridgeport::sim::GreyImage, 3> images{impression(finger, 1).inverted(), impression(finger, 2).inverted(),
                                                  impression(finger, 3).inverted()};
  auto enroll = enroller.enroll({images[0].pixels.data(), images[1].pixels.data(), images[2].pixels.data()},
                                bio::kProgramEnrollmentLevel);
  if (!enroll)
    throw std::runtime_error("finger " + finger.name() + " does not enroll: " + account::describe(enroll.failure()));
  cache.emplace(finger.name(), *enroll);
  return *enroll;
}

MadeUser makeUserWithRecords(const std::string& id, const std::string& password,
                             const std::vector<tagENROLL>& templates) {
  platform::Registry registry(platform::Registry::CurrentUser);
  account::AccountRegistry accounts(registry);
  account::AccountCreation creation(accounts, store::fixed::programKey());
  auto made = creation.create(account::NewAccount{id, password, templates});
  if (!made) throw std::runtime_error("user " + id + ": " + account::describe(made.failure()));
  // The data key stays inside the tool: the password gives it back, as a login would.
  store::UserDirectory users(registry, store::fixed::programKey());
  auto login = users.loginByPassword(id, password);
  if (login.result != store::UserDirectory::PasswordResult::Accepted)
    throw std::runtime_error("user " + id + " does not log in");
  return MadeUser{id, password, *made, std::move(login.dataKey), *account::makeRecords(id, templates)};
}

MadeUser makeUser(const std::string& id, const std::string& password, const std::vector<Finger>& fingers) {
  std::vector<tagENROLL> templates;
  for (const Finger& f : fingers) templates.push_back(enrolledFinger(f));
  return makeUserWithRecords(id, password, templates);
}

void resetUsers() {
  platform::Registry registry(platform::Registry::CurrentUser);
  registry.deleteKey(store::reg::kMainKey);
  std::error_code ec;
  std::filesystem::remove_all(platform::paths::dataDir(), ec);
}

void writeLastLoginId(const std::string& id) {
  platform::Registry registry(platform::Registry::CurrentUser);
  registry.createKey(store::reg::kMainKey).value().writeString(store::reg::kLastLoginID, id);
}

crypto::SecureBytes Host::defaultProgramKey() { return store::fixed::programKey(); }

void Host::logIn(const MadeUser& user) {
  dataKey_ = user.dataKey;
  userId_ = user.id;
  records_ = user.records;
}

Sensor::Sensor() = default;
Sensor::~Sensor() = default;

void Sensor::installDriver(int productCode) {
  if (productCode == 0) {
    std::string error;
    if (!ridgeport::sim::DriverInstallation::install(&error)) throw std::runtime_error(error);
    return;
  }
  platform::Registry machine(platform::Registry::LocalMachine);
  const auto code = ridgeport::driver::kDriverProductCodes.at(static_cast<std::size_t>(productCode));
  machine.createKey(std::string(ridgeport::driver::kUninstallKey) + std::string(code));
}

void Sensor::uninstallDrivers() {
  platform::Registry machine(platform::Registry::LocalMachine);
  for (auto code : ridgeport::driver::kDriverProductCodes)
    machine.deleteKey(std::string(ridgeport::driver::kUninstallKey) + std::string(code));
}

void Sensor::plug() {
  ridgeport::sim::DeviceConfig config;
  config.invertFinger = true;
  std::string error;
  if (!sim_.plug(config, &error)) throw std::runtime_error(error);
}

void Sensor::unplug() { sim_.unplug(0); }

void Sensor::layFinger(const Finger& finger, int n) {
  std::string error;
  if (!sim_.setFinger(0, impression(finger, n), &error)) throw std::runtime_error(error);
}

void Sensor::liftFinger() { sim_.liftFinger(0); }

std::size_t Sensor::requestCount() const { return sim_.requests(0).size(); }

std::size_t Sensor::frameReads() const {
  std::size_t reads = 0;
  for (const auto& r : sim_.requests(0)) reads += r.kind == ridgeport::sim::RecordedRequest::Kind::Read && !r.failed;
  return reads;
}

void Sensor::clearRequests() { sim_.clearRequests(); }

void Sensor::closeLibrarySensor() {
  bio::TNimbraMSDK sdk;
  sdk.LoadNimbraSDK();
  char message[256];
  int error = 0;
  sdk.VD_CloseSensor(message, &error);
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    // As the event loop would: windows freed with deleteLater() go too.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

void spin(std::chrono::milliseconds duration) {
  waitUntil([] { return false; }, duration);
}

QMessageBox* messageBox(QWidget* window) { return window->findChild<QMessageBox*>(QStringLiteral("MessageBox")); }

QString takeMessage(QWidget* window) {
  QMessageBox* box = nullptr;
  waitUntil([&] { return (box = messageBox(window)) && box->isVisible(); }, 5s);
  if (!box) return {};
  const QString text = box->text();
  box->setObjectName(QString());  // gone for the next look, even before it is freed
  box->accept();
  QApplication::processEvents();
  return text;
}

void stopFingerprintThreads() { bio::TNimbraThread::StopAll(10s); }

std::unique_ptr<Sensor> startAfresh() {
  texts::setLanguage(texts::Language::Korean);
  resetUsers();
  Sensor::uninstallDrivers();
  PasswordAttempts::shared().recordSuccess();
  auto sensor = std::make_unique<Sensor>();
  if (!sensor->ok()) throw std::runtime_error("the simulated sensor does not start");
  Sensor::closeLibrarySensor();
  return sensor;
}

}  // namespace users::test
