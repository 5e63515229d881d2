#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>
#include <filesystem>

#include "lockmere/shell/AboutForm.h"
#include "lockmere/shell/BuildInfo.h"
#include "lockmere/shell/CommandLine.h"
#include "lockmere/shell/MainForm.h"
#include "lockmere/store/AutoLoginBlock.h"
#include "lockmere/store/FixedValues.h"
#include "lockmere/store/RegistryLayout.h"
#include "lockmere/store/UserDirectory.h"
#include "lockmere/texts/Language.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/tools/account/core/AccountChanges.h"
#include "lockmere/tools/account/core/AccountRegistry.h"
#include "lockmere/tools/account/core/Unlock.h"
#include "lockmere/users/CLoginForm.h"
#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/widgets/ReqLoginFrame.h"
#include "platform/bus/MessageBus.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/users/Pictures.h"

using namespace users::test;
using namespace shelltest;
namespace msg = platform::msg;

class MainFormTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Sensor> sensor_;

  static void writeAutoLogin(const MadeUser& user) {
    store::UserDirectory users(platform::Registry(platform::Registry::CurrentUser), store::fixed::programKey());
    QVERIFY(users.writeAutoLogin(user.id, user.dataKey, true));
  }

  static bool send(shell::TMainForm& window, std::uint32_t message, std::int64_t wParam = 0) {
    return platform::MessageBus::send(window.handle(), message, wParam, 0).has_value();
  }

 private slots:
  void init() { sensor_ = startAfresh(); }
  void cleanup() {
    sensor_.reset();
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible()) w->close();
    }
  }

  void switchesAfterSlashOrDashInAnyCase() {
    QVERIFY(shell::hasSwitch({"/Minimize"}, shell::kMinimizeSwitch));
    QVERIFY(shell::hasSwitch({"x", "-MINIMIZE"}, shell::kMinimizeSwitch));
    QVERIFY(shell::hasSwitch({"/LOGIN"}, shell::kLoginSwitch));
    QVERIFY(!shell::hasSwitch({"Minimize"}, shell::kMinimizeSwitch));
    QVERIFY(!shell::hasSwitch({"--minimize"}, shell::kMinimizeSwitch));
    QVERIFY(!shell::hasSwitch({"/loginx"}, shell::kLoginSwitch));
    QVERIFY(!shell::hasSwitch({"/"}, shell::kLoginSwitch));
  }

  // Logged out: only what needs no user; after a password login through the
  // real login window every logged-in command, the logout caption and the
  // status block's byte; the tree shows the user's sites in their folders.
  void menusFollowTheLogin() {
    const MadeUser alice = makeUser("alice", "alice pw", {});
    addSites(alice, {"Mail/webmail", "bank"});
    shell::TMainForm window;
    window.show();
    QVERIFY(!window.isLoggedIn());
    for (QAction* a : {window.MainMenuAddSite, window.MainMenuBackup, window.MainMenuDeleteID, window.MenuModifyPW,
                       window.MenuConfig, window.MNUpdate, window.TrayMenuPWGen, window.TBLogout})
      QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(!window.MenuManage->menuAction()->isEnabled());
    for (QAction* a : {window.MainMenuRestore, window.MNLogin, window.MNExit, window.MNAbout, window.H2})
      QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
    QCOMPARE(window.MNLogin->text(), texts::M(2) + "(&L)");
    QVERIFY(!window.TrayMenu_AlarmNewSite->isEnabled());
    QVERIFY(!window.ToolBar1->isVisible());
    QVERIFY(window.ReqLoginFrame1->isVisible());
    QCOMPARE(statusBlock()->loggedIn, false);
    QCOMPARE(statusBlock()->windowHandle, window.handle());

    QCOMPARE(logInByPassword(window, "alice", "alice pw"), QString());
    QVERIFY(window.isLoggedIn());
    QCOMPARE(window.currentUserId(), std::string("alice"));
    for (QAction* a : {window.MainMenuAddSite, window.MainMenuBackup, window.MainMenuDeleteID, window.MenuModifyPW,
                       window.MenuConfig, window.MNUpdate, window.TrayMenuPWGen, window.TBLogout})
      QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
    QCOMPARE(window.MNLogin->text(), texts::M(30));
    QCOMPARE(window.I1->text(), texts::M(30));
    QVERIFY(window.ToolBar1->isVisible());
    QVERIFY(!window.ReqLoginFrame1->isVisible());
    QVERIFY(window.TrayMenu_AlarmNewSite->isEnabled() && window.TrayMenu_AlarmNewSite->isChecked());
    QCOMPARE(statusBlock()->loggedIn, true);
    QCOMPARE(statusBlock()->autoGetUrl, true);
    const web::SiteTree& tree = window.explorer().tree();
    QCOMPARE(tree.root()->childCount(), 2);
    QCOMPARE(tree.root()->child(0)->text(), QString("Mail"));
    QCOMPARE(tree.root()->child(0)->child(0)->text(), QString("webmail"));
    QCOMPARE(tree.root()->child(1)->text(), QString("bank"));
  }

  void wrongPasswordIsRefused() {
    makeUser("alice", "alice pw", {});
    shell::TMainForm window;
    window.show();
    const QString refusal = logInByPassword(window, "alice", "wrong");
    QVERIFY2(refusal.contains(texts::M(74)) && refusal.contains(texts::M(75)), qPrintable(refusal));
    QVERIFY(!window.isLoggedIn());
    QVERIFY(window.dataKey().empty());
    QVERIFY(window.ReqLoginFrame1->BtnLogin->isEnabled());
  }

  // Logout saves what changed (and where the window was), wipes the key, frees
  // the lists and tells the add-on; the next login finds the change.
  void logoutSavesAndWipes() {
    const MadeUser alice = makeUser("alice", "alice pw", {});
    addSites(alice, {"one"});
    shell::TMainForm window;
    window.show();
    QCOMPARE(logInByPassword(window, "alice", "alice pw"), QString());
    QVERIFY(window.session());
    store::TRegSiteCollItem& added = window.session()->sites().RegSites().add();
    added.Name = "two";
    added.URL = "https://two.example/";
    window.resize(400, 600);
    QTest::qWait(20);

    window.MNLogin->trigger();
    QVERIFY(!window.isLoggedIn());
    QVERIFY(window.dataKey().empty());
    QVERIFY(window.currentUserId().empty());
    QVERIFY(window.userRecords().isEmpty());
    QVERIFY(window.session() == nullptr);
    QCOMPARE(window.explorer().tree().root()->childCount(), 0);
    QCOMPARE(statusBlock()->loggedIn, false);
    QCOMPARE(window.MNLogin->text(), texts::M(2) + "(&L)");
    QVERIFY(!window.TrayMenu_AlarmNewSite->isEnabled());
    QCOMPARE(storedSiteNames(alice), QStringList({"one", "two"}));

    platform::Registry reg(platform::Registry::CurrentUser);
    auto user = reg.openKey(store::reg::userKeyPath("alice"));
    QVERIFY(user);
    QCOMPARE(user.value().readInteger(store::reg::kWidth).valueOr(0), 400);
    QCOMPARE(user.value().readInteger(store::reg::kHeight).valueOr(0), 600);
    QCOMPARE(reg.openKey(store::reg::kMainKey).value().readString(store::reg::kLastLoginID).valueOr(""),
             std::string("alice"));
  }

  // The close button with GoTrayAtExit keeps the user logged in (the window
  // goes away); File > Exit logs out and ends; without GoTrayAtExit the close
  // button logs out and ends too.
  void closingFollowsGoTrayAtExit() {
    const MadeUser alice = makeUser("alice", "alice pw", {});
    {
      shell::TMainForm window;
      QSignalSpy ended(&window, &shell::TMainForm::programEnded);
      window.show();
      QCOMPARE(logInByPassword(window, "alice", "alice pw"), QString());
      QVERIFY(window.settings().GoTrayAtExit);
      window.close();
      QVERIFY(window.isLoggedIn());
      QVERIFY(window.isHiddenOrClosing());
      QVERIFY(window.isMinimized() || !window.isVisible());
      QCOMPARE(ended.count(), 0);
      QCOMPARE(statusBlock()->loggedIn, true);

      window.OpenLockmereMainClick();
      QVERIFY(!window.isHiddenOrClosing());
      window.MNExit->trigger();
      QVERIFY(!window.isLoggedIn());
      QCOMPARE(ended.count(), 1);
      QVERIFY(!window.isVisible());
      QVERIFY(!statusBlock());  // removed: the add-on finds no program
    }
    platform::Registry reg(platform::Registry::CurrentUser);
    QVERIFY(reg.openKey(store::reg::userKeyPath("alice")).value().writeBool(store::reg::kGoTrayAtExit, false));
    shell::TMainForm window;
    QSignalSpy ended(&window, &shell::TMainForm::programEnded);
    window.show();
    QCOMPARE(logInByPassword(window, "alice", "alice pw"), QString());
    QVERIFY(!window.settings().GoTrayAtExit);
    window.close();
    QVERIFY(!window.isLoggedIn());
    QCOMPARE(ended.count(), 1);
  }

  // A login while the window is in the tray (0x806 from the tray) shows the
  // tree once the window comes back.
  void loginWhileHiddenShowsTheTreeLater() {
    const MadeUser alice = makeUser("alice", "alice pw", {});
    addSites(alice, {"one"});
    shell::TMainForm window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.hideToTray();
    QVERIFY(window.isHiddenOrClosing());
    QCOMPARE(logInByPassword(window, "alice", "alice pw"), QString());
    window.OpenLockmereMainClick();
    QVERIFY(!window.isHiddenOrClosing());
    QTRY_VERIFY(window.explorer().isVisible());
    QVERIFY(window.ToolBar1->isVisible());
    QVERIFY(!window.ReqLoginFrame1->isVisible());
  }

  void smallerThanTheMinimumIsRefused() {
    shell::TMainForm window;
    window.resize(400, 500);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(300, 600);  // too narrow, though taller
    QTRY_COMPARE(window.size(), QSize(400, 500));
    window.resize(500, 369);
    QTRY_COMPARE(window.size(), QSize(400, 500));
    window.resize(308, 370);
    QTest::qWait(50);
    QCOMPARE(window.size(), QSize(308, 370));
  }

  // The idle watch goes on posting until the logout stops it: the second
  // message finds nobody logged in and touches nothing.
  void idleLogoutOnceOnly() {
    const MadeUser alice = makeUser("alice", "alice pw", {});
    shell::TMainForm window;
    window.show();
    QCOMPARE(logInByPassword(window, "alice", "alice pw"), QString());
    QVERIFY(send(window, msg::kIdleLogout, 1));
    QVERIFY(!window.isLoggedIn());
    QVERIFY(window.dataKey().empty());
    const auto saved = std::filesystem::last_write_time(alice.dataFile);
    QTest::qWait(20);
    QVERIFY(send(window, msg::kIdleLogout, 1));
    QVERIFY(!window.isLoggedIn());
    QCOMPARE(std::filesystem::last_write_time(alice.dataFile), saved);
    QVERIFY(window.ReqLoginFrame1->isVisible());
  }

  // 0x7E9 102: the fingerprints changed, the records are read again and the
  // user is told; 101: a restore changed the store, the tree shows it.
  void toolReportsReloadWhatChanged() {
    MadeUser alice = makeUser("alice", "alice pw", {kFinger104});
    addSites(alice, {"before"});
    shell::TMainForm window;
    window.show();
    QCOMPARE(logInByPassword(window, "alice", "alice pw"), QString());
    const std::size_t before = window.userRecords().count();  // none without a driver, else the one
    QVERIFY(before <= 1);

    platform::Registry reg(platform::Registry::CurrentUser);
    account::AccountRegistry accounts(reg);
    auto unlocked = account::unlockWithPassword(accounts, "alice", "alice pw", store::fixed::programKey());
    QVERIFY(unlocked.ok());
    QVERIFY(!account::replaceFingerprints(accounts, unlocked.value(),
                                          {enrolledFinger(kFinger105), enrolledFinger(kFinger108)},
                                          store::fixed::programKey()));
    QVERIFY(send(window, msg::kToolFinished, msg::kToolFingerprintsChanged));
    QCOMPARE(window.userRecords().count(), std::size_t(2));
    QCOMPARE(takeMessage(&window), texts::M(33));

    addSites(alice, {"restored"});
    QCOMPARE(window.explorer().tree().root()->childCount(), 1);
    QVERIFY(send(window, msg::kToolFinished, msg::kToolStoreRestored));
    QCOMPARE(window.explorer().tree().root()->childCount(), 2);
    QCOMPARE(window.explorer().tree().root()->child(1)->text(), QString("restored"));
    QVERIFY(window.isLoggedIn());
  }

  // No user yet: the login button starts the new-user tool (a real tool window,
  // which accepted the fresh token) and the window waits disabled until the
  // tool reports back.
  void newUserToolWhenNobodyExists() {
    shell::TMainForm window;
    window.show();
    window.ReqLoginFrame1BtnLoginClick();
    QVERIFY(window.isNewUserPending());
    QVERIFY(!window.isEnabled());
    QVERIFY(users::TLoginForm::current() == nullptr);
    QVERIFY(send(window, msg::kToolFinished, 0));
    QVERIFY(window.isEnabled());
  }

  // The commands that ask who the user is first: the confirmation window (a
  // real one, the password typed) opens the settings window and the password
  // change tool; the backup tool opens at once. Each tool keeps the window
  // disabled until it reports.
  void commandsAfterConfirmation() {
    const MadeUser alice = makeUser("alice", "alice pw", {});
    shell::TMainForm window;
    window.show();
    QCOMPARE(logInByPassword(window, "alice", "alice pw"), QString());
    auto confirmWith = [](const QString& password) {
      auto* timer = new QTimer;
      timer->setInterval(20);
      QObject::connect(timer, &QTimer::timeout, [timer, password] {
        users::TCLoginForm* confirm = users::TCLoginForm::current();
        if (!confirm || QApplication::activeModalWidget() != confirm) return;
        timer->deleteLater();
        QTest::keyClicks(confirm->findChild<QLineEdit*>("EdtPWD"), password);
        QTest::mouseClick(confirm->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
      });
      timer->start();
    };

    confirmWith("alice pw");
    window.MenuConfig->trigger();
    QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow()->inherits("shell::TConfigForm"));
    QApplication::activeWindow()->close();

    confirmWith("alice pw");
    window.MenuModifyPW->trigger();
    QVERIFY(!window.isEnabled());  // the tool accepted the token and the block
    QVERIFY(send(window, msg::kToolFinished, 0));
    QVERIFY(window.isEnabled());

    window.MainMenuBackup->trigger();
    QVERIFY(!window.isEnabled());
    QVERIFY(send(window, msg::kToolFinished, 0));
    QVERIFY(window.isEnabled());
    QVERIFY(!window.toolCalls().toolLoaded());
    QVERIFY(window.isLoggedIn());

    // The generator keeps its library until it reports closing; a logout frees it too.
    window.MenuMakePassword->trigger();
    QVERIFY(window.toolCalls().passwordGeneratorLoaded());
    QVERIFY(window.isEnabled());
    QVERIFY(send(window, msg::kPasswordGenClosed));
    QVERIFY(!window.toolCalls().passwordGeneratorLoaded());
    window.TrayMenuPWGen->trigger();
    QVERIFY(window.toolCalls().passwordGeneratorLoaded());
    window.logOut();
    QVERIFY(!window.toolCalls().passwordGeneratorLoaded());
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->windowTitle().contains(u"생성기")) w->close();
  }

  void automaticLoginAtStart() {
    const MadeUser alice = makeUser("alice", "alice pw", {kFinger104});
    addSites(alice, {"auto"});
    writeAutoLogin(alice);
    shell::TMainForm window({"/login"});
    QVERIFY(window.isLoggedIn());
    QCOMPARE(window.currentUserId(), std::string("alice"));
    QCOMPARE(window.userRecords().count(), std::size_t(1));
    QCOMPARE(window.explorer().tree().root()->child(0)->text(), QString("auto"));
    QCOMPARE(statusBlock()->loggedIn, true);
    QTest::qWait(50);  // the login switch would open the window now
    QVERIFY(users::TLoginForm::current() == nullptr);
  }

  // A block whose user is gone is deleted; one whose key no longer opens the
  // user's file logs nobody in.
  void automaticLoginThatCannotWork() {
    const MadeUser alice = makeUser("alice", "alice pw", {});
    const MadeUser bob = makeUser("bob", "bob pw", {});
    writeAutoLogin(alice);
    platform::Registry reg(platform::Registry::CurrentUser);
    QVERIFY(reg.deleteKey(store::reg::userKeyPath("alice")));
    {
      shell::TMainForm window;
      QVERIFY(!window.isLoggedIn());
    }
    auto main = reg.openKey(store::reg::kMainKey).value();
    QVERIFY(!main.valueExists(store::reg::kALData));
    QCOMPARE(main.readBool(store::reg::kAutoLogin).valueOr(true), false);

    // Bob's block with Alice's key.
    auto block = store::autologin::make("bob", alice.dataKey, store::fixed::programKey());
    QVERIFY(main.writeBool(store::reg::kAutoLogin, true));
    QVERIFY(main.writeBinary(store::reg::kALData, block->data(), block->size()));
    shell::TMainForm window;
    QVERIFY(!window.isLoggedIn());
    QVERIFY(window.dataKey().empty());
  }

  void wheelMovesTheTreeOneLine() {
    const MadeUser alice = makeUser("alice", "alice pw", {});
    std::vector<std::string> many;
    for (int i = 0; i < 80; ++i) many.push_back("site" + std::to_string(100 + i));
    addSites(alice, many);
    shell::TMainForm window;
    window.resize(330, 400);
    window.show();
    QCOMPARE(logInByPassword(window, "alice", "alice pw"), QString());
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QScrollBar* bar = window.explorer().TVRegSite->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 5);
    const int step = bar->singleStep();
    auto wheel = [&](QWidget* target, int delta) {
      const QPointF at(target->width() / 2, target->height() / 2);
      QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                        Qt::NoScrollPhase, false);
      QApplication::sendEvent(target, &event);
    };
    wheel(window.explorer().TVRegSite->viewport(), -120);
    QCOMPARE(bar->value(), step);
    wheel(&window, -120);
    QCOMPARE(bar->value(), 2 * step);
    wheel(window.explorer().TVRegSite->viewport(), 120);
    QCOMPARE(bar->value(), step);
  }

  void aboutWindowShowsThisBuild() {
    shell::TMainForm window;
    window.show();
    QTimer::singleShot(0, [] {
      waitUntil([] { return qobject_cast<shell::TAboutLMForm*>(QApplication::activeModalWidget()); }, 5s);
      auto* about = qobject_cast<shell::TAboutLMForm*>(QApplication::activeModalWidget());
      if (!about) return;
      QCOMPARE(about->windowTitle(), QString("About Lockmere"));
      QCOMPARE(about->lbVersion->text(), QString("Version : %1.%2.%3")
                                             .arg(shell::build::kMajor)
                                             .arg(shell::build::kMinor)
                                             .arg(shell::build::kRelease));
      QCOMPARE(about->lbBuild->text(), QString("Build : %1").arg(shell::build::kBuild));
      QVERIFY(!about->Image1->pixmap().isNull());
      QTest::mouseClick(about->Image1, Qt::LeftButton);
    });
    window.MNAbout->trigger();
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }

  // Each window and menu in Korean and in Japanese under build/pictures/shell;
  // no text may be cut.
  void pictures() {
    const MadeUser alice = makeUser("alice", "alice pw", {});
    addSites(alice, {"Mail/webmail", "Mail/portal", "Shop/market", "bank", "news"});
    for (auto language : {texts::Language::Korean, texts::Language::Japanese}) {
      texts::setLanguage(language);
      shell::TMainForm window;
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      QTest::qWait(50);
      windowtest::savePicture(window, "shell", "main-logged-out");
      QWidget& frame = *window.ReqLoginFrame1;
      QVERIFY2(windowtest::clippedTexts(frame).isEmpty(), qPrintable(windowtest::clippedTexts(frame).join(", ")));
      QCOMPARE(logInByPassword(window, "alice", "alice pw"), QString());
      window.MenuOpenList->trigger();
      QTest::qWait(50);
      windowtest::savePicture(window, "shell", "main-logged-in");
      // (The tree frame's fixed-size boxes are its own; the toolbar is the window's.)
      QWidget& tools = *window.ToolBar1;
      QVERIFY2(windowtest::clippedTexts(tools).isEmpty(), qPrintable(windowtest::clippedTexts(tools).join(", ")));
      for (QAction* button : {window.TBAdd, window.TBModify, window.TBDelete, window.TBLogout})
        QVERIFY(window.ToolBar1->widgetForAction(button)->isVisible());
      for (QMenu* menu : {window.MenuFile, window.MenuView, window.MenuManage, window.MenuHelp, window.TrayPopupMenu}) {
        menu->popup(window.mapToGlobal(QPoint(0, 0)));
        QTest::qWait(30);
        windowtest::savePicture(*menu, "shell", menu->objectName());
        menu->hide();
      }
      shell::TAboutLMForm about(&window);
      about.show();
      QVERIFY(QTest::qWaitForWindowExposed(&about));
      windowtest::savePicture(about, "shell", "about");
      QVERIFY2(windowtest::clippedTexts(about).isEmpty(), qPrintable(windowtest::clippedTexts(about).join(", ")));
      about.close();
      window.MNExit->trigger();
    }
    texts::setLanguage(texts::Language::Korean);
  }
};

int main(int argc, char** argv) {
  testenv::isolateHome();
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("LOCKMERE_SHM_NAME", QByteArray("/lockmere-shell-test-") + QByteArray::number(::getpid()));
  QApplication app(argc, argv);
  MainFormTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "MainFormTest.moc"
