#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "lockmere/tools/account/AccountTools.h"
#include "platform/Library.h"
#include "platform/bus/MessageReceiver.h"
#include "ridgeport/sim/SensorSimulator.h"
#include "tests/account/AccountFixture.h"

namespace account::test {

// The tool libraries as the program uses them: loaded by file name, entry
// points found by name, a window of the message bus to report to, and the
// simulated sensor with its driver installed.
class ToolTest : public AccountTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  template <class Fn>
  Fn entry(const char* library, const char* name) {
    auto& lib = libraries_.emplace_back(std::make_unique<platform::Library>(library));
    EXPECT_TRUE(lib->load()) << lib->errorString();
    auto fn = lib->resolve<Fn>(name);
    EXPECT_NE(fn, nullptr) << name;
    return fn;
  }

  platform::WindowHandle window() const { return receiver_->handle(); }
  std::vector<unsigned char> token() const;

  // The reports that reached the program's window: "0x7e9 101", ...
  std::vector<std::string> reports() const { return reports_; }
  bool waitForReport(const std::string& report);

  // The tool's top-level window of that name, once it is shown.
  QWidget* toolWindow(const char* objectName);
  bool windowGone(const char* objectName);
  // The text of the notice a tool showed (and closes it); empty without one.
  QString takeNotice();

  static void type(QWidget* window, const char* edit, const QString& text);
  static void click(QWidget* window, const char* button);
  static QString labelText(QWidget* window, const char* label);

  // A sensor on device 0 taking paper-polarity prints; the driver installed.
  void plugSensor();
  void layFinger(const std::string& finger, int impression);
  // Enrolls one finger at the panel as a user would: impression after
  // impression, the next one laid when the last was taken or refused.
  // True when the panel has one finger more.
  bool enrollAtPanel(QWidget* window, const std::string& finger);

  std::unique_ptr<ridgeport::sim::SensorSimulator> sim_;

 private:
  std::unique_ptr<platform::MessageReceiver> receiver_;
  std::vector<std::string> reports_;
  std::vector<std::unique_ptr<platform::Library>> libraries_;
};

}  // namespace account::test
