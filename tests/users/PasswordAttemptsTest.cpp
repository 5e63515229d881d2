// Wrong passwords in a row: after five, each further attempt in the login,
// confirmation and deletion windows waits a second longer than the last.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "lockmere/users/CLoginForm.h"
#include "lockmere/users/LoginForm.h"
#include "lockmere/users/PasswordAttempts.h"
#include "lockmere/users/UserDelForm.h"
#include "tests/users/TestMain.h"
#include "tests/users/UsersFixture.h"

using namespace users;
using namespace users::test;
using std::chrono::milliseconds;
using std::chrono::seconds;

class PasswordAttemptsTest : public QObject {
  Q_OBJECT

  Host host_;

  static void typeAndPress(QWidget& form, const char* edit, const char* button, const QString& pw) {
    auto* e = form.findChild<QLineEdit*>(edit);
    e->clear();
    QTest::keyClicks(e, pw);
    QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
    QApplication::processEvents();
    if (messageBox(&form)) takeMessage(&form);
  }
  static QLabel* waitLabel(QWidget& form) { return form.findChild<QLabel*>("lbRetryWait"); }

 private slots:
  void init() {
    resetUsers();
    PasswordAttempts::shared().recordSuccess();
  }

  void theWaitGrowsBySecondsUpToThirty() {
    for (int f = 0; f < 5; ++f) QCOMPARE(PasswordAttempts::waitAfter(f), seconds(0));
    QCOMPARE(PasswordAttempts::waitAfter(5), seconds(1));
    QCOMPARE(PasswordAttempts::waitAfter(6), seconds(2));
    QCOMPARE(PasswordAttempts::waitAfter(33), seconds(29));
    QCOMPARE(PasswordAttempts::waitAfter(34), seconds(30));
    QCOMPARE(PasswordAttempts::waitAfter(1000), seconds(30));

    auto now = PasswordAttempts::Clock::time_point{} + seconds(100);
    PasswordAttempts attempts([&] { return now; });
    for (int i = 0; i < 4; ++i) attempts.recordFailure();
    QCOMPARE(attempts.remainingWait(), milliseconds(0));
    attempts.recordFailure();
    QCOMPARE(attempts.remainingWait(), milliseconds(1000));
    now += milliseconds(999);
    QCOMPARE(attempts.remainingWait(), milliseconds(1));
    now += milliseconds(1);
    QCOMPARE(attempts.remainingWait(), milliseconds(0));
    attempts.recordFailure();
    QCOMPARE(attempts.remainingWait(), milliseconds(2000));
    attempts.recordSuccess();
    QCOMPARE(attempts.failuresInARow(), 0);
    QCOMPARE(attempts.remainingWait(), milliseconds(0));
  }

  // The count is the program's: closing one window and opening another does
  // not start it again. A right password resets it.
  void theWindowsShareTheCountAndShowTheWait() {
    const MadeUser bob = makeUser("bob", "pw-bob", {});
    writeLastLoginId("bob");
    auto login = std::make_unique<TLoginForm>(host_);
    login->show();
    QApplication::processEvents();
    for (int i = 0; i < 4; ++i) {
      typeAndPress(*login, "UserPassword", "BtnOK", "wrong");
      QVERIFY(!waitLabel(*login)->isVisible());
    }
    typeAndPress(*login, "UserPassword", "BtnOK", "wrong");
    QVERIFY(waitLabel(*login)->isVisible());
    QCOMPARE(waitLabel(*login)->text(), QString("비밀번호가 여러 번 틀렸습니다. 1초 후에 다시 입력할 수 있습니다."));
    QVERIFY(!login->findChild<QPushButton*>("BtnOK")->isEnabled());
    QVERIFY(!login->findChild<QLineEdit*>("UserPassword")->isEnabled());
    // Enter cannot get round the wait either.
    QTest::keyClick(login->findChild<QLineEdit*>("UserPassword"), Qt::Key_Return);
    QCoreApplication::processEvents();  // the press is handled from the event loop
    QCOMPARE(PasswordAttempts::shared().failuresInARow(), 5);
    QVERIFY(waitUntil([&] { return login->findChild<QPushButton*>("BtnOK")->isEnabled(); }, 3s));
    QVERIFY(!waitLabel(*login)->isVisible());
    login.reset();

    host_.logIn(bob);
    auto* confirm = new TCLoginForm(host_);
    confirm->show();
    typeAndPress(*confirm, "EdtPWD", "btnOK", "wrong");
    QCOMPARE(PasswordAttempts::shared().failuresInARow(), 6);
    QVERIFY(waitLabel(*confirm)->text().contains("2초"));
    delete confirm;

    // Opened during the wait, the deletion window shows it at once.
    auto* deletion = new TUserDelForm(host_);
    deletion->show();
    QVERIFY(waitLabel(*deletion)->isVisible());
    QVERIFY(!deletion->findChild<QPushButton*>("btnOK")->isEnabled());
    QVERIFY(waitUntil([&] { return deletion->findChild<QPushButton*>("btnOK")->isEnabled(); }, 4s));
    deletion->close();

    login = std::make_unique<TLoginForm>(host_);
    login->show();
    typeAndPress(*login, "UserPassword", "BtnOK", "pw-bob");
    QCOMPARE(login->result(), int(mrOK));
    QCOMPARE(PasswordAttempts::shared().failuresInARow(), 0);
  }
};

LOCKMERE_WINDOW_TEST_MAIN(PasswordAttemptsTest)
#include "PasswordAttemptsTest.moc"
