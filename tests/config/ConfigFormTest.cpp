// The settings window against a plain main window: filling with the defaults,
// storing every value with its side effects, the start-up entry and the
// automatic login.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "lockmere/crypto/Random.h"
#include "lockmere/shell/ConfigForm.h"
#include "lockmere/shell/ConfigHost.h"
#include "lockmere/shell/StartupEntry.h"
#include "lockmere/store/AutoLoginBlock.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/RegistryLayout.h"
#include "lockmere/store/UserSettings.h"
#include "lockmere/texts/Language.h"
#include "platform/Registry.h"
#include "tests/support/TestEnv.h"
#include "tests/users/Pictures.h"

using namespace shell;
namespace reg = store::reg;

namespace {

// The main window as far as the settings window sees it.
class Host : public ConfigHost {
 public:
  std::string currentUserId() const override { return userId; }
  const crypto::SecureBytes& dataKey() const override { return key; }
  const crypto::SecureBytes& programKey() const override { return program; }
  store::UserSettings& settings() override { return fields; }
  void setStayOnTop(bool on) override { calls.push_back(std::string("onTop ") + (on ? "1" : "0")); }
  void setStatusAutoGetUrl(bool on) override { calls.push_back(std::string("status ") + (on ? "1" : "0")); }
  void setAlarmNewSiteChecked(bool on) override { calls.push_back(std::string("tray ") + (on ? "1" : "0")); }
  void restartIdleWatch(int minutes) override { calls.push_back("idle " + std::to_string(minutes)); }
  void stopIdleWatch() override { calls.push_back("idle stop"); }
  bool idleSourceAvailable() const override { return idleSource; }

  std::string userId = "bob";
  crypto::SecureBytes key = randomKey();
  crypto::SecureBytes program = store::fixed::programKey();
  store::UserSettings fields;
  std::vector<std::string> calls;
  bool idleSource = true;

  static crypto::SecureBytes randomKey() {
    crypto::SecureBytes k(56);
    crypto::randomBytes(k.data(), k.size());
    return k;
  }
};

platform::Registry registry() { return platform::Registry(platform::Registry::CurrentUser); }
platform::RegistryKey userKey(const std::string& id = "bob") {
  return registry().createKey(reg::userKeyPath(id)).value();
}
platform::RegistryKey mainKey() { return registry().createKey(reg::kMainKey).value(); }

}  // namespace

class ConfigFormTest : public QObject {
  Q_OBJECT

  Host host_;

