#include "tests/bio/BioFixture.h"

#include <link.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QThread>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "lockmere/bio/NimbraThread.h"
#include "platform/Library.h"
#include "tests/support/TestEnv.h"

namespace bio::test {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

void spin(std::chrono::milliseconds duration) {
  waitUntil([] { return false; }, duration);
}

bool isInProcess(const std::string& fileName) {
  struct Search {
    std::string name;
    bool found = false;
  } search{fileName};
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        auto* s = static_cast<Search*>(data);
        if (info->dlpi_name && std::filesystem::path(info->dlpi_name).filename() == s->name) s->found = true;
        return 0;
      },
      &search);
  return search.found;
}

std::string libraryFolder(const std::vector<std::pair<std::string, std::string>>& links) {
  const std::string dir = testenv::makeTempDir("libs");
  for (const auto& [link, target] : links)
    std::filesystem::create_symlink(testenv::binDir() + "/" + target, dir + "/" + link);
  return dir;
}

ridgeport::sim::GreyImage sampleFinger(const std::string& name, const std::string& set) {
  return ridgeport::sim::GreyImage::loadPgm(testenv::fingerprintsDir() + "/" + set + "/" + name + ".pgm");
}

std::string missingMatcher() {
  platform::Library core("Ridgecore.dll");
  if (!core.load()) return core.errorString();
  auto compare = core.resolve<decltype(&::VD_CompareFData1to1)>("VD_CompareFData1to1");
  if (!compare) return "no VD_CompareFData1to1";
  // Two valid records without minutiae: a matcher answers "no match".
  tagFDATA first{}, second{};
  for (tagFDATA* r : {&first, &second}) std::memcpy(r->mark, "1040DV", sizeof r->mark);
  char message[256] = "";
  int score = 0, error = 0;
  if (compare(&first, &second, &score, message, &error) == 1) return {};
  return "VD_CompareFData1to1: " + std::to_string(error) + " \"" + message + "\"";
}

int Calls::count(const std::string& prefix) const {
  int n = 0;
  for (const auto& e : events) n += e.rfind(prefix, 0) == 0;
  return n;
}

void Calls::add(std::string event) {
  if (QThread::currentThread() != QCoreApplication::instance()->thread()) allOnMainThread = false;
  events.push_back(std::move(event));
}

void BioTest::SetUp() {
  ASSERT_TRUE(sim_.ok()) << sim_.error();
  ::unsetenv("LOCKMERE_LIB_DIR");
  sdk_ = std::make_unique<TNimbraMSDK>();
  ASSERT_EQ(sdk_->LoadNimbraSDK(), 1);
  // The library is loaded once per process: start every test with its sensor closed.
  char message[256];
  int error = 0;
  sdk_->VD_CloseSensor(message, &error);
}

void BioTest::TearDown() {
  sdk_.reset();
  TNimbraThread::StopAll(10s);
  ::unsetenv("LOCKMERE_LIB_DIR");
}

void BioTest::plug(int n, ridgeport::driver::SensorIdentity id) {
  ridgeport::sim::DeviceConfig config;
  config.number = n;
  config.identity = id;
  config.invertFinger = true;
  std::string error;
  ASSERT_TRUE(sim_.plug(config, &error)) << error;
}

void BioTest::layFinger(const std::string& name, int n) {
  std::string error;
  ASSERT_TRUE(sim_.setFinger(n, sampleFinger(name), &error)) << error;
}

std::unique_ptr<TNimbraUtil> BioTest::makeUtil() {
  auto util = std::make_unique<TNimbraUtil>();
  util->setNimbraMSDK(sdk_.get());
  return util;
}

TNimbraUtil::TConnectedSensorEvent BioTest::onConnected(Calls& calls) {
  return [&calls] { calls.add("connected"); };
}

TNimbraUtil::TEnrolledEvent BioTest::onEnrolled(Calls& calls) {
  return [&calls](int finger) { calls.add("enrolled " + std::to_string(finger)); };
}

TNimbraUtil::TEnrollErrorEvent BioTest::onEnrollError(Calls& calls) {
  return [&calls](int finger, int code) {
    calls.add("enroll-error " + std::to_string(finger) + " " + std::to_string(code));
  };
}

TNimbraUtil::TVerifiedEvent BioTest::onVerified(Calls& calls) {
  return [&calls](int index) { calls.add("verified " + std::to_string(index)); };
}

TNimbraUtil::TVerifyErrorEvent BioTest::onVerifyError(Calls& calls) {
  return [&calls](int a, int b) { calls.add("verify-error " + std::to_string(a) + " " + std::to_string(b)); };
}

int BioTest::requestCount(int n, ridgeport::sim::RecordedRequest::Kind kind, bool failedOnly) const {
  int count = 0;
  for (const auto& r : sim_.requests(n)) count += r.kind == kind && (!failedOnly || r.failed);
  return count;
}

}  // namespace bio::test
