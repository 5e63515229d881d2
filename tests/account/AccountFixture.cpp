#include "tests/account/AccountFixture.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <filesystem>
#include <thread>

#include "lockmere/bio/RecordSearch.h"
#include "lockmere/store/DataFile.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/KeyBlocks.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/Fingers.h"
#include "platform/Paths.h"
#include "tests/support/TestEnv.h"

namespace account::test {

std::string imagePath(const std::string& finger, int impression) {
  return testenv::fingerprintsDir() + "/" + kSampleSet + "/" + finger + "_" + std::to_string(impression) + ".pgm";
}

std::vector<unsigned char> sensorImage(const std::string& finger, int impression) {
  auto image = loadFingerImage(imagePath(finger, impression), false);
  EXPECT_TRUE(image) << describe(image.failure());
  return image ? *image : std::vector<unsigned char>(RIDGECORE_IMAGE_SIZE);
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

void AccountTest::SetUp() {
  home_ = testenv::makeTempDir("home");
  ::setenv("LOCKMERE_HOME", home_.c_str(), 1);
  programKey_ = store::fixed::programKey();
}

void AccountTest::TearDown() {
  registry_.reset();
  ::setenv("LOCKMERE_HOME", testenv::home().c_str(), 1);
}

platform::Registry& AccountTest::registry() {
  if (!registry_) registry_ = std::make_unique<platform::Registry>(platform::Registry::CurrentUser);
  return *registry_;
}

tagENROLL AccountTest::enrolled(const std::string& finger) {
  const ImageEnroller enroller;
  EXPECT_TRUE(enroller.isLoaded()) << enroller.errorString();
  auto result = enroller.enrollFiles({imagePath(finger, 1), imagePath(finger, 2), imagePath(finger, 3)}, false, 5);
  EXPECT_TRUE(result) << describe(result.failure());
  return result ? *result : tagENROLL{};
}

std::string AccountTest::createUser(const std::string& id, const std::string& password,
                                    const std::vector<std::string>& fingers) {
  NewAccount account{id, password, {}};
  for (const auto& f : fingers) account.fingers.push_back(enrolled(f));
  auto reg = accounts();
  AccountCreation creation(reg, programKey_);
  auto path = creation.create(account);
  EXPECT_TRUE(path) << describe(path.failure());
  return path ? *path : std::string();
}

UnlockedAccount AccountTest::unlock(const std::string& id, const std::string& password) {
  auto account = unlockWithPassword(accounts(), id, password, programKey_);
  EXPECT_TRUE(account) << describe(account.failure());
  return account ? std::move(*account) : UnlockedAccount{};
}

std::string AccountTest::identify(const std::string& finger, int impression) {
  const bio::RecordSearch search;
  const auto image = sensorImage(finger, impression);
  const auto probe = search.extract(image.data());
  if (!probe) return {};
  const auto records = store::loadAllTemplateRecords(accounts().userFiles(), programKey_);
  const auto hit = search.identify(*probe, records.data(), records.count());
  if (!hit.matched()) return {};
  const auto owner = store::keys::fingerprintOwner(records, std::size_t(hit.index));
  if (!owner) return {};
  const auto values = accounts().read(*owner);
  if (!values) return {};
  const auto header = readDataFileHeader(values->dataFile);
  if (!header) return {};
  const auto key = store::keys::unwrapByFingerprint(records, std::size_t(hit.index), values->key2.data(),
                                                    values->key2.size(), *header, programKey_);
  return key ? values->id : std::string();
}

std::vector<std::string> AccountTest::dataFolderFiles() const {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(platform::paths::dataDir(), ec))
    files.push_back(entry.path().filename().string());
  return files;
}

std::vector<std::string> AccountTest::userIds() {
  auto ids = accounts().ids();
  EXPECT_TRUE(ids) << describe(ids.failure());
  return ids ? *ids : std::vector<std::string>{};
}

void AccountTest::sql(const std::string& statement) {
  registry();  // the file exists
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(platform::Registry::filePath(platform::Registry::CurrentUser).c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &error);
  EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

void AccountTest::refuseKey(const std::string& name) {
  const std::string n = std::to_string(++refusals_);
  sql("CREATE TRIGGER refuse" + n + " BEFORE INSERT ON keys WHEN NEW.name = '" + name +
      "' BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;");
}

void AccountTest::refuseValue(const std::string& name) {
  const std::string n = std::to_string(++refusals_);
  for (const char* when : {"INSERT", "UPDATE"})
    sql("CREATE TRIGGER refuse" + n + when + " BEFORE " + when + " ON vals WHEN NEW.name = '" + name +
        "' BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;");
}

void AccountTest::removeRefusals() {
  for (int i = 1; i <= refusals_; ++i)
    for (const char* suffix : {"", "INSERT", "UPDATE"})
      sql("DROP TRIGGER IF EXISTS refuse" + std::to_string(i) + suffix + ";");
}

}  // namespace account::test
