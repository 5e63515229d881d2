// The confirmation window (command and site mode) and the user deletion
// window: the logged-in user confirms by password or by finger.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "lockmere/store/RegistryLayout.h"
#include "lockmere/texts/Language.h"
#include "lockmere/users/CLoginForm.h"
#include "lockmere/users/PasswordAttempts.h"
#include "lockmere/users/UserDelForm.h"
#include "platform/Registry.h"
#include "tests/users/Pictures.h"
#include "tests/users/TestMain.h"
#include "tests/users/UsersFixture.h"

using namespace users;
using namespace users::test;

namespace {

// The browser side as far as the site-mode window sees it.
class RecordingPage : public BrowserPage {
 public:
  explicit RecordingPage(std::vector<std::string>& calls, bool failing = false) : calls_(calls), failing_(failing) {}
  void bringToForeground() override { record("front"); }
  void fillLoginForm() override { record("fill"); }
  void pressAndRelease(Key key) override { record(key == Key::End ? "End" : "Enter"); }

 private:
  void record(const char* call) {
    calls_.push_back(call);
    if (failing_) throw std::runtime_error("the page went away");
  }
  std::vector<std::string>& calls_;
  bool failing_;
};

bool userKeyExists(const std::string& id) {
  return platform::Registry(platform::Registry::CurrentUser).keyExists(store::reg::userKeyPath(id));
}

}  // namespace

class ReauthFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Sensor> sensor_;
  Host host_;

  template <class Form>
  QPointer<Form> open(Form* form) {
    QObject::connect(form, &QDialog::finished, [this](int r) { results_.push_back(r); });
    form->show();
    QApplication::processEvents();
    return form;
  }
  std::vector<int> results_;

  static QString enterPassword(QDialog& f, const QString& pw) {
    auto* edit = f.findChild<QLineEdit*>("EdtPWD");
    edit->clear();
    QTest::keyClicks(edit, pw);
    QTest::mouseClick(f.findChild<QPushButton*>("btnOK"), Qt::LeftButton);
    QApplication::processEvents();
    return messageBox(&f) ? takeMessage(&f) : QString();
  }
  static QString memo(QDialog& f) { return f.findChild<QPlainTextEdit*>("Memo1")->toPlainText(); }
  static QString label5(QDialog& f) { return f.findChild<QLabel*>("Label5")->text(); }

 private slots:
  void init() {
    host_ = Host();
    results_.clear();
    sensor_ = startAfresh();
  }

  void cleanup() {
    for (QWidget* w : QApplication::topLevelWidgets()) delete w;
    stopFingerprintThreads();
    sensor_.reset();
  }

  void confirmationByPasswordInCommandMode() {
    sensor_->plug();
    const MadeUser bob = makeUser("bob", "pw-bob", {kFinger108});
    host_.logIn(bob);
    auto form = open(new TCLoginForm(host_));
    QCOMPARE(form->windowTitle(), QString("Lockmere - 확인"));
    QCOMPARE(form->findChild<QGroupBox*>("GroupBox1")->title(), QString("bob님의 비밀번호를 입력하세요"));
    QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(form->isModal());
    QCOMPARE(memo(*form), QString("지문인식기가 설치되어 있지 않습니다."));
    QCOMPARE(enterPassword(*form, ""), QString("비밀번호를 입력하세요"));
    QCOMPARE(enterPassword(*form, "pw-alice"), QString("비밀번호가 올바르지 않습니다."));
    QVERIFY(results_.empty());
    QCOMPARE(enterPassword(*form, "pw-bob"), QString());
    QVERIFY(waitUntil([&] { return !results_.empty(); }, 5s));
    QCOMPARE(results_, std::vector<int>{mrOK});
    QVERIFY(waitUntil([&] { return form.isNull(); }, 5s));  // freed when closed
    QCOMPARE(sensor_->requestCount(), std::size_t(0));      // no driver: the sensor was never touched
  }

  // The check compares only Key1's ID: a damaged data file does not matter here.
  void confirmationDoesNotReadTheDataFile() {
    const MadeUser bob = makeUser("bob", "pw-bob", {});
    std::filesystem::remove(bob.dataFile);
    host_.logIn(bob);
    auto form = open(new TCLoginForm(host_));
    QCOMPARE(enterPassword(*form, "pw-bob"), QString());
    QVERIFY(waitUntil([&] { return !results_.empty(); }, 5s));
    QCOMPARE(results_.front(), int(mrOK));
  }

  void confirmationByFinger() {
    Sensor::installDriver();
    const MadeUser alice = makeUser("alice", "pw-alice", {kFinger104});
    const MadeUser bob = makeUser("bob", "pw-bob", {kFinger108});
    host_.logIn(bob);
    auto form = open(new TCLoginForm(host_));
    // Driver, no sensor: only the request to plug it in.
    QCOMPARE(memo(*form), QString("지문인식기 Nimbra를 USB포트에 연결하여 주십시오."));
    sensor_->plug();
    QVERIFY(waitUntil([&] { return form->isVerifying(); }, 10s));
    QCOMPARE(memo(*form), QString("지문인식기에 지문을 입력하여 주십시오."));
    // Another user's finger is not among bob's records: no match, still waiting.
    sensor_->layFinger(kFinger104, kFinger104.probe);
    spin(2s);
    QVERIFY(results_.empty());
    QVERIFY(form->isVerifying());
    sensor_->layFinger(kFinger108, kFinger108.probe);
    QVERIFY(waitUntil([&] { return !results_.empty(); }));
    QCOMPARE(results_.front(), int(mrOK));
  }

  void aSensorUnpluggedDuringVerificationIsWaitedForAgain() {
    Sensor::installDriver();
    sensor_->plug();
    const MadeUser bob = makeUser("bob", "pw-bob", {kFinger108});
    host_.logIn(bob);
    auto form = open(new TCLoginForm(host_));
    QVERIFY(waitUntil([&] { return form->isVerifying(); }, 10s));
    sensor_->unplug();
    QVERIFY(waitUntil([&] { return memo(*form) == "지문인식기 Nimbra를 USB포트에 연결하여 주십시오."; }, 10s));
    sensor_->plug();
    QVERIFY(waitUntil([&] { return memo(*form) == "지문인식기에 지문을 입력하여 주십시오."; }, 10s));
    sensor_->layFinger(kFinger108, kFinger108.probe);
    QVERIFY(waitUntil([&] { return !results_.empty(); }));
    QCOMPARE(results_.front(), int(mrOK));
  }

  // Site mode: once confirmed, the page's form is filled and submitted.
  void siteModeFillsAndSubmitsThePage() {
    const MadeUser bob = makeUser("bob", "pw-bob", {});
    host_.logIn(bob);
    std::vector<std::string> calls;
    auto form = open(new TCLoginForm(host_, 0x1234, std::make_unique<RecordingPage>(calls)));
    QCOMPARE(form->objectName(), QString("FPLF0000000000001234"));
    QVERIFY(!form->isModal());
    QVERIFY(form->isSiteMode());
    QCOMPARE(enterPassword(*form, "wrong"), QString("비밀번호가 올바르지 않습니다."));
    QVERIFY(calls.empty());
    QCOMPARE(enterPassword(*form, "pw-bob"), QString());
    QVERIFY(waitUntil([&] { return form.isNull(); }, 5s));
    QCOMPARE(calls, (std::vector<std::string>{"front", "fill", "front", "End", "Enter"}));
  }

  void aFailingBrowserCallIsIgnored() {
    host_.logIn(makeUser("bob", "pw-bob", {}));
    std::vector<std::string> calls;
    auto form = open(new TCLoginForm(host_, 0x10, std::make_unique<RecordingPage>(calls, true)));
    QCOMPARE(enterPassword(*form, "pw-bob"), QString());
    QVERIFY(waitUntil([&] { return form.isNull(); }, 5s));
    QCOMPARE(calls.size(), std::size_t(5));
  }

  void aNewConfirmationWindowFreesTheOpenOne() {
    host_.logIn(makeUser("bob", "pw-bob", {}));
    std::vector<std::string> calls;
    auto first = open(new TCLoginForm(host_, 0x20, std::make_unique<RecordingPage>(calls)));
    auto second = open(new TCLoginForm(host_));
    QVERIFY(waitUntil([&] { return first.isNull(); }, 5s));
    QCOMPARE(TCLoginForm::current(), second.data());
  }

  void deletionByPasswordRemovesKeyAndFile() {
    const MadeUser bob = makeUser("bob", "pw-bob", {});
    makeUser("alice", "pw-alice", {});
    host_.logIn(bob);
    auto form = open(new TUserDelForm(host_));
    QCOMPARE(form->windowTitle(), QString("Lockmere - 아이디 삭제"));
    QCOMPARE(form->findChild<QLabel*>("Label2")->text(), QString("bob"));
    QCOMPARE(label5(*form), QString("지문인식기가 설치되어 있지 않습니다."));
    QCOMPARE(enterPassword(*form, "pw-alice"), QString("비밀번호가 올바르지 않습니다."));
    QVERIFY(userKeyExists("bob"));
    QCOMPARE(enterPassword(*form, "pw-bob"), QString());
    QVERIFY(waitUntil([&] { return !results_.empty(); }, 5s));
    QCOMPARE(results_.front(), int(mrOK));
    QVERIFY(!userKeyExists("bob"));
    QVERIFY(!std::filesystem::exists(bob.dataFile));
    QVERIFY(userKeyExists("alice"));
  }

  // Without its data file the key goes but the result is Cancel.
  void deletionWithoutTheDataFileReportsCancel() {
    const MadeUser bob = makeUser("bob", "pw-bob", {});
    std::filesystem::remove(bob.dataFile);
    host_.logIn(bob);
    auto form = open(new TUserDelForm(host_));
    QCOMPARE(enterPassword(*form, "pw-bob"), QString());
    QVERIFY(waitUntil([&] { return !results_.empty(); }, 5s));
    QCOMPARE(results_.front(), int(mrCancel));
    QVERIFY(!userKeyExists("bob"));
  }

  void deletionByFinger() {
    Sensor::installDriver();
    sensor_->plug();
    const MadeUser bob = makeUser("bob", "pw-bob", {kFinger108});
    host_.logIn(bob);
    auto form = open(new TUserDelForm(host_));
    QVERIFY(waitUntil([&] { return form->isVerifying(); }, 10s));
    QCOMPARE(label5(*form), QString("지문인식기에 지문을 입력하여 주십시오."));
    sensor_->layFinger(kFinger108, kFinger108.probe);
    QVERIFY(waitUntil([&] { return !results_.empty(); }));
    QCOMPARE(results_.front(), int(mrOK));
    QVERIFY(!userKeyExists("bob"));
    QVERIFY(!std::filesystem::exists(bob.dataFile));
  }

  void cancelLeavesTheUser() {
    const MadeUser bob = makeUser("bob", "pw-bob", {});
    host_.logIn(bob);
    auto form = open(new TUserDelForm(host_));
    QTest::mouseClick(form->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
    QCOMPARE(results_, std::vector<int>{mrCancel});
    QVERIFY(userKeyExists("bob"));
    QVERIFY(std::filesystem::exists(bob.dataFile));
  }

  void pictures() {
    Sensor::installDriver();
    sensor_->plug();
    host_.logIn(makeUser("홍길동", "pw", {kFinger108}));
    for (auto language : {texts::Language::Korean, texts::Language::Japanese}) {
      texts::setLanguage(language);
      for (QDialog* form : std::initializer_list<QDialog*>{new TCLoginForm(host_), new TUserDelForm(host_)}) {
        open(form);
        QVERIFY(waitUntil([&] { return static_cast<ReauthForm*>(form)->isVerifying(); }, 10s));
        QApplication::processEvents();
        windowtest::savePicture(*form, "users", form->objectName());
        QVERIFY2(windowtest::clippedTexts(*form).isEmpty(), qPrintable(windowtest::clippedTexts(*form).join(", ")));
        delete form;
      }
    }
  }
};

LOCKMERE_WINDOW_TEST_MAIN(ReauthFormTest)
#include "ReauthFormTest.moc"
