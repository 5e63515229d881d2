#include "tests/account/ToolFixture.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <cstdio>

#include "lockmere/store/AccountToolBlocks.h"
#include "ridgeport/ridgeport.h"
#include "ridgeport/sim/DriverInstallation.h"

namespace account::test {

void ToolTest::SetUp() {
  AccountTest::SetUp();
  sim_ = std::make_unique<ridgeport::sim::SensorSimulator>();
  ASSERT_TRUE(sim_->ok()) << sim_->error();
  receiver_ = std::make_unique<platform::MessageReceiver>([this](const platform::Message& m) -> std::int64_t {
    char text[32];
    std::snprintf(text, sizeof text, "0x%x %lld", m.message, static_cast<long long>(m.wParam));
    reports_.push_back(text);
    return 0;
  });
  // The sensor library stays loaded between tests: start with its sensor closed.
  platform::Library sensor("Ridgeport.dll");
  ASSERT_TRUE(sensor.load());
  char message[256];
  int error = 0;
  sensor.resolve<decltype(&::VD_CloseSensor)>("VD_CloseSensor")(message, &error);
}

void ToolTest::TearDown() {
  for (QWidget* w : QApplication::topLevelWidgets()) w->close();
  waitUntil([] { return false; }, 200ms);  // windows go, threads stop
  receiver_.reset();
  sim_.reset();
  AccountTest::TearDown();
}

std::vector<unsigned char> ToolTest::token() const { return store::tools::makeToolToken(programKey_); }

bool ToolTest::waitForReport(const std::string& report) {
  return waitUntil([&] { return std::find(reports_.begin(), reports_.end(), report) != reports_.end(); }, 10s);
}

QWidget* ToolTest::toolWindow(const char* objectName) {
  QWidget* found = nullptr;
  waitUntil(
      [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
          if (w->objectName() == objectName && w->isVisible()) found = w;
        return found != nullptr;
      },
      5s);
  return found;
}

bool ToolTest::windowGone(const char* objectName) {
  return waitUntil(
      [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
          if (w->objectName() == objectName) return false;
        return true;
      },
      5s);
}

QString ToolTest::takeNotice() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->objectName() == "ToolNotice" && box->isVisible()) {
      const QString text = box->text();
      box->close();
      return text;
    }
  return {};
}

void ToolTest::type(QWidget* window, const char* edit, const QString& text) {
  auto* e = window->findChild<QLineEdit*>(edit);
  ASSERT_NE(e, nullptr) << edit;
  e->setText(text);
}

void ToolTest::click(QWidget* window, const char* button) {
  auto* b = window->findChild<QAbstractButton*>(button);
  ASSERT_NE(b, nullptr) << button;
  ASSERT_TRUE(b->isEnabled()) << button;
  b->click();
}

QString ToolTest::labelText(QWidget* window, const char* label) {
  auto* l = window->findChild<QLabel*>(label);
  return l && !l->isHidden() ? l->text() : QString();
}

void ToolTest::plugSensor() {
  std::string error;
  ASSERT_TRUE(ridgeport::sim::DriverInstallation::install(&error)) << error;
  ridgeport::sim::DeviceConfig config;
  config.number = 0;
  config.invertFinger = true;
  ASSERT_TRUE(sim_->plug(config, &error)) << error;
}

void ToolTest::layFinger(const std::string& finger, int impression) {
  std::string error;
  const auto image = ridgeport::sim::GreyImage::loadPgm(imagePath(finger, impression), &error);
  ASSERT_FALSE(image.empty()) << error;
  ASSERT_TRUE(sim_->setFinger(0, image, &error)) << error;
}

bool ToolTest::enrollAtPanel(QWidget* window, const std::string& finger) {
  QObject* panel = window->findChild<QObject*>("EnrollmentPanel");
  if (!panel) return false;
  const int before = panel->property("fingerCount").toInt();
  int impression = 1;
  layFinger(finger, impression);
  click(window, "BtnAddFinger");
  int taken = 0;
  auto progress = std::chrono::steady_clock::now();
  waitUntil(
      [&] {
        if (!panel->property("enrolling").toBool()) return true;
        const int now = panel->property("impressions").toInt();
        const bool stuck = std::chrono::steady_clock::now() - progress > 3s;
        if ((now > taken || stuck) && impression < 8) {
          taken = now;
          layFinger(finger, ++impression);  // the next one, as the user lifts and lays again
          progress = std::chrono::steady_clock::now();
        }
        return false;
      },
      60s);
  return panel->property("fingerCount").toInt() == before + 1;
}

}  // namespace account::test