  QPointer<TConfigForm> open() {
    auto* form = new TConfigForm(host_);
    form->show();
    QApplication::processEvents();
    return form;
  }
  template <class W>
  static W* child(QWidget* form, const char* name) {
    auto* w = form->findChild<W*>(name);
    if (!w) qFatal("no control %s", name);
    return w;
  }
  static QCheckBox* box(QWidget* form, const char* name) { return child<QCheckBox>(form, name); }
  static void click(QWidget* form, const char* name) {
    QWidget* w = child<QWidget>(form, name);
    child<QTabWidget>(form, "PageControl1")
        ->setCurrentWidget(w->parentWidget()->inherits("QGroupBox") ? w->parentWidget()->parentWidget()
                                                                    : w->parentWidget());
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
  }
  static void typeInto(QWidget* form, const char* name, int value) {
    auto* s = child<QSpinBox>(form, name);
    s->selectAll();
    QTest::keyClicks(s, QString::number(value));
    QTest::keyClick(s, Qt::Key_Tab);
  }
  static void save(QPointer<TConfigForm>& form) {
    QTest::mouseClick(child<QPushButton>(form, "BtnSave"), Qt::LeftButton);
    QTRY_VERIFY(form.isNull());
  }
  static std::string startupFile() {
    std::ifstream in(StartupEntry::filePath());
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private slots:
  void init() {
    texts::setLanguage(texts::Language::Korean);
    registry().deleteKey(reg::kMainKey);
    StartupEntry::remove();
    host_ = Host();
    userKey();  // the user exists, with no settings stored
  }

  void showsTheDesignedTextsAndTheDefaultsOfANewUser() {
    auto form = open();
    QCOMPARE(form->windowTitle(), QString("Lockmere - 환경설정"));
    QVERIFY(form->windowFlags() & Qt::Window);
    QVERIFY(!form->isModal());
    auto* pages = child<QTabWidget>(form, "PageControl1");
    QCOMPARE(pages->count(), 4);
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(pages->tabText(0), QString(" 기본설정 "));
    QCOMPARE(pages->tabText(3), QString(" 지문인식기 설정 "));
    QCOMPARE(child<QPushButton>(form, "BtnSave")->text(), QString("확인(&O)"));
    QCOMPARE(child<QPushButton>(form, "Button2")->text(), QString("취소(&C)"));
    QCOMPARE(box(form, "CBMostOnTop")->text(), QString("Lockmere를 항상 화면의 가장위에 "));
    QCOMPARE(box(form, "CBAutoLogout")->text(), QString("사용함"));
    auto* types = child<QComboBox>(form, "CBDefaultLoginType");
    QCOMPARE(types->count(), 5);
    QCOMPARE(types->itemText(4), QString("스크립트를 사용하여 자동 로그인"));

    for (const char* on : {"CBGoTrayAtExit", "CBGoTrayAtSiteOpen", "CBAutoGetIEURL", "CBAlarmNewSite", "CBAlarmFPIMsg"})
      QVERIFY2(box(form, on)->isChecked(), on);
    for (const char* off : {"CBAutoRun", "CBMinimizeRun", "CBMostOnTop", "CBUseDefaultLoginType", "CBAutoLogin",
                            "CBLockPassword", "CBAutoLogout", "CBAllIEClose"})
      QVERIFY2(!box(form, off)->isChecked(), off);
    QVERIFY(!box(form, "CBMinimizeRun")->isEnabled());
    QVERIFY(!types->isEnabled());
    QVERIFY(!child<QSpinBox>(form, "SEAutoLogoutTime")->isEnabled());
    QVERIFY(!box(form, "CBAllIEClose")->isEnabled());
    auto* retry = child<QSpinBox>(form, "SEALRetryTime");
    auto* logout = child<QSpinBox>(form, "SEAutoLogoutTime");
    auto* wait = child<QSpinBox>(form, "SEFPIWaitTime");
    QCOMPARE(retry->value(), 10);
    QCOMPARE(logout->value(), 5);
    QCOMPARE(wait->value(), 5);
    QCOMPARE(std::make_pair(retry->minimum(), retry->maximum()), std::make_pair(0, 100));
    QCOMPARE(std::make_pair(logout->minimum(), logout->maximum()), std::make_pair(1, 120));
    QCOMPARE(std::make_pair(wait->minimum(), wait->maximum()), std::make_pair(2, 100));
    QVERIFY(child<QLabel>(form, "lbNoIdleSource")->isHidden());
    form->close();
  }

  // The dependent controls follow their boxes.
  void theBoxesEnableTheirControls() {
    auto form = open();
    click(form, "CBAutoRun");
    QVERIFY(box(form, "CBMinimizeRun")->isEnabled());
    click(form, "CBUseDefaultLoginType");
    QVERIFY(child<QComboBox>(form, "CBDefaultLoginType")->isEnabled());
    click(form, "CBAutoLogout");
    QVERIFY(child<QSpinBox>(form, "SEAutoLogoutTime")->isEnabled());
    QVERIFY(box(form, "CBAllIEClose")->isEnabled());
    click(form, "CBAutoLogout");
    QVERIFY(!box(form, "CBAllIEClose")->isEnabled());
    form->close();
  }

  // A user who never stored settings logs in with 9999 minutes and closing
  // the browsers on; storing once with automatic logout off writes 5 and off.
  void storingOnceWithAutomaticLogoutOff() {
    platform::Registry r = registry();
    store::UserSettings atLogin;
    atLogin.DefaultLoginType = 3;
    const auto values = store::readSettingsAtLogin(r, "bob", atLogin);
    QVERIFY(values.keyOpened);
    QCOMPARE(atLogin.AutoLogoutTime, 9999);
    QVERIFY(atLogin.ALIEClose);
    QCOMPARE(atLogin.DefaultLoginType, 3);  // no default: kept
    QVERIFY(atLogin.GoTrayAtExit && atLogin.AlarmFPIMsg && !atLogin.LockPassword && !atLogin.StayOnTop);
    QCOMPARE(atLogin.FPIWaitTime, 5);
    QCOMPARE(atLogin.AutoLoginRetryTime, 10);

    host_.fields = atLogin;
    auto form = open();
    save(form);
    QCOMPARE(userKey().readInteger(reg::kAutoLogoutTime).value(), 5);
    QCOMPARE(userKey().readBool(reg::kALIEClose).value(), false);
    QCOMPARE(host_.fields.AutoLogoutTime, 5);
    QVERIFY(!host_.fields.ALIEClose);
    store::UserSettings again;
    store::readSettingsAtLogin(r, "bob", again);
    QCOMPARE(again.AutoLogoutTime, 5);
    QVERIFY(!again.ALIEClose);
    QVERIFY(std::find(host_.calls.begin(), host_.calls.end(), "idle stop") != host_.calls.end());
  }

  void storesEveryValueWithItsSideEffects() {
    auto form = open();
    click(form, "CBMostOnTop");
    click(form, "CBGoTrayAtExit");
    click(form, "CBUseDefaultLoginType");
    child<QComboBox>(form, "CBDefaultLoginType")->setCurrentIndex(3);
    click(form, "CBAutoGetIEURL");
    click(form, "CBAlarmNewSite");
    typeInto(form, "SEALRetryTime", 42);
    click(form, "CBLockPassword");
    click(form, "CBAutoLogout");
    typeInto(form, "SEAutoLogoutTime", 30);
    click(form, "CBAllIEClose");
    click(form, "CBAlarmFPIMsg");
    typeInto(form, "SEFPIWaitTime", 9);
    save(form);

    const auto key = userKey();
    QCOMPARE(key.readBool(reg::kStayOnTop).value(), true);
    QCOMPARE(key.readBool(reg::kGoTrayAtExit).value(), false);
    QCOMPARE(key.readBool(reg::kGoTrayAtSiteOpen).value(), true);
    QCOMPARE(key.readBool(reg::kUseDefaultLoginType).value(), true);
    QCOMPARE(key.readInteger(reg::kDefaultLoginType).value(), 4);
    QCOMPARE(key.readBool(reg::kAutoGetIEURL).value(), false);
    QCOMPARE(key.readBool(reg::kAlarmNewSite).value(), false);
    QCOMPARE(key.readInteger(reg::kAutoLoginRetryTime).value(), 42);
    QCOMPARE(key.readBool(reg::kLockPassword).value(), true);
    QCOMPARE(key.readBool(reg::kAutoLogout).value(), true);
    QCOMPARE(key.readInteger(reg::kAutoLogoutTime).value(), 30);
    QCOMPARE(key.readBool(reg::kALIEClose).value(), true);
    QCOMPARE(key.readBool(reg::kAlarmFPIMsg).value(), false);
    QCOMPARE(key.readInteger(reg::kFPIWaitTime).value(), 9);

    const store::UserSettings& s = host_.fields;
    QVERIFY(s.StayOnTop && !s.GoTrayAtExit && s.UseDefaultLoginType && !s.AutoGetIEURL && !s.AlarmNewSite);
    QCOMPARE(s.DefaultLoginType, 4);
    QCOMPARE(s.AutoLoginRetryTime, 42);
    QVERIFY(s.LockPassword && s.AutoLogout && s.ALIEClose && !s.AlarmFPIMsg);
    QCOMPARE(s.AutoLogoutTime, 30);
    QCOMPARE(s.FPIWaitTime, 9);
    QCOMPARE(host_.calls, (std::vector<std::string>{"onTop 1", "status 0", "tray 0", "idle 30"}));

    // What was stored is what the window shows next time.
    form = open();
    QVERIFY(box(form, "CBMostOnTop")->isChecked());
    QCOMPARE(child<QComboBox>(form, "CBDefaultLoginType")->currentIndex(), 3);
    QVERIFY(box(form, "CBAutoLogout")->isChecked());
    QCOMPARE(child<QSpinBox>(form, "SEAutoLogoutTime")->value(), 30);
    QVERIFY(box(form, "CBAllIEClose")->isChecked());
    QCOMPARE(child<QSpinBox>(form, "SEFPIWaitTime")->value(), 9);
    QCOMPARE(child<QSpinBox>(form, "SEALRetryTime")->value(), 42);
    form->close();
  }

  void anUntickedDefaultLoginTypeLeavesTheStoredOne() {
    userKey().writeInteger(reg::kDefaultLoginType, 4);
    host_.fields.DefaultLoginType = 4;
    auto form = open();
    QCOMPARE(child<QComboBox>(form, "CBDefaultLoginType")->currentIndex(), 0);  // not read while unticked
    save(form);
    QCOMPARE(userKey().readInteger(reg::kDefaultLoginType).value(), 4);
    QCOMPARE(userKey().readBool(reg::kUseDefaultLoginType).value(), false);
    QCOMPARE(host_.fields.DefaultLoginType, 4);
  }

  void cancelStoresNothing() {
    auto form = open();
    click(form, "CBMostOnTop");
    click(form, "CBAutoRun");
    QTest::mouseClick(child<QPushButton>(form, "Button2"), Qt::LeftButton);
    QTRY_VERIFY(form.isNull());
    QVERIFY(userKey().readBool(reg::kStayOnTop).isNotFound());
    QVERIFY(!StartupEntry::read());
    QVERIFY(host_.calls.empty());
  }

  void theStartupEntry() {
    auto form = open();
    click(form, "CBAutoRun");
    click(form, "CBMinimizeRun");
    save(form);
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    QCOMPARE(StartupEntry::filePath(), testenv::home() + "/autostart/lockmere.desktop");
    QCOMPARE(StartupEntry::read().value(), program + " /Minimize");
    QVERIFY(startupFile().find("\nExec=" + program + " /Minimize\n") != std::string::npos);
    form = open();
    QVERIFY(box(form, "CBAutoRun")->isChecked());
    QVERIFY(box(form, "CBMinimizeRun")->isChecked());
    click(form, "CBMinimizeRun");
    save(form);
    QCOMPARE(StartupEntry::read().value(), program);
    form = open();
    QVERIFY(!box(form, "CBMinimizeRun")->isChecked());
    click(form, "CBAutoRun");
    save(form);
    QVERIFY(!std::filesystem::exists(StartupEntry::filePath()));
  }

  // "minimize" in the first 8 characters of the path is not the switch.
  void aPathStartingWithMinimizeDoesNotTickTheBox() {
    QVERIFY(StartupEntry::write("/minimize/lockmere", false));
    auto form = open();
    QVERIFY(box(form, "CBAutoRun")->isChecked());
    QVERIFY(!box(form, "CBMinimizeRun")->isChecked());
    form->close();
    QVERIFY(StartupEntry::write("/minimize/lockmere", true));
    form = open();
    QVERIFY(box(form, "CBMinimizeRun")->isChecked());
    form->close();
    QVERIFY(!ConfigValues::asksMinimized("/Minimize"));
    QVERIFY(!ConfigValues::asksMinimized("/a/Minimize"));
    QVERIFY(ConfigValues::asksMinimized("/opt/bin/minimize"));  // at position 10
    QVERIFY(ConfigValues::asksMinimized("/usr/bin/lockmere /Minimize"));
  }

  void exoticPathsSurviveTheDesktopFile() {
    for (const std::string path : {"/opt/Lock mere/bin/lockmere", "/home/a\"b/$HOME/100%/x\\y", "/tmp/it's"}) {
      QVERIFY(StartupEntry::write(path, true));
      QCOMPARE(StartupEntry::read().value(), path + " /Minimize");
    }
    QCOMPARE(StartupEntry::toExec("/opt/Lock mere/lockmere", false), std::string("\"/opt/Lock mere/lockmere\""));
    QVERIFY(!StartupEntry::write("/bad\npath", false));
  }

  // Ticking the automatic login replaces another user's block with one for
  // the logged-in user; unticking removes it.
  void theAutomaticLoginIsTheLoggedInUsers() {
    const crypto::SecureBytes aliceKey = Host::randomKey();
    const auto alice = store::autologin::make("alice", aliceKey, host_.program);
    mainKey().writeBinary(reg::kALData, alice->data(), alice->size());
    mainKey().writeBool(reg::kAutoLogin, true);
    auto form = open();
    QVERIFY(box(form, "CBAutoLogin")->isChecked());
    save(form);
    const auto stored = mainKey().readBinary(reg::kALData).value();
    const auto block = store::autologin::read(stored.data(), stored.size(), host_.program);
    QVERIFY(block);
    QCOMPARE(block->userId, std::string("bob"));
    QVERIFY(block->dataKey == host_.key);
    QCOMPARE(mainKey().readBool(reg::kAutoLogin).value(), true);

    form = open();
    click(form, "CBAutoLogin");
    save(form);
    QCOMPARE(mainKey().readBool(reg::kAutoLogin).value(), false);
    QVERIFY(mainKey().readBinary(reg::kALData).isNotFound());
  }

  // Without the user's key: the designed states, and only the start-up entry
  // and the automatic login are stored.
  void withoutTheUserKey() {
    host_.userId = "ghost";
    auto form = open();
    QVERIFY(!box(form, "CBGoTrayAtExit")->isChecked());
    QVERIFY(!box(form, "CBAlarmFPIMsg")->isChecked());
    click(form, "CBAutoRun");
    click(form, "CBAutoLogin");
    save(form);
    QVERIFY(!registry().keyExists(reg::userKeyPath("ghost")));
    QVERIFY(StartupEntry::read());
    QCOMPARE(mainKey().readBool(reg::kAutoLogin).value(), true);
    QVERIFY(host_.calls.empty());
  }

  // Automatic logout cannot happen on a desktop without an idle source: the
  // window says so next to the box.
  void saysWhenTheIdleSourceIsMissing() {
    host_.idleSource = false;
    auto form = open();
    child<QTabWidget>(form, "PageControl1")->setCurrentIndex(2);
    auto* label = child<QLabel>(form, "lbNoIdleSource");
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), QString(TConfigForm::kNoIdleSourceKo));
    form->close();
  }

  void pictures() {
    host_.idleSource = false;
    for (auto language : {texts::Language::Korean, texts::Language::Japanese}) {
      texts::setLanguage(language);
      auto form = open();
      auto* pages = child<QTabWidget>(form, "PageControl1");
      for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        windowtest::savePicture(*form, "config", QStringLiteral("settings-page%1").arg(page + 1));
        QVERIFY2(windowtest::clippedTexts(*form).isEmpty(), qPrintable(windowtest::clippedTexts(*form).join(", ")));
      }
      form->close();
    }
  }
};

int main(int argc, char** argv) {
  testenv::isolateHome();
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ConfigFormTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ConfigFormTest.moc"
