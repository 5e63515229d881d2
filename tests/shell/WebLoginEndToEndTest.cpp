// A user's web login the whole way, as processes: the user made and the sites
// imported with the account tool, the real program logged in, a login page
// opened with `lockmere URL` (as the desktop opens a link) in the program's
// browser and filled and submitted by the automatic login. The page's server
// receives exactly the user's ID and password.
#include <QFile>
#include <QTest>
#include <chrono>

#include "lockmere/store/FixedValues.h"
#include "lockmere/store/UserDirectory.h"
#include "platform/Registry.h"
#include "tests/shell/ProgramRun.h"
#include "tests/web/support/TestHttpServer.h"

using namespace e2e;

namespace {

constexpr char kLoginPage[] = R"(<html><head><title>Member login</title></head><body>
<form name="login" method="post" action="/action/login">
<input type="text" name="userid"> <input type="password" name="passwd"> <input type="submit" value="Log in">
</form></body></html>)";
constexpr char kOtherPage[] = R"(<html><head><title>Members</title></head><body>
<form method="post" action="/action/members"><input type="text" name="q"></form></body></html>)";

}  // namespace

class WebLoginEndToEndTest : public QObject {
  Q_OBJECT

 private:
  WindowManager windowManager_;
  webtest::TestHttpServer server_;

  // alice, with the two sites' logins imported from a CSV export; with an
  // automatic login the program starts logged in.
  void makeAlice(bool sites, bool automaticLogin) {
    QVERIFY(newUser("alice", "alice pw"));
    if (sites) importSites();
    if (automaticLogin) writeAutomaticLogin();
  }
  void importSites() {
    const QString csv = qEnvironmentVariable("LOCKMERE_HOME") + "/logins.csv";
    QFile file(csv);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("name,url,username,password\nMember login,") + server_.url("/login.html").c_str() +
               ",alice.k,\"p&ss w=rd\"\nShop," + server_.crossUrl("/login.html").c_str() + ",alice@shop,shop pw\n");
    file.close();
    QCOMPARE(run(kBin + "/lockmere-account", {"import", "alice", csv}, "alice pw\n"), 0);
  }
  void writeAutomaticLogin() {
    store::UserDirectory users(platform::Registry(platform::Registry::CurrentUser), store::fixed::programKey());
    auto login = users.loginByPassword("alice", "alice pw");
    QVERIFY(login.result == store::UserDirectory::PasswordResult::Accepted);
    QVERIFY(users.writeAutoLogin("alice", login.dataKey, true));
  }

 private slots:
  void initTestCase() {
    QVERIFY(windowManager_.start());
    server_.setPage("/login.html", kLoginPage);
    server_.setPage("/members.html", kOtherPage);
    server_.setPage("/join.html", kLoginPage);  // a login page of no stored site
  }
  void init() {
    useFreshHome();
    qputenv("LOCKMERE_BROWSER_HEADLESS", "1");
    server_.clearRequests();
  }
  void cleanup() { removeStatusBlock(); }

  // Started with the address, and later handed one by a second start: each time
  // the page is logged into with its site's stored ID and password, and only
  // registered sites' pages are.
  void addressesFromTheCommandLineAreLoggedInto() {
    makeAlice(true, true);
    Program program({"/login", QString::fromStdString(server_.url("/login.html"))});
    QVERIFY(waitFor(loggedIn));
    auto first = server_.waitForSubmission(0, std::chrono::seconds(60));
    QVERIFY(first);
    QCOMPARE(first->path, std::string("/action/login"));
    QCOMPARE(first->field("userid"), std::string("alice.k"));
    QCOMPARE(first->field("passwd"), std::string("p&ss w=rd"));

    // The program runs: a second start hands its address over and ends.
    QCOMPARE(run(kBin + "/lockmere", {QString::fromStdString(server_.url("/members.html"))}), 0);
    QVERIFY(server_.waitForRequest("/members.html", 0, std::chrono::seconds(30)));
    QCOMPARE(run(kBin + "/lockmere", {QString::fromStdString(server_.crossUrl("/login.html"))}), 0);
    auto second = server_.waitForSubmission(1, std::chrono::seconds(60));
    QVERIFY(second);
    QCOMPARE(second->port, server_.crossPort());  // the shop's own page, with the shop's login
    QCOMPARE(second->field("userid"), std::string("alice@shop"));
    QCOMPARE(second->field("passwd"), std::string("shop pw"));
    QCOMPARE(server_.submissions().size(), std::size_t(2));  // nothing sent from the members' page
    QVERIFY(program.running());
  }

  // An unregistered login page: the new-site notice slides in; its click opens
  // the site form on the captured page with the ID box ready; the ID and the
  // password typed there are saved, and the page is logged into at once.
  void aNewSiteIsRegisteredFromItsNoticeAndLoggedInto() {
    makeAlice(false, true);
    Program program({"/login", QString::fromStdString(server_.url("/join.html"))});
    QVERIFY(waitFor(loggedIn));
    QVERIFY(server_.waitForRequest("/join.html", 0, std::chrono::seconds(30)));
    QString notice;
    QVERIFY(waitFor([&] {
      for (const QString& id :
           xdotool({"search", "--onlyvisible", "--pid", QString::number(program.pid()), "--class", "."})) {
        const QSize size = geometry(id);
        // The popup, slid in all the way (the main window is taller).
        if (size.height() >= 100 && size.height() < 300) notice = id;
      }
      return !notice.isEmpty();
    }));
    xdotool({"mousemove", "--window", notice, "60", "70", "click", "1"});  // its text, below the title
    const QString form = program.waitForWindow("Lockmere - 사이트 추가");
    QVERIFY(!form.isEmpty());
    typeInto(form, "new.user");
    xdotool({"key", "Tab"});
    xdotool({"type", "--delay", "30", "n3w pw"});
    xdotool({"key", "alt+o"});  // 확인 (&O)
    auto submitted = server_.waitForSubmission(0, std::chrono::seconds(60));
    QVERIFY(submitted);
    QCOMPARE(submitted->path, std::string("/action/login"));
    QCOMPARE(submitted->field("userid"), std::string("new.user"));
    QCOMPARE(submitted->field("passwd"), std::string("n3w pw"));
    QVERIFY(waitFor([&] { return program.windows("Lockmere - 사이트 추가").isEmpty(); }));

    // Saved in the user's store: the account tool exports it after the program ended.
    program.terminate();
    QVERIFY(program.waitForEnd());
    const QString csv = qEnvironmentVariable("LOCKMERE_HOME") + "/export.csv";
    QCOMPARE(run(kBin + "/lockmere-account", {"export", "alice", csv}, "alice pw\n"), 0);
    QFile exported(csv);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QByteArray text = exported.readAll();
    QVERIFY2(text.contains("/join.html,new.user,n3w pw"), text.constData());
  }

  // Logged out, the program's browser opens the page but fills nothing.
  void nothingIsFilledWhileLoggedOut() {
    makeAlice(true, false);
    Program program({QString::fromStdString(server_.url("/login.html"))});
    QVERIFY(server_.waitForRequest("/login.html", 0, std::chrono::seconds(30)));
    QTest::qWait(3000);
    QVERIFY(!loggedIn());
    QVERIFY(server_.submissions().empty());
    QVERIFY(program.running());
  }
};

QTEST_MAIN(WebLoginEndToEndTest)
#include "WebLoginEndToEndTest.moc"
