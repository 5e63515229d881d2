// The program as a user meets it: the real lockmere under an X server with a
// window manager, the simulated sensor, the account tool and lockmere-send as
// their own processes, input typed as real X events (xdotool). Each test runs
// in its own LOCKMERE_HOME.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "lockmere/store/FixedValues.h"
#include "lockmere/store/RegistryLayout.h"
#include "lockmere/store/UserDirectory.h"
#include "platform/Registry.h"
#include "platform/StatusBlockReader.h"
#include "tests/shell/ProgramRun.h"
#include "tests/support/TestEnv.h"

using namespace e2e;

class EndToEndTest : public QObject {
  Q_OBJECT

 private:
  WindowManager windowManager_;
  QProcess sensor_;

  void startSensor() {
    sensor_.setProcessChannelMode(QProcess::ForwardedChannels);
    sensor_.start(kBin + "/ridgeport-sim", {"serve", "--device", "0,invert=1"});
    QVERIFY(sensor_.waitForStarted(10000));
    QVERIFY(waitFor([] { return run(kBin + "/ridgeport-sim", {"status"}) == 0; }));
  }

 private slots:
  void initTestCase() { QVERIFY(windowManager_.start()); }

  void init() { useFreshHome(); }
  void cleanup() {
    removeStatusBlock();
    if (sensor_.state() != QProcess::NotRunning) {
      run(kBin + "/ridgeport-sim", {"stop"});
      if (!sensor_.waitForFinished(5000)) sensor_.kill();
      sensor_.waitForFinished();
    }
  }

  // Another impression of the enrolled finger logs its user in, no ID typed.
  void loginByFinger() {
    QVERIFY(newUser("alice", "alice pw", "104"));
    QVERIFY(newUser("bob", "bob pw", "105"));
    startSensor();
    Program program({"/login"});
    QVERIFY(!program.waitForWindow(kLoginTitle).isEmpty());
    QVERIFY(!loggedIn());
    QCOMPARE(run(kBin + "/ridgeport-sim", {"finger", fingerImage("104", 5)}), 0);
    QVERIFY(waitFor(loggedIn, 30s));
    QVERIFY(waitFor([&] { return program.windows(kLoginTitle).isEmpty(); }));
    platform::Registry reg(platform::Registry::CurrentUser);
    reg.openKey(store::reg::kMainKey).value().deleteValue(store::reg::kLastLoginID);
    program.terminate();
    QVERIFY(program.waitForEnd());
    // The logout at the end saved as alice.
    QCOMPARE(reg.openKey(store::reg::kMainKey).value().readString(store::reg::kLastLoginID).valueOr(""),
             std::string("alice"));
  }

  // The password typed into the login window; a wrong one, sent with Enter, is
  // refused with a notice that stays up, and nobody is logged in.
  void loginByPassword() {
    QVERIFY(newUser("alice", "alice pw"));
    Program program({"-LOGIN"});
    const QString login = program.waitForWindow(kLoginTitle);
    QVERIFY(!login.isEmpty());
    typeInto(login, "alice");
    xdotool({"key", "Tab"});
    xdotool({"type", "--delay", "30", "wrong pw"});
    xdotool({"key", "Return"});
    QVERIFY(waitFor([&] { return program.windows(kLoginTitle).size() == 2; }));  // the notice over it
    QVERIFY(!loggedIn());
    xdotool({"key", "Return"});  // closes the notice
    QVERIFY(waitFor([&] { return program.windows(kLoginTitle).size() == 1; }));
    typeInto(login, "alice pw");  // the password box has the focus again
    xdotool({"key", "Return"});
    QVERIFY(waitFor(loggedIn));
    QVERIFY(waitFor([&] { return program.windows(kLoginTitle).isEmpty(); }));
  }

