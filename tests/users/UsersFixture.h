#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/TemplateRecords.h"
#include "lockmere/users/SessionHost.h"
#include "ridgeport/sim/SensorSimulator.h"

class QMessageBox;
class QWidget;

// What the tests of the user windows share: users made as the new-user tool
// makes them, a plain session host, the simulated sensor with the real
// fingerprint images, and waiting on the event loop.
namespace users::test {

using namespace std::chrono_literals;

// A finger of the sample sets, "fvc2002_db1_b/104": enrolled from impressions
// 1-3 by the account tools' code at the program's level (cached per process);
// probe is an impression not enrolled that the search finds.
struct Finger {
  std::string set;
  std::string number;
  int probe;
  std::string name() const { return set + "/" + number; }
};
// Fingers that enroll from impressions 1-3 and whose probe impression is found
// among all of them.
extern const Finger kFinger104, kFinger105, kFinger108, kFinger109, kFinger107, kFinger102b;

tagENROLL enrolledFinger(const Finger& finger);

struct MadeUser {
  std::string id;
  std::string password;
  std::string dataFile;
  crypto::SecureBytes dataKey;
  store::TemplateRecords records;
};

// A user made by the account tools' code (the new-user tool's): a registry key
// with "DataFile", "Key1" and "Key2" and a data file with a record for each
// finger.
MadeUser makeUser(const std::string& id, const std::string& password, const std::vector<Finger>& fingers);
// The same with the records as given (templates copied from other users).
MadeUser makeUserWithRecords(const std::string& id, const std::string& password,
                             const std::vector<tagENROLL>& templates);

// Empties the registry's program keys and the data folder.
void resetUsers();
void writeLastLoginId(const std::string& id);

// The main window as far as the user windows see it.
class Host : public SessionHost {
 public:
  crypto::SecureBytes& dataKey() override { return dataKey_; }
  const crypto::SecureBytes& programKey() const override { return programKey_; }
  std::string currentUserId() const override { return userId_; }
  void setCurrentUserId(const std::string& id) override { userId_ = id; }
  store::TemplateRecords& userRecords() override { return records_; }
  void startNewUserTool() override { ++newUserToolStarts; }

  // Logged in as this user (what the main window holds after a login).
  void logIn(const MadeUser& user);

  int newUserToolStarts = 0;

 private:
  crypto::SecureBytes dataKey_;
  crypto::SecureBytes programKey_ = defaultProgramKey();
  std::string userId_;
  store::TemplateRecords records_;
  static crypto::SecureBytes defaultProgramKey();
};

// The simulated sensor in this process, paper-polarity images, and the driver
// entry of one of the three product codes in the machine store.
class Sensor {
 public:
  Sensor();
  ~Sensor();
  bool ok() const { return sim_.ok(); }

  static void installDriver(int productCode = 0);
  static void uninstallDrivers();

  void plug();
  void unplug();
  void layFinger(const Finger& finger, int impression);
  void liftFinger();
  // Requests the device received (0 when it was never touched).
  std::size_t requestCount() const;
  // Frames read from the device since the requests were last cleared.
  std::size_t frameReads() const;
  void clearRequests();
  // Closes the sensor library's open sensor, so a test starts afresh.
  static void closeLibrarySensor();

 private:
  ridgeport::sim::SensorSimulator sim_;
};

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 60s);
void spin(std::chrono::milliseconds duration);

// The message box open over a window, or null.
QMessageBox* messageBox(QWidget* window);
// Its text, and closes it.
QString takeMessage(QWidget* window);

// Stops every fingerprint thread (between tests).
void stopFingerprintThreads();

// Before each window test: Korean texts, no users, no driver, no failed
// passwords, the library's sensor closed, and a new simulated sensor.
std::unique_ptr<Sensor> startAfresh();

}  // namespace users::test
