#include "tests/ridgeport/SensorFixture.h"

#include <cstdio>

#include "tests/support/TestEnv.h"

namespace ridgeport::test {

using sim::RecordedRequest;

::testing::AssertionResult failedWith(const Call& c, int error, const std::string& message) {
  if (c.result == 0 && c.error == error && c.message == message) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "result " << c.result << ", error " << c.error << ", \"" << c.message
                                       << "\"; wanted result 0, error " << error << ", \"" << message << "\"";
}

::testing::AssertionResult succeeded(const Call& c) {
  if (c.result == 1 && c.error == 0 && c.message == "Veradynics") return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "result " << c.result << ", error " << c.error << ", \"" << c.message << "\"";
}

void SensorTest::SetUp() {
  ASSERT_TRUE(sim_.ok()) << sim_.error();
  close();  // the library starts over at its next open
}

void SensorTest::TearDown() { close(); }

void SensorTest::plug(int n, int revision, driver::SensorIdentity id) {
  sim::DeviceConfig config;
  config.number = n;
  config.identity = id;
  config.revision = static_cast<std::uint8_t>(revision);
  config.value44 = 0x11;
  config.value46 = 0x22;
  config.value47 = 0x33;
  config.value48 = 0x44;
  std::string error;
  ASSERT_TRUE(sim_.plug(config, &error)) << error;
}

namespace {

template <class F>
Call call(F&& f) {
  Call c;
  char message[256] = "untouched";
  c.result = f(message, &c.error);
  c.message = message;
  return c;
}

}  // namespace

Call SensorTest::open() {
  return call([](char* m, int* e) { return VD_OpenSensor(m, e); });
}

Call SensorTest::close() {
  return call([](char* m, int* e) { return VD_CloseSensor(m, e); });
}

Call SensorTest::wholeImage(std::vector<unsigned char>& image) {
  image.assign(RIDGEPORT_IMAGE_SIZE, 0xEE);
  return call([&](char* m, int* e) { return VD_GetWholeImage(image.data(), m, e); });
}

Call SensorTest::previewImage(std::vector<unsigned char>& image) {
  image.assign(RIDGEPORT_PREVIEW_SIZE, 0xEE);
  return call([&](char* m, int* e) { return VD_GetImage(image.data(), m, e); });
}

Call SensorTest::rawImage(std::vector<unsigned char>& frame) {
  frame.assign(RIDGEPORT_RAW_SIZE, 0xEE);
  return call([&](char* m, int* e) { return VD_GetRawImage(frame.data(), m, e); });
}

Call SensorTest::readRegister(int reg, unsigned char& value) {
  return call([&](char* m, int* e) { return VD_OnReadCMOS(reg, &value, m, e); });
}

std::vector<std::string> SensorTest::trafficOf(int n) const { return traffic(sim_.requests(n)); }

std::vector<std::string> traffic(const std::vector<RecordedRequest>& requests) {
  std::vector<std::string> out;
  char text[64];
  for (const auto& r : requests) {
    const auto& c = r.control;
    bool failed = r.failed;
    std::string t;
    if (r.kind == RecordedRequest::Kind::Open) {
      t = "open";
    } else if (r.kind == RecordedRequest::Kind::Close) {
      t = "close";
    } else if (r.kind == RecordedRequest::Kind::Descriptor) {
      t = "descriptor";
    } else if (r.kind == RecordedRequest::Kind::Read) {
      t = "read " + std::to_string(r.size);
    } else if (c.request == 0x4F && c.type == 0xC0 && c.index == 0 && c.length == 1) {
      std::snprintf(text, sizeof text, "r 0x%02X", c.value);
      t = text;
    } else if (c.request == 0x50 && c.type == 0x40 && c.length == 0) {
      std::snprintf(text, sizeof text, "w 0x%02X=%u", c.value, c.index);
      t = text;
    } else if (c.request == 0x51 && c.type == 0x40 && c.value == 384 && c.index == 300 && c.length == 0) {
      t = "start";
    } else if ((c.request == 0x44 || (c.request >= 0x46 && c.request <= 0x48)) && c.type == 0xC0 && c.value == 1 &&
               c.index == 0 && c.length == 1) {
      std::snprintf(text, sizeof text, "dv 0x%02X", c.request);
      t = text;
    } else {
      t = r.toString();  // says (failed) itself
      failed = false;
    }
    if (failed) t += " (failed)";
    out.push_back(t);
  }
  return out;
}

sim::GreyImage sampleFinger(const std::string& set, const std::string& name) {
  std::string error;
  auto image = sim::GreyImage::loadPgm(testenv::fingerprintsDir() + "/" + set + "/" + name + ".pgm", &error);
  EXPECT_FALSE(image.empty()) << error;
  return image.inverted();
}

}  // namespace ridgeport::test
