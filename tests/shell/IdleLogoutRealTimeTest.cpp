// The program's automatic logout in real time: a user with "AutoLogout" and a
// period of one minute, logged in by password typed as real X input, is logged
// out 60 to 61 seconds after the last key, by the real hook library on the X
// server's idle time. About 65 s: ctest label "realtime".
#include <QElapsedTimer>
#include <QTest>

#include "lockmere/store/RegistryLayout.h"
#include "platform/Registry.h"
#include "tests/shell/ProgramRun.h"

using namespace e2e;

class IdleLogoutRealTimeTest : public QObject {
  Q_OBJECT

 private:
  WindowManager windowManager_;

 private slots:
  void initTestCase() { QVERIFY(windowManager_.start()); }
  void cleanup() { removeStatusBlock(); }

  void logsOutAfterOneMinuteWithoutInput() {
    useFreshHome();
    QVERIFY(newUser("alice", "alice pw"));
    {
      platform::Registry reg(platform::Registry::CurrentUser);
      auto user = reg.openKey(store::reg::userKeyPath("alice"));
      QVERIFY(user);
      QVERIFY(user.value().writeBool(store::reg::kAutoLogout, true));
      QVERIFY(user.value().writeInteger(store::reg::kAutoLogoutTime, 1));
    }
    Program program({"/login"});
    QCOMPARE(logInByPassword(program, "alice", "alice pw"), QString());  // Enter: the last input
    QElapsedTimer sinceLastKey;
    sinceLastKey.start();
    QVERIFY(waitFor(loggedIn));
    QVERIFY(waitFor([] { return !loggedIn(); }, std::chrono::seconds(75)));
    const qint64 ms = sinceLastKey.elapsed();
    qInfo("logged out %lld ms after the last key", ms);
    QVERIFY2(ms >= 60000 && ms <= 61500, qPrintable(QString::number(ms)));
    QVERIFY(program.running());
  }
};

int main(int argc, char** argv) {
  testenv::isolateHome();
  QCoreApplication app(argc, argv);
  IdleLogoutRealTimeTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "IdleLogoutRealTimeTest.moc"
