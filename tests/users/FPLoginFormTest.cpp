// The fingerprint login window: never visible, it speaks through its popup,
// waits for a finger of the logged-in user and then fills and submits the page.
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <memory>

#include "lockmere/store/UserSettings.h"
#include "lockmere/texts/Language.h"
#include "lockmere/users/FPLoginForm.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "lockmere/widgets/MSNPopUpForm.h"
#include "tests/users/Pictures.h"
#include "tests/users/TestMain.h"
#include "tests/users/UsersFixture.h"

using namespace users;
using namespace users::test;

namespace {

class RecordingPage : public BrowserPage {
 public:
  explicit RecordingPage(std::vector<std::string>& calls) : calls_(calls) {}
  void bringToForeground() override { calls_.push_back("front"); }
  void fillLoginForm() override { calls_.push_back("fill"); }
  void pressAndRelease(Key key) override { calls_.push_back(key == Key::End ? "End" : "Enter"); }

 private:
  std::vector<std::string>& calls_;
};

// The popup windows of the form's popup that are still open.
QList<widgets::TfrmMSNPopUp*> popups(TFPLoginForm& form) { return form.popup()->popups(); }

}  // namespace

class FPLoginFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Sensor> sensor_;
  Host host_;
  store::UserSettings settings_;
  std::vector<std::string> calls_;

  QPointer<TFPLoginForm> open(const QString& site = "Example Bank") {
    auto* form = new TFPLoginForm(host_, settings_, 0xABCD, site, std::make_unique<RecordingPage>(calls_));
    QApplication::processEvents();
    return form;
  }
  static QString popupTitle(TFPLoginForm& f) {
    auto list = popups(f);
    return list.isEmpty() ? QString() : list.last()->properties().Title;
  }
  static QString popupText(TFPLoginForm& f) {
    auto list = popups(f);
    return list.isEmpty() ? QString() : list.last()->properties().Text;
  }

 private slots:
  void init() {
    host_ = Host();
    settings_ = store::UserSettings();
    calls_.clear();
    sensor_ = startAfresh();
  }

  void cleanup() {
    delete TFPLoginForm::current();
    stopFingerprintThreads();
    sensor_.reset();
  }

  void theWindowIsNeverVisibleAndNamedAfterTheBrowser() {
    host_.logIn(makeUser("bob", "pw-bob", {kFinger108}));
    auto form = open();
    QCOMPARE(form->objectName(), QString("FPLF000000000000ABCD"));
    QVERIFY(!form->isVisible());
  }

  void withoutTheDriverThePopupSaysSo() {
    sensor_->plug();
    host_.logIn(makeUser("bob", "pw-bob", {kFinger108}));
    auto form = open();
    QCOMPARE(popupTitle(*form), QString("Lockmere - 오류"));
    QCOMPARE(popupText(*form), QString("Nimbra Device Driver가\r\n\r\n설치되어 있지 않습니다."));
    spin(300ms);
    QVERIFY(!form->isVerifying());
    QCOMPARE(sensor_->requestCount(), std::size_t(0));
  }

  // Driver but no sensor: the popup asks for it; plugged in, the prompt
  // replaces it and the right finger fills and submits the page.
  void aSensorPluggedInLaterThenTheRightFinger() {
    Sensor::installDriver();
    settings_.FPIWaitTime = 30;
    host_.logIn(makeUser("bob", "pw-bob", {kFinger108}));
    makeUser("alice", "pw-alice", {kFinger104});
    auto form = open();
    QCOMPARE(popupTitle(*form), QString("Lockmere - 오류"));
    QCOMPARE(popupText(*form), QString("지문인식기 Nimbra를 USB포트에\r\n\r\n연결하여 주십시오."));
    sensor_->plug();
    QVERIFY(waitUntil([&] { return form->isVerifying(); }, 10s));
    QVERIFY(waitUntil([&] { return popupTitle(*form) == "Lockmere - 지문로그인"; }, 5s));
    QCOMPARE(popups(*form).size(), 1);  // the request to plug in went
    const widgets::TMSNPopUpProperties& prompt = popups(*form).last()->properties();
    QCOMPARE(prompt.Text,
             QString("『Example Bank』에\r\n\r\n로그인 하시려면 지문인식기에\r\n\r\n지문을 입력해 주십시오."));
    QCOMPARE(prompt.Width, 240);
    QCOMPARE(prompt.TimeOut, 30);
    QCOMPARE(prompt.GradientColor1, QColor(0xD3, 0xE1, 0xFC));
    QCOMPARE(prompt.GradientColor2, QColor(0x89, 0x9C, 0xF3));
    QCOMPARE(prompt.SiteID, 0);
    QCOMPARE(prompt.IEHandle, platform::WindowHandle(0));

    // Another user's finger does not match: the prompt shows again, its time anew.
    QPointer<widgets::TfrmMSNPopUp> first = popups(*form).last();
    sensor_->layFinger(kFinger104, kFinger104.probe);
    QVERIFY(waitUntil([&] { return first.isNull() && !popups(*form).isEmpty(); }, 30s));
    QVERIFY(calls_.empty());
    sensor_->layFinger(kFinger108, kFinger108.probe);
    QVERIFY(waitUntil([&] { return !calls_.empty(); }));
    QCOMPARE(calls_, (std::vector<std::string>{"fill", "front", "End", "Enter"}));
    QVERIFY(popups(*form).isEmpty());
    QVERIFY(!form.isNull());  // the main window frees it when the page goes
  }

  // Closing the prompt (here: its time runs out) closes the window.
  void theWindowGoesWithItsPrompt() {
    Sensor::installDriver();
    sensor_->plug();
    settings_.FPIWaitTime = 1;
    host_.logIn(makeUser("bob", "pw-bob", {kFinger108}));
    auto form = open();
    QVERIFY(waitUntil([&] { return popupTitle(*form) == "Lockmere - 지문로그인"; }, 10s));
    QVERIFY(waitUntil([&] { return form.isNull(); }, 10s));
    QVERIFY(TFPLoginForm::current() == nullptr);
  }

  void withoutTheMessageTheFingerStillLogsIn() {
    Sensor::installDriver();
    sensor_->plug();
    settings_.AlarmFPIMsg = false;
    host_.logIn(makeUser("bob", "pw-bob", {kFinger108}));
    auto form = open();
    QVERIFY(waitUntil([&] { return form->isVerifying(); }, 10s));
    QVERIFY(popups(*form).isEmpty());
    sensor_->layFinger(kFinger108, kFinger108.probe);
    QVERIFY(waitUntil([&] { return calls_.size() == 4; }));
  }

  void siteNamesOf28And29Characters() {
    const QString name28 = QString("가나다라마바사아자차카타파하").repeated(2);
    QCOMPARE(name28.size(), 28);
    QVERIFY(TFPLoginForm::promptText(name28).startsWith("『" + name28 + "』에"));
    const QString name29 = name28 + "X";
    QVERIFY(TFPLoginForm::promptText(name29).startsWith("『" + name28 + "...』에"));
    // A character beyond the basic plane counts as one.
    const QString wide = QString::fromUcs4(U"😀").repeated(29);
    QVERIFY(TFPLoginForm::promptText(wide).startsWith("『" + QString::fromUcs4(U"😀").repeated(28) + "...』"));

    Sensor::installDriver();
    sensor_->plug();
    host_.logIn(makeUser("bob", "pw-bob", {kFinger108}));
    auto form = open(name29);
    QVERIFY(waitUntil([&] { return popupTitle(*form) == "Lockmere - 지문로그인"; }, 10s));
    QCOMPARE(popupText(*form), TFPLoginForm::promptText(name29));
  }

  void aNewWindowReplacesTheOpenOne() {
    host_.logIn(makeUser("bob", "pw-bob", {kFinger108}));
    auto first = open();
    auto second = open();
    QVERIFY(waitUntil([&] { return first.isNull(); }, 5s));
    QCOMPARE(TFPLoginForm::current(), second.data());
  }

  void pictures() {
    Sensor::installDriver();
    sensor_->plug();
    settings_.FPIWaitTime = 30;
    host_.logIn(makeUser("홍길동", "pw", {kFinger108}));
    for (auto language : {texts::Language::Korean, texts::Language::Japanese}) {
      texts::setLanguage(language);
      auto form = open(QString("인터넷뱅킹 로그인 페이지입니다 - 아주 긴 사이트 이름"));
      QVERIFY(waitUntil([&] { return popupTitle(*form) == "Lockmere - 지문로그인"; }, 10s));
      widgets::TfrmMSNPopUp* popup = popups(*form).last();
      QVERIFY(waitUntil([&] { return popup->geometry() == popup->fullRect(); }, 5s));
      spin(200ms);
      windowtest::savePicture(*popup, "users", "fplogin-prompt");
      // The program's icon and close button from the resource library.
      QVERIFY(popup->findChild<QLabel*>("imgIcon")->isVisible());
      QVERIFY(popup->findChild<QLabel*>("CloseBtn")->isVisible());
      delete form.data();
    }
  }
};

LOCKMERE_WINDOW_TEST_MAIN(FPLoginFormTest)
#include "FPLoginFormTest.moc"
