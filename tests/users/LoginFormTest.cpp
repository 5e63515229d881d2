// The login window: password and fingerprint logins against users made as the
// new-user tool makes them, the simulated sensor with real fingerprints.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "lockmere/store/AutoLoginBlock.h"
#include "lockmere/store/RegistryLayout.h"
#include "lockmere/texts/Language.h"
#include "lockmere/users/LoginForm.h"
#include "lockmere/users/PasswordAttempts.h"
#include "platform/Registry.h"
#include "tests/users/Pictures.h"
#include "tests/users/TestMain.h"
#include "tests/users/UsersFixture.h"

using namespace users;
using namespace users::test;

namespace {

platform::RegistryKey mainKey() {
  platform::Registry registry(platform::Registry::CurrentUser);
  return registry.createKey(store::reg::kMainKey).value();
}

void setAutoLogin(bool on) { mainKey().writeBool(store::reg::kAutoLogin, on); }

}  // namespace

class LoginFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Sensor> sensor_;
  Host host_;

  std::unique_ptr<TLoginForm> openForm() {
    auto form = std::make_unique<TLoginForm>(host_);
    form->show();
    QApplication::processEvents();  // 0x401
    return form;
  }
  static QComboBox* userId(TLoginForm& f) { return f.findChild<QComboBox*>("UserID"); }
  static QLineEdit* password(TLoginForm& f) { return f.findChild<QLineEdit*>("UserPassword"); }
  static QPushButton* button(TLoginForm& f, const char* name) { return f.findChild<QPushButton*>(name); }
  static QCheckBox* autoLoginBox(TLoginForm& f) { return f.findChild<QCheckBox*>("CheckBox1"); }

  // Types an ID and a password and presses the OK button; returns the message
  // shown, empty when none.
  static QString tryPassword(TLoginForm& f, const QString& id, const QString& pw) {
    userId(f)->setEditText(QString());
    QTest::keyClicks(userId(f)->lineEdit(), id);
    password(f)->clear();
    QTest::keyClicks(password(f), pw);
    QTest::mouseClick(button(f, "BtnOK"), Qt::LeftButton);
    QApplication::processEvents();
    return messageBox(&f) ? takeMessage(&f) : QString();
  }

 private slots:
  void init() {
    host_ = Host();
    sensor_ = startAfresh();
  }

  void cleanup() {
    stopFingerprintThreads();
    sensor_.reset();
  }

  void showsTheUsersAndTheLastLoginAndTheTexts() {
    makeUser("bob", "pw-bob", {});
    makeUser("Alice", "pw-alice", {});
    writeLastLoginId("bob");
    setAutoLogin(true);
    auto form = openForm();
    QCOMPARE(form->windowTitle(), QString("Lockmere - 로그인"));
    QCOMPARE(userId(*form)->count(), 2);
    QCOMPARE(userId(*form)->itemText(0), QString("Alice"));  // the registry's order
    QCOMPARE(userId(*form)->currentText(), QString("bob"));
    QVERIFY(autoLoginBox(*form)->isChecked());
    QCOMPARE(autoLoginBox(*form)->text(), QString("시작시 자동으로 로그인"));
    QCOMPARE(button(*form, "BtnOK")->text(), QString("확인 (&O)"));
    QCOMPARE(button(*form, "BtnCancel")->text(), QString("취소 (&C)"));
    QCOMPARE(button(*form, "BtnNewUser")->text(), QString("새 사용자 등록 (&N)"));
    QCOMPARE(form->findChild<QGroupBox*>("GroupBox1")->title(), QString("아이디와 비밀번호를 입력하세요."));
    QCOMPARE(form->findChild<QLabel*>("lbUserID")->text(), QString("아이디"));
    QCOMPARE(form->findChild<QLabel*>("lbPassword")->text(), QString("비밀번호"));
    QCOMPARE(password(*form)->echoMode(), QLineEdit::Password);
  }

  void aLastLoginIdOfNoUserLeavesTheBoxEmpty() {
    makeUser("bob", "pw", {});
    writeLastLoginId("BOB");
    auto form = openForm();
    QCOMPARE(userId(*form)->currentText(), QString());
    QVERIFY(!autoLoginBox(*form)->isChecked());
  }

  // No driver: password only, and the sensor (plugged in) is never touched.
  void withoutDriverLogsInByPasswordAndNeverTouchesTheSensor() {
    sensor_->plug();
    const MadeUser bob = makeUser("bob", "pw-bob", {kFinger108});
    makeUser("alice", "pw-alice", {kFinger104});
    auto form = openForm();
    spin(300ms);
    QVERIFY(form->allUserRecords().isEmpty());
    QVERIFY(!form->isVerifying());
    autoLoginBox(*form)->setChecked(true);
    QCOMPARE(tryPassword(*form, "bob", "pw-bob"), QString());
    QCOMPARE(form->result(), int(mrOK));
    QVERIFY(!form->isVisible());
    QCOMPARE(host_.currentUserId(), std::string("bob"));
    QVERIFY(host_.dataKey() == bob.dataKey);
    QVERIFY(host_.userRecords().isEmpty());  // no all-users array without the driver
    QCOMPARE(sensor_->requestCount(), std::size_t(0));
    // The ticked box stored an automatic login for bob.
    const auto alData = mainKey().readBinary(store::reg::kALData);
    QVERIFY(alData.ok());
    const auto block = store::autologin::read(alData.value().data(), alData.value().size(), host_.programKey());
    QVERIFY(block);
    QCOMPARE(block->userId, std::string("bob"));
    QVERIFY(block->dataKey == bob.dataKey);
    QVERIFY(mainKey().readBool(store::reg::kAutoLogin).value());
  }

  void anUntickedBoxDeletesTheAutomaticLogin() {
    makeUser("bob", "pw-bob", {});
    mainKey().writeBinary(store::reg::kALData, std::vector<std::uint8_t>(112, 1));
    setAutoLogin(true);
    auto form = openForm();
    autoLoginBox(*form)->setChecked(false);
    QCOMPARE(tryPassword(*form, "bob", "pw-bob"), QString());
    QCOMPARE(form->result(), int(mrOK));
    QVERIFY(mainKey().readBinary(store::reg::kALData).isNotFound());
    QCOMPARE(mainKey().readBool(store::reg::kAutoLogin).value(), false);
  }

  void refusesEmptyUnknownAndWrongInputWithTheTablesTexts() {
    makeUser("bob", "pw-bob", {});
    auto form = openForm();
    QCOMPARE(tryPassword(*form, "", "x"), QString("아이디를 입력하세요"));
    QCOMPARE(tryPassword(*form, "bob", ""), QString("비밀번호를 입력하세요"));
    QCOMPARE(tryPassword(*form, "nobody", "pw-bob"), QString("존재하지 않는 아이디 입니다."));
    const QString refused = "로그인 할 수 없습니다.\n\n비밀번호가 잘못되었거나 데이터 파일이 손상되었습니다.";
    QCOMPARE(tryPassword(*form, "bob", "pw-bo"), refused);
    QVERIFY(password(*form)->text().isEmpty());  // a refused password does not stay in the edit
    // Another letter case opens the same registry key but fails inside Key1.
    QCOMPARE(tryPassword(*form, "BOB", "pw-bob"), refused);
    QVERIFY(form->isVisible());
    QCOMPARE(form->result(), 0);
    QVERIFY(host_.currentUserId().empty());
    QVERIFY(host_.dataKey().empty());
    // Blanks around the password do not count.
    QCOMPARE(tryPassword(*form, "bob", " pw-bob "), QString());
    QCOMPARE(form->result(), int(mrOK));
  }

  void aMissingDataFileRefusesThePassword() {
    const MadeUser bob = makeUser("bob", "pw-bob", {});
    std::filesystem::remove(bob.dataFile);
    auto form = openForm();
    QVERIFY(tryPassword(*form, "bob", "pw-bob").startsWith("로그인 할 수 없습니다."));
    QVERIFY(form->isVisible());
  }

  void passwordLoginTakesTheUsersRecordsFromTheAllUsersArray() {
    Sensor::installDriver();
    const MadeUser al = makeUser("al", "pw-al", {kFinger105});
    const MadeUser alice = makeUser("alice", "pw-alice", {kFinger104, kFinger109});
    auto form = openForm();
    QCOMPARE(form->allUserRecords().count(), std::size_t(3));
    QCOMPARE(tryPassword(*form, "alice", "pw-alice"), QString());
    QCOMPARE(form->result(), int(mrOK));
    QCOMPARE(host_.userRecords().count(), std::size_t(2));
    QVERIFY(std::equal(host_.userRecords().data(), host_.userRecords().data() + 2 * 3656, alice.records.data()));
  }

  void cancelAndNewUser() {
    makeUser("bob", "pw-bob", {});
    auto form = openForm();
    QTest::mouseClick(button(*form, "BtnCancel"), Qt::LeftButton);
    QCOMPARE(form->result(), int(mrCancel));
    form = openForm();
    QTest::keyClick(form.get(), Qt::Key_Escape);
    QCOMPARE(form->result(), int(mrCancel));
    form = openForm();
    QTest::mouseClick(button(*form, "BtnNewUser"), Qt::LeftButton);
    QCOMPARE(form->result(), int(mrNewUser));
    QCOMPARE(host_.newUserToolStarts, 1);
    QVERIFY(host_.currentUserId().empty());
  }

  void enterInThePasswordEditLogsIn() {
    makeUser("bob", "pw-bob", {});
    writeLastLoginId("bob");
    auto form = openForm();
    QTest::keyClicks(password(*form), "pw-bob");
    QTest::keyClick(password(*form), Qt::Key_Return);
    QTRY_COMPARE(form->result(), int(mrOK));
  }

  // Fingerprint login: the finger alone says who the user is; "al" is a prefix
  // of "alice" and never takes alice's records or key, nor the other way round.
  void aFingerIdentifiesItsUserAmongSeveral() {
    Sensor::installDriver();
    sensor_->plug();
    makeUser("alice", "pw-alice", {kFinger104, kFinger109});
    const MadeUser al = makeUser("al", "pw-al", {kFinger105});
    makeUser("bob", "pw-bob", {kFinger108});
    writeLastLoginId("bob");
    auto form = openForm();
    QCOMPARE(form->allUserRecords().count(), std::size_t(4));
    QVERIFY(waitUntil([&] { return form->isVerifying(); }, 10s));
    QCOMPARE(QApplication::focusWidget(), password(*form));  // an ID was preselected
    sensor_->layFinger(kFinger105, kFinger105.probe);
    QVERIFY(waitUntil([&] { return form->result() == mrOK; }));
    QCOMPARE(host_.currentUserId(), std::string("al"));
    QVERIFY(host_.dataKey() == al.dataKey);
    QCOMPARE(host_.userRecords().count(), std::size_t(1));
    QVERIFY(std::equal(al.records.data(), al.records.data() + 3656, host_.userRecords().data()));
    QVERIFY(!form->isVerifying());

    sensor_->liftFinger();
    host_ = Host();
    form = openForm();
    QVERIFY(waitUntil([&] { return form->isVerifying(); }, 10s));
    sensor_->layFinger(kFinger109, kFinger109.probe);
    QVERIFY(waitUntil([&] { return form->result() == mrOK; }));
    QCOMPARE(host_.currentUserId(), std::string("alice"));
    QCOMPARE(host_.userRecords().count(), std::size_t(2));
  }

  // A match whose Key2 does not open leaves the window waiting for the next finger.
  void aMatchWhoseKey2DoesNotOpenKeepsWaiting() {
    Sensor::installDriver();
    sensor_->plug();
    makeUser("carol", "pw-carol", {kFinger104});
    const MadeUser bob = makeUser("bob", "pw-bob", {kFinger108});
    platform::Registry registry(platform::Registry::CurrentUser);
    registry.openKey(store::reg::userKeyPath("carol"))
        .value()
        .writeBinary(store::reg::kKey2, std::vector<std::uint8_t>(112, 0x5A));
    auto form = openForm();
    QVERIFY(waitUntil([&] { return form->isVerifying(); }, 10s));
    sensor_->layFinger(kFinger104, kFinger104.probe);
    spin(3s);
    QVERIFY(form->isVisible());
    QCOMPARE(form->result(), 0);
    QVERIFY(host_.currentUserId().empty());
    QVERIFY(host_.dataKey().empty());
    QVERIFY(form->isVerifying());
    QVERIFY(!messageBox(form.get()));  // fingerprint failures are silent
    sensor_->layFinger(kFinger108, kFinger108.probe);
    QVERIFY(waitUntil([&] { return form->result() == mrOK; }));
    QCOMPARE(host_.currentUserId(), std::string("bob"));
    QVERIFY(host_.dataKey() == bob.dataKey);
  }

  // The driver of any of the three packages counts; a sensor plugged in after
  // the window opened starts the verification.
  void theThirdProductCodeAndASensorPluggedInLater() {
    Sensor::installDriver(2);
    const MadeUser bob = makeUser("bob", "pw-bob", {kFinger108});
    auto form = openForm();
    QCOMPARE(form->allUserRecords().count(), std::size_t(1));
    spin(300ms);
    QVERIFY(!form->isVerifying());
    sensor_->plug();
    sensor_->layFinger(kFinger108, kFinger108.probe);
    QVERIFY(waitUntil([&] { return form->result() == mrOK; }));
    QCOMPARE(host_.currentUserId(), std::string("bob"));
  }

  // More records than one search of the library takes: the finger is laid
  // once, captured once a round, and found among all of them.
  void aFingerAmongMoreThan60Records() {
    Sensor::installDriver();
    sensor_->plug();
    const std::vector<Finger> others{kFinger104, kFinger105, kFinger109, kFinger107, kFinger102b};
    for (int user = 0; user < 19; ++user) {
      std::vector<tagENROLL> fingers;
      for (int i = 0; i < 10; ++i) fingers.push_back(enrolledFinger(others[(user + i) % others.size()]));
      makeUserWithRecords("user" + std::to_string(100 + user), "pw", fingers);
    }
    const MadeUser zed = makeUser("zed", "pw-zed", {kFinger104, kFinger108});
    auto form = openForm();
    QCOMPARE(form->allUserRecords().count(), std::size_t(192));
    QVERIFY(waitUntil([&] { return form->isVerifying(); }, 10s));
    spin(500ms);
    sensor_->clearRequests();
    sensor_->layFinger(kFinger108, kFinger108.probe);
    QVERIFY(waitUntil([&] { return form->result() == mrOK; }));
    QCOMPARE(host_.currentUserId(), std::string("zed"));
    QVERIFY(host_.dataKey() == zed.dataKey);
    QCOMPARE(host_.userRecords().count(), std::size_t(2));
    // Four slices, yet no more frames than one round in progress and the one
    // that saw the finger.
    QVERIFY2(sensor_->frameReads() >= 1 && sensor_->frameReads() <= 2,
             qPrintable(QString::number(sensor_->frameReads())));
  }

  void aUserWithoutADataFileAddsNoRecords() {
    Sensor::installDriver();
    const MadeUser bob = makeUser("bob", "pw-bob", {kFinger108});
    const MadeUser carol = makeUser("carol", "pw-carol", {kFinger104});
    std::filesystem::remove(bob.dataFile);
    auto form = openForm();
    QCOMPARE(form->allUserRecords().count(), std::size_t(1));
    QCOMPARE(*form->allUserRecords().owner(0), std::string("carol"));
  }

  void aNewWindowReplacesTheOpenOne() {
    QPointer<TLoginForm> watch = openForm().release();
    auto second = openForm();
    QVERIFY(!watch->isVisible());
    QCOMPARE(watch->result(), int(mrCancel));
    delete watch.data();
    QCOMPARE(TLoginForm::current(), second.get());
  }

  void pictures() {
    Sensor::installDriver();
    makeUser("bob", "pw-bob", {kFinger108});
    makeUser("홍길동", "pw", {});
    writeLastLoginId("홍길동");
    for (auto language : {texts::Language::Korean, texts::Language::Japanese}) {
      texts::setLanguage(language);
      auto form = openForm();
      const QString path = windowtest::savePicture(*form, "users", "login");
      QVERIFY2(windowtest::clippedTexts(*form).isEmpty(), qPrintable(windowtest::clippedTexts(*form).join(", ")));
      for (int i = 0; i < PasswordAttempts::kFreeAttempts; ++i) PasswordAttempts::shared().recordFailure();
      form = openForm();
      windowtest::savePicture(*form, "users", "login-wait");
      QVERIFY2(windowtest::clippedTexts(*form).isEmpty(), qPrintable(windowtest::clippedTexts(*form).join(", ")));
      PasswordAttempts::shared().recordSuccess();
      qInfo("%s", qPrintable(path));
    }
  }
};

LOCKMERE_WINDOW_TEST_MAIN(LoginFormTest)
#include "LoginFormTest.moc"
