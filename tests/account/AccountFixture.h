#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/store/TemplateRecords.h"
#include "lockmere/tools/account/core/AccountRegistry.h"
#include "lockmere/tools/account/core/Unlock.h"
#include "platform/Registry.h"
#include "ridgecore/ridgecore.h"

namespace account::test {

using namespace std::chrono_literals;

// Fingers of the sample set whose impressions 1-3 enroll and whose later
// impressions identify them (in the sensor's polarity).
inline constexpr const char* kSampleSet = "fvc2002_db1_b";

// The path of impression n of a finger of the sample set ("104", 6).
std::string imagePath(const std::string& finger, int impression);
// That impression as the sensor delivers it.
std::vector<unsigned char> sensorImage(const std::string& finger, int impression);

// Runs the event loop until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 30s);

// Every test gets a home of its own (registry, data folder, sensor folder).
class AccountTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  platform::Registry& registry();
  AccountRegistry accounts() { return AccountRegistry(registry()); }

  // A finger enrolled from impressions 1-3 of the sample set.
  tagENROLL enrolled(const std::string& finger);
  // A user made by the creation path; the data file's path.
  std::string createUser(const std::string& id, const std::string& password,
                         const std::vector<std::string>& fingers = {});
  UnlockedAccount unlock(const std::string& id, const std::string& password);

  // Whom an impression identifies among all users, as the login window would
  // do it: the record search over everybody's records, then Key2 of the
  // record's owner. Empty when nobody.
  std::string identify(const std::string& finger, int impression);

  // Files in the data folder (temporary files included).
  std::vector<std::string> dataFolderFiles() const;
  // The users key's subkeys.
  std::vector<std::string> userIds();

  // Makes the registry refuse writes: inserting a key of that name, or
  // writing a value of that name (SQL triggers, as another program might
  // leave the file refusing). removeRefusals() takes them away.
  void refuseKey(const std::string& name);
  void refuseValue(const std::string& name);
  void removeRefusals();

  std::string home_;
  crypto::SecureBytes programKey_;

 private:
  void sql(const std::string& statement);
  std::unique_ptr<platform::Registry> registry_;
  int refusals_ = 0;
};

}  // namespace account::test