  // File > Logout saves and wipes, the program runs on; a second start ends at
  // once; SIGTERM while logged in saves and ends.
  void logoutSecondStartAndTerm() {
    QVERIFY(newUser("alice", "alice pw"));
    Program program({"/login"});
    QCOMPARE(logInByPassword(program, "alice", "alice pw"), QString());
    QVERIFY(waitFor(loggedIn));
    const QString main = program.waitForWindow("Lockmere");
    QVERIFY(!main.isEmpty());
    keys(main, {"alt+f", "o"});  // 로그아웃(&O)
    QVERIFY(waitFor([] { return !loggedIn(); }));
    QVERIFY(program.running());
    platform::Registry reg(platform::Registry::CurrentUser);
    QCOMPARE(reg.openKey(store::reg::kMainKey).value().readString(store::reg::kLastLoginID).valueOr(""),
             std::string("alice"));

    const auto handle = status()->windowHandle;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(run(kBin + "/lockmere", {}), 0);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(status()->windowHandle, handle);  // the first one's block, untouched

    // With no last login the ID box has the focus, as logInByPassword expects.
    reg.openKey(store::reg::kMainKey).value().deleteValue(store::reg::kLastLoginID);
    QCOMPARE(run(kBin + "/lockmere-send", {"0x806", "0", "0"}), 0);
    QCOMPARE(logInByPassword(program, "alice", "alice pw"), QString());
    QVERIFY(waitFor(loggedIn));
    program.terminate();
    QVERIFY(program.waitForEnd());
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!status());  // gone with the program
    QCOMPARE(reg.openKey(store::reg::kMainKey).value().readString(store::reg::kLastLoginID).valueOr(""),
             std::string("alice"));
  }

  // SIGINT and SIGHUP end the program as SIGTERM does: logged out, saved, gone.
  void interruptAndHangUpLogOut() {
    QVERIFY(newUser("alice", "alice pw"));
    for (int signal : {SIGINT, SIGHUP}) {
      platform::Registry reg(platform::Registry::CurrentUser);
      if (auto main = reg.openKey(store::reg::kMainKey)) main.value().deleteValue(store::reg::kLastLoginID);
      Program program({"/login"});
      QCOMPARE(logInByPassword(program, "alice", "alice pw"), QString());
      QVERIFY(waitFor(loggedIn));
      ::kill(static_cast<pid_t>(program.pid()), signal);
      QVERIFY(program.waitForEnd());
      QCOMPARE(program.exitCode(), 0);
      QVERIFY(!status());
      QCOMPARE(reg.openKey(store::reg::kMainKey).value().readString(store::reg::kLastLoginID).valueOr(""),
               std::string("alice"));
    }
  }

  // A program killed while logged in leaves its block saying so; the next
  // start says "nobody logged in" at once, and takes the single-instance lock
  // the dead one held.
  void killedProgramLeavesNoLogin() {
    QVERIFY(newUser("alice", "alice pw"));
    {
      Program program({"/login"});
      QCOMPARE(logInByPassword(program, "alice", "alice pw"), QString());
      QVERIFY(waitFor(loggedIn));
      ::kill(static_cast<pid_t>(program.pid()), SIGKILL);
      QVERIFY(program.waitForEnd());
      QVERIFY(loggedIn());  // what a reader would believe now
    }
    Program again;
    QVERIFY(waitFor([&] {
      auto s = status();
      return s && s->windowHandle != 0 && !s->loggedIn;
    }));
    QVERIFY(!again.waitForWindow("Lockmere").isEmpty());
    QVERIFY(again.running());
  }

  // A runtime folder that others could change: the program says so and ends,
  // rather than ending silently as a second start does.
  void unsafeFolderIsReported() {
    const QString open = QString::fromStdString(testenv::makeTempDir("open"));
    QVERIFY(QFile::setPermissions(open, QFileDevice::Permissions(0x7777)));
    qputenv("LOCKMERE_HOME", open.toUtf8());
    QProcess program;
    program.start(kBin + "/lockmere", {});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitCode(), 1);
    QVERIFY2(program.readAllStandardError().contains("other users can change"), "no reason given");
    QVERIFY(!status());
  }

  // Nothing stored: /Minimize shows nothing at all; a valid automatic login
  // with /login shows no login window.
  void minimizeAndAutomaticLogin() {
    QVERIFY(newUser("alice", "alice pw"));
    {
      Program program({"/Minimize"});
      QVERIFY(waitFor([] { return status().has_value(); }));
      std::this_thread::sleep_for(1500ms);
      QVERIFY(program.windows(kLoginTitle).isEmpty());
      QVERIFY(program.windows("Lockmere").isEmpty());
      QVERIFY(!loggedIn());
    }
    store::UserDirectory users(platform::Registry(platform::Registry::CurrentUser), store::fixed::programKey());
    auto login = users.loginByPassword("alice", "alice pw");
    QVERIFY(login.result == store::UserDirectory::PasswordResult::Accepted);
    QVERIFY(users.writeAutoLogin("alice", login.dataKey, true));
    Program program({"/login"});
    QVERIFY(waitFor(loggedIn));
    std::this_thread::sleep_for(1500ms);
    QVERIFY(program.windows(kLoginTitle).isEmpty());
    QVERIFY(!program.waitForWindow("Lockmere").isEmpty());
  }

  // The close button with GoTrayAtExit (the default) keeps the user logged in;
  // File > Exit logs out and ends. A resize below 308 x 370 is refused.
  void closeExitAndMinimumSize() {
    QVERIFY(newUser("alice", "alice pw"));
    Program program({"/login"});
    QCOMPARE(logInByPassword(program, "alice", "alice pw"), QString());
    QVERIFY(waitFor(loggedIn));
    QString main = program.waitForWindow("Lockmere");
    QVERIFY(!main.isEmpty());

    const QSize before = geometry(main);
    QVERIFY(before.width() >= 308 && before.height() >= 370);
    xdotool({"windowsize", main, "250", "300"});
    std::this_thread::sleep_for(700ms);
    QCOMPARE(geometry(main), before);
    xdotool({"windowsize", main, "300", "600"});
    std::this_thread::sleep_for(700ms);
    QCOMPARE(geometry(main), before);

    keys(main, {"alt+F4"});
    QVERIFY(waitFor([&] { return program.windows("Lockmere").isEmpty(); }));
    std::this_thread::sleep_for(500ms);
    QVERIFY(program.running());
    QVERIFY(loggedIn());

    xdotool({"windowactivate", "--sync", main});
    QVERIFY(!program.waitForWindow("Lockmere").isEmpty());
    keys(main, {"alt+f", "x"});  // 종료(&X)
    QVERIFY(program.waitForEnd());
    QVERIFY(!status());
  }

  // An empty home: the window minimises and the new-user tool opens; the login
  // button (here: 0x806 from another program) opens it again.
  void firstStartOpensTheNewUserTool() {
    Program program;
    const QString tool = program.waitForWindow(kNewUserTitle);
    QVERIFY(!tool.isEmpty());
    QVERIFY(program.windows("Lockmere").isEmpty());  // minimised
    keys(tool, {"alt+F4"});
    QVERIFY(waitFor([&] { return program.windows(kNewUserTitle).isEmpty(); }));
    QCOMPARE(run(kBin + "/lockmere-send", {"0x806", "0", "0"}), 0);
    QVERIFY(!program.waitForWindow(kNewUserTitle).isEmpty());
    QVERIFY(program.windows(kLoginTitle).isEmpty());
  }
};

int main(int argc, char** argv) {
  testenv::isolateHome();
  QCoreApplication app(argc, argv);
  EndToEndTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "EndToEndTest.moc"
