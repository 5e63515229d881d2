// The site form in a real window (offscreen) over a real user's store and site
// tree: its controls and texts, the folder box, login types, the checks before
// saving, new, captured and changed sites with what the data file holds after,
// Cancel, the tree's modify command, the tray switch, the protected login's
// fallback, the advertisement strip, and pictures.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <cstdlib>

#include "lockmere/texts/Language.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/web/ADFrame.h"
#include "lockmere/web/AddSiteForm.h"
#include "lockmere/web/SiteAddresses.h"
#include "lockmere/web/SiteTreeItemModel.h"
#include "lockmere/web/cdp/Browser.h"
#include "platform/Registry.h"
#include "tests/support/Pictures.h"
#include "tests/web_registration/TestMainWindow.h"
#include "tests/web_tree/FrameFixture.h"

using regtest::Shown;
using web::TAddSiteForm;
using web::TreeNode;

namespace {

QString picturesDir() { return testenv::picturesDir(LOCKMERE_PICTURES_DIR); }

QStringList labelTexts(const QWidget* w) {
  QStringList out;
  for (const QLabel* l : w->findChildren<QLabel*>())
    if (!l->text().isEmpty()) out << l->text();
  return out;
}

// A logged-in user with folders and sites, the main window shown.
struct Fixture {
  cdp::Browser browser;  // never started here
  frametest::HttpSink server;
  frametest::HttpLauncher launcher;
  regtest::TestMainWindow main{browser, &launcher};
  int work = -1, mail = -1, games = -1;

  explicit Fixture(bool japanese = false) {
    const auto t = [japanese](const char* ko, const char* ja) { return std::string(japanese ? ja : ko); };
    treetest::Session& s = main.session;
    work = s.addCate(t("업무", "仕事")).ID();
    mail = s.addCate(t("메일", "メール"), work).ID();
    games = s.addCate(t("게임", "ゲーム")).ID();
    addSite(t("웹메일", "ウェブメール"), mail, 1, "WEBMAIL.EXAMPLE");
    addSite(t("인터넷 뱅킹", "ネットバンキング"), work, 4, "BANK.EXAMPLE/LOGIN");
    addSite(t("쇼핑몰", "ショッピング"), -1, 3, "SHOP.EXAMPLE");
    main.explorer().loadTree(s.store->cates(), s.store->sites());
    main.explorer().FullExpand();
    main.show();
  }

  store::TRegSiteCollItem& addSite(const std::string& name, int cate, int type, const std::string& keyword) {
    store::TRegSiteCollItem& site = main.session.addSite(name, cate, type);
    site.Keyword = keyword;
    return site;
  }
  TreeNode* node(const QString& text) {
    for (TreeNode* n = main.explorer().tree().first(); n; n = web::SiteTree::next(n))
      if (n->text() == text) return n;
    return nullptr;
  }
  store::TRegSiteCollItem* siteNamed(const std::string& name) {
    store::TRegSiteCollection& all = main.registeredSites().RegSites();
    for (int i = 0; i < all.count(); ++i)
      if (all.at(i).Name == name) return &all.at(i);
    return nullptr;
  }

  // A record as the capture leaves one in the detected list.
  int capture(int texts = 1, bool withLists = true) {
    store::TRegSiteCollItem& c = main.detectedSites().RegSites().add();
    c.URL = "https://www.portal.example/member/login.do";
    c.Name = "Portal Login";
    c.FrameName = "main";
    c.ID_FormName = c.PW_FormName = "loginForm";
    c.ID_Name = "userid";
    c.PW_Name = "passwd";
    const auto add = [&c](const std::string& name, const std::string& type) -> store::TExtraItems& {
      store::TExtraItems& e = c.ExtraItems.add();
      e.FormName = "loginForm";
      e.Name = name;
      e.Type_ = type;
      return e;
    };
    if (withLists) {
      store::TExtraItems& first = add("lang", "SELECT-ONE");
      for (const char* t : {"ko", "en"}) first.Options.add().Text = t;
    }
    for (int i = 1; i <= texts; ++i) add("extra" + std::to_string(i), i == 2 ? "PASSWORD" : "TEXT");
    if (withLists) {
      store::TExtraItems& domain = add("domain", "SELECT-ONE");
      for (const char* t : {"portal.example", "mail.example", "corp.example"}) {
        store::TSiteOptions& o = domain.Options.add();
        o.Text = t;
        o.Value = std::string("v-") + t;
      }
    }
    return c.ID();
  }

  TAddSiteForm* openAdd(int siteId, platform::WindowHandle window = 0) {
    platform::MessageBus::post(main.mainWindowHandle(), platform::msg::kAddSite, siteId, window);
    return waitForForm();
  }
  TAddSiteForm* waitForForm() {
    QDeadlineTimer deadline(3000);
    while (!(main.registration.siteForm() && main.registration.siteForm()->isVisible()) && !deadline.hasExpired())
      QTest::qWait(10);
    return main.registration.siteForm();
  }
  void waitClosed() { QTRY_VERIFY_WITH_TIMEOUT(!main.registration.isFormOpen(), 3000); }

  // What a fresh login reads from the data file.
  std::unique_ptr<store::UserStore> reloaded() const {
    auto again = std::make_unique<store::UserStore>(main.session.user.id, main.session.user.path,
                                                    treetest::copyKey(main.session.user.dataKey));
    if (!again->load()) throw std::runtime_error(again->errorString());
    return again;
  }
};

void typeInto(QWidget* w, const QString& text) {
  w->setFocus();
  regtest::typeText(w, text);
}

void clearAndType(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  typeInto(edit, text);
}

// On the button's own face (a radio button or check box takes clicks only on
// its indicator and text, not on the rest of its cell).
void click(QAbstractButton* button) {
  const QPoint at = qobject_cast<QPushButton*>(button) ? button->rect().center() : QPoint(6, button->height() / 2);
  QTest::mouseClick(button, Qt::LeftButton, {}, at);
}

}  // namespace

class SiteFormTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { texts::setLanguage(texts::Language::Korean); }
  void cleanup() { QTRY_VERIFY2(!QApplication::activeModalWidget(), "a window was left open"); }

  void anEmptyFormHasTheDesignsControlsAndTexts() {
    Fixture x;
    TAddSiteForm* f = x.openAdd(-1);
    QCOMPARE(f->windowTitle(), QString("Lockmere - 사이트 추가"));
    QCOMPARE(f->size(), QSize(437, 462));
    QCOMPARE(f->minimumSize(), f->maximumSize());
    QVERIFY(f->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(f->windowModality(), Qt::ApplicationModal);
    for (const char* t : {"사이트 주소", "주소 키워드", "사이트 명", "아이디", "비밀번호", "폴더 지정"})
      QVERIFY2(labelTexts(f).contains(QString::fromUtf8(t)), t);
    QCOMPARE(f->EdtSiteURL->text(), QString("http://"));
    QVERIFY(f->CBURLKeyword->isEditable());
    QCOMPARE(f->LBDomain->text(), QString("@"));
    QVERIFY(!f->LBDomain->isVisible() && !f->CBDomain->isVisible());
    QCOMPARE(f->EdtPassword->echoMode(), QLineEdit::Password);
    QVERIFY(f->EdtPassword->styleSheet().contains("lineedit-password-character: 42"));
    QCOMPARE(f->CheckBox1->text(), QString("비밀번호 보이기"));
    QVERIFY(!f->Panel2->isVisible());
    QVERIFY(labelTexts(f->Panel2).contains("추가 입력"));
    const QStringList types = {"자동 로그인", "수동 로그인", "확인 후 로그인", "지문을 사용하여 로그인",
                               "스크립트를 사용하여 자동 로그인"};
    for (int i = 0; i < 5; ++i) QCOMPARE(f->RadioButton[i]->text(), types[i]);
    QVERIFY(f->RadioButton[0]->isChecked());
    QCOMPARE(f->GroupBox1->title(), QString(" 로그인 방법 "));
    QCOMPARE(f->GroupBox2->title(), QString(" 메모 "));
    QCOMPARE(f->Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(f->BtnOK->text(), QString("확인 (&O)"));
    QCOMPARE(f->BtnCancel->text(), QString("취 소 (&C)"));
    QCOMPARE(QApplication::focusWidget(), f->EdtSiteURL);
    QCOMPARE(f->CBCate->currentText(), QString("최상위"));
    // Screen-centred.
    const QRect area = f->screen()->availableGeometry();
    QVERIFY(qAbs(f->frameGeometry().center().x() - area.center().x()) <= 2);
    QVERIFY(qAbs(f->frameGeometry().center().y() - area.center().y()) <= 2);
    click(f->BtnCancel);
    x.waitClosed();
  }

  void theFolderBoxListsTheTreeAndFollowsItsSelection() {
    Fixture x;
    x.main.explorer().selectNode(x.node("웹메일"));  // a site inside 메일
    TAddSiteForm* f = x.openAdd(-1);
    QStringList texts;
    QList<int> indents, ids;
    for (int i = 0; i < f->CBCate->count(); ++i) {
      texts << f->CBCate->itemText(i);
      indents << f->CBCate->itemData(i, Qt::UserRole + 1).toInt();
      ids << f->CBCate->itemData(i).toInt();
      QVERIFY(!f->CBCate->itemIcon(i).isNull());
    }
    QCOMPARE(texts, QStringList({"최상위", "업무", "메일", "게임"}));
    QCOMPARE(indents, QList<int>({0, 0, 2, 0}));
    QCOMPARE(ids, QList<int>({-1, x.work, x.mail, x.games}));
    QCOMPARE(f->CBCate->currentText(), QString("메일"));
    click(f->BtnCancel);
    x.waitClosed();

    x.main.explorer().selectNode(x.node("게임"));
    f = x.openAdd(-1);
    QCOMPARE(f->CBCate->currentText(), QString("게임"));
    click(f->BtnCancel);
    x.waitClosed();

    x.main.explorer().selectNode(x.node("쇼핑몰"));  // a top-level site
    f = x.openAdd(-1);
    QCOMPARE(f->CBCate->currentText(), QString("최상위"));
    click(f->BtnCancel);
    x.waitClosed();
  }

  void loginTypesTheDefaultAndTheScriptMode() {
    Fixture x;
    x.main.useDefaultType = true;
    x.main.defaultType = 5;
    TAddSiteForm* f = x.openAdd(-1);
    QVERIFY(f->RadioButton[4]->isChecked());
    QCOMPARE(f->GroupBox2->title(), QString(" 스크립트 "));
    QVERIFY(!f->CBURLKeyword->isEnabled());
    click(f->RadioButton[1]);
    QCOMPARE(f->selectedLoginType(), 2);
    QCOMPARE(f->GroupBox2->title(), QString(" 메모 "));
    QVERIFY(f->CBURLKeyword->isEnabled());
    click(f->BtnCancel);
    x.waitClosed();

    x.main.defaultType = 3;
    x.main.useDefaultType = false;  // the setting off: the design's first button
    f = x.openAdd(-1);
    QVERIFY(f->RadioButton[0]->isChecked());
    click(f->BtnCancel);
    x.waitClosed();
  }

  void showingThePasswordUnlessTheSettingForbidsIt() {
    Fixture x;
    const int captured = x.capture(2);
    TAddSiteForm* f = x.openAdd(captured);
    typeInto(f->EdtPassword, "pw");
    QVERIFY(f->CheckBox1->isEnabled());
    QCOMPARE(f->EdMore[1]->echoMode(), QLineEdit::Password);  // a password field of the page
    QCOMPARE(f->EdMore[0]->echoMode(), QLineEdit::Normal);
    click(f->CheckBox1);
    QCOMPARE(f->EdtPassword->echoMode(), QLineEdit::Normal);
    QCOMPARE(f->EdMore[1]->echoMode(), QLineEdit::Normal);
    click(f->CheckBox1);
    QCOMPARE(f->EdtPassword->echoMode(), QLineEdit::Password);
    click(f->BtnCancel);
    x.waitClosed();

    x.main.lockPasswordSetting = true;
    for (int id : {captured, -1}) {
      f = x.openAdd(id);
      QVERIFY(!f->CheckBox1->isEnabled());
      QCOMPARE(f->EdtPassword->echoMode(), QLineEdit::Password);
      click(f->BtnCancel);
      x.waitClosed();
    }
  }

  void noSaveWithoutAnAddressAndAName() {
    Fixture x;
    const int before = x.main.registeredSites().RegSites().count();
    TAddSiteForm* f = x.openAdd(-1);
    Shown shown;
    regtest::answerNextMessage(&shown);
    click(f->BtnOK);
    QCOMPARE(shown.title, QString("Lockmere"));
    QCOMPARE(shown.text, QString("사이트 주소를 입력해 주세요.  "));
    QVERIFY(f->BtnOK->isEnabled());
    QCOMPARE(f->focusWidget(), f->EdtSiteURL);

    typeInto(f->EdtSiteURL, "a");  // "http://a": 8 characters
    typeInto(f->EdtSiteName, "   ");
    regtest::answerNextMessage(&shown);
    click(f->BtnOK);
    QCOMPARE(shown.text, QString("사이트 명을 입력해 주세요.  "));
    QCOMPARE(f->focusWidget(), f->EdtSiteName);
    QVERIFY(f->isVisible());
    QCOMPARE(x.main.registeredSites().RegSites().count(), before);
    QCOMPARE(x.main.saves, 0);
    click(f->BtnCancel);
    x.waitClosed();
  }

  // A keyword typed in lower case used to be stored as typed; addresses are
  // upper-cased before the keyword search, so the site was never recognised.
  void aNewSiteIsSavedWithAnUpperCaseKeyword() {
    Fixture x;
    TAddSiteForm* f = x.openAdd(-1);
    clearAndType(f->EdtSiteURL, "https://my.site.example/login");
    QCOMPARE(f->CBURLKeyword->currentText(), QString("MY.SITE.EXAMPLE"));
    QCOMPARE(f->CBURLKeyword->count(), 4);
    f->CBURLKeyword->lineEdit()->selectAll();
    typeInto(f->CBURLKeyword->lineEdit(), "site.example/login");
    typeInto(f->EdtSiteName, "내 사이트");
    typeInto(f->EdtUserID, "kim");
    typeInto(f->EdtPassword, "p@ss 비밀");
    f->CBCate->setCurrentIndex(f->CBCate->findText("게임"));
    click(f->RadioButton[2]);
    typeInto(f->Memo1, "memo");
    click(f->BtnOK);
    x.waitClosed();
    QCOMPARE(x.main.saves, 1);
    QCOMPARE(x.main.count(platform::msg::kLoginOnBrowser), 0u);  // no browser window

    auto again = x.reloaded();
    store::TRegSiteCollItem* s = nullptr;
    for (int i = 0; i < again->sites().RegSites().count(); ++i)
      if (again->sites().RegSites().at(i).Name == "내 사이트") s = &again->sites().RegSites().at(i);
    QVERIFY(s);
    QCOMPARE(s->Keyword, std::string("SITE.EXAMPLE/LOGIN"));
    QCOMPARE(s->URL, std::string("https://my.site.example/login"));
    QCOMPARE(s->ID_Value, std::string("kim"));
    QCOMPARE(s->PW_Value, std::string("p@ss 비밀"));
    QCOMPARE(s->Description, std::string("memo"));
    QCOMPARE(int(s->LoginType), 3);
    const store::TCateItem* folder = again->cates().Cates().findById(s->CateID);
    QVERIFY(folder);
    QCOMPARE(folder->Text, std::string("게임"));
    QVERIFY(s->ExtraItems.isEmpty());
    TreeNode* node = x.node("내 사이트");
    QVERIFY(node);
    QCOMPARE(node->parent(), x.node("게임"));
    QCOMPARE(node->imageIndex(), 4);
    QCOMPARE(node->selectedImageIndex(), 4);
  }

  void aKeywordShorterThanEveryOtherGoesToTheFront() {
    Fixture x;
    TAddSiteForm* f = x.openAdd(-1);
    clearAndType(f->EdtSiteURL, "http://ab/");
    QCOMPARE(f->CBURLKeyword->currentText(), QString("AB"));
    typeInto(f->EdtSiteName, "short");
    int savedAt = -1;
    x.main.beforeSave = [&x, &savedAt] {
      savedAt = x.main.registeredSites().RegSites().indexOf(x.siteNamed("short")->ID());
    };
    click(f->BtnOK);
    x.waitClosed();
    QCOMPARE(savedAt, 0);
    // The save brings the collection into the tree's order: last at the top level.
    const store::TRegSiteCollection& all = x.main.registeredSites().RegSites();
    QCOMPARE(all.at(all.count() - 1).Name, std::string("short"));
  }

  void aCapturedSiteWithExtraFieldsAndADropDown() {
    Fixture x;
    const int captured = x.capture(4);
    TAddSiteForm* f = x.openAdd(captured, 0x5151);
    QCOMPARE(f->EdtSiteURL->text(), QString("https://www.portal.example/member/login.do"));
    QCOMPARE(f->EdtSiteName->text(), QString("Portal Login"));
    QCOMPARE(f->CBURLKeyword->currentText(), QString("WWW.PORTAL.EXAMPLE"));
    QCOMPARE(f->EdtUserID->text(), QString());
    QCOMPARE(QApplication::focusWidget(), f->EdtUserID);
    QVERIFY(f->Panel2->isVisible());
    QCOMPARE(f->Panel2->height(), 96);
    QCOMPARE(f->size(), QSize(437, 462 + 96));
    for (int k = 0; k < 3; ++k) {
      QVERIFY(f->EdMore[k]->isVisible());
      QCOMPARE(f->LbMore[k]->text(), QString("( extra%1 )").arg(k + 1));
      QCOMPARE(f->EdMore[k]->toolTip(), QString("extra%1").arg(k + 1));
    }
    QVERIFY(f->LBDomain->isVisible() && f->CBDomain->isVisible());
    QCOMPARE(f->CBDomain->count(), 3);  // the last list only
    QCOMPARE(f->CBDomain->currentText(), QString("portal.example"));

    typeInto(f->EdtUserID, "lee");
    typeInto(f->EdtPassword, "pw");
    typeInto(f->EdMore[0], "one");
    typeInto(f->EdMore[1], "two");
    typeInto(f->EdMore[2], "three");
    f->CBDomain->setCurrentIndex(2);
    click(f->BtnOK);
    x.waitClosed();

    QVERIFY(!x.main.detectedSites().RegSites().findById(captured));
    // The page is logged into at once.
    QTRY_COMPARE(x.main.count(platform::msg::kLoginOnBrowser), 1u);
    QCOMPARE(x.main.received.back().wParam, 0x5151);
    auto again = x.reloaded();
    const store::TRegSiteCollItem* s = nullptr;
    for (int i = 0; i < again->sites().RegSites().count(); ++i)
      if (again->sites().RegSites().at(i).Name == "Portal Login") s = &again->sites().RegSites().at(i);
    QVERIFY(s);
    QCOMPARE(s->ID_Value, std::string("lee"));
    QCOMPARE(s->Keyword, std::string("WWW.PORTAL.EXAMPLE"));
    QCOMPARE(s->FrameName, std::string("main"));
    QCOMPARE(s->ID_Name, std::string("userid"));
    QCOMPARE(s->PW_Name, std::string("passwd"));
    QCOMPARE(s->PW_FormName, std::string("loginForm"));
    QCOMPARE(s->CateID, -1);
    QCOMPARE(int(s->LoginType), 1);
    QStringList values;
    for (int i = 0; i < s->ExtraItems.count(); ++i)
      values << QString::fromStdString(s->ExtraItems.at(i).Name + "=" + s->ExtraItems.at(i).Value);
    QCOMPARE(values, QStringList({"lang=corp.example", "extra1=one", "extra2=two", "extra3=three",
                                  "extra4=", "domain=corp.example"}));
    QCOMPARE(s->ExtraItems.at(5).Options.count(), 3);
    QCOMPARE(s->ExtraItems.at(5).Options.at(1).Value, std::string("v-mail.example"));
  }

  void cancelKeepsTheCapturedRecord() {
    Fixture x;
    const int captured = x.capture();
    TAddSiteForm* f = x.openAdd(captured, 0x77);
    typeInto(f->EdtUserID, "x");
    QTest::keyClick(f, Qt::Key_Escape);
    x.waitClosed();
    QVERIFY(x.main.detectedSites().RegSites().findById(captured));
    QCOMPARE(x.main.registeredSites().RegSites().count(), 3);
    QCOMPARE(x.main.saves, 0);
    QCOMPARE(x.main.count(platform::msg::kLoginOnBrowser), 0u);
  }

  void oneFormAtATimeAndOnlyWhileLoggedIn() {
    Fixture x;
    TAddSiteForm* f = x.openAdd(-1);
    x.main.registration.AddSiteMessage(x.capture(), 0);
    QCOMPARE(x.main.registration.siteForm(), f);
    QCOMPARE(f->siteId(), -1);
    click(f->BtnCancel);
    x.waitClosed();

    x.main.isLoggedIn = false;
    x.main.registration.AddSiteMessage(-1, 0);
    x.main.registration.ModifySite(0);
    QVERIFY(!x.main.registration.isFormOpen());
  }

  void theTreesModifyCommandEditsASite() {
    Fixture x;
    store::TRegSiteCollItem* bank = x.siteNamed("인터넷 뱅킹");
    bank->URL = "https://bank.example/login";
    bank->ID_Value = "park";
    bank->PW_Value = "secret";
    bank->Description = "note";
    store::TExtraItems& otp = bank->ExtraItems.add();
    otp.Name = "otp";
    otp.Type_ = "TEXT";
    otp.Value = "9999";
    store::TExtraItems& list = bank->ExtraItems.add();
    list.Name = "branch";
    list.Type_ = "SELECT-ONE";
    list.Value = "Busan";
    for (const char* t : {"Seoul", "Busan"}) list.Options.add().Text = t;

    x.main.explorer().selectNode(x.node("인터넷 뱅킹"));
    x.main.explorer().ExPMenuModifyClick();
    TAddSiteForm* f = x.waitForForm();
    QVERIFY(!f->addMode());
    QCOMPARE(f->EdtSiteURL->text(), QString("https://bank.example/login"));
    QCOMPARE(f->EdtUserID->text(), QString("park"));
    QCOMPARE(f->EdtPassword->text(), QString("secret"));
    QCOMPARE(f->CBURLKeyword->currentText(), QString("BANK.EXAMPLE/LOGIN"));
    QVERIFY(f->RadioButton[3]->isChecked());
    QCOMPARE(f->Memo1->toPlainText(), QString("note"));
    QCOMPARE(f->CBCate->currentText(), QString("업무"));
    QCOMPARE(f->EdMore[0]->text(), QString("9999"));
    QCOMPARE(f->CBDomain->currentText(), QString("Busan"));
    QVERIFY(!f->EdMore[1]->isVisible());

    clearAndType(f->EdtSiteName, "은행");
    clearAndType(f->EdtUserID, "park2");
    clearAndType(f->EdMore[0], "1234");
    f->CBCate->setCurrentIndex(f->CBCate->findText("게임"));
    click(f->RadioButton[1]);  // manual login
    f->CBURLKeyword->lineEdit()->selectAll();
    typeInto(f->CBURLKeyword->lineEdit(), "bank.example");
    click(f->BtnOK);
    x.waitClosed();

    TreeNode* node = x.node("은행");
    QVERIFY(node);
    QCOMPARE(node->parent(), x.node("게임"));  // moved with its folder
    QCOMPARE(node->imageIndex(), 3);
    QCOMPARE(x.main.explorer().selectedNode(), node);
    QVERIFY(x.main.explorer().ManualSitePanel->isVisible());
    QCOMPARE(x.main.explorer().lbUserID->text(), QString("park2"));
    QCOMPARE(x.main.count(platform::msg::kLoginOnBrowser), 0u);

    auto again = x.reloaded();
    const store::TRegSiteCollItem* s = nullptr;
    for (int i = 0; i < again->sites().RegSites().count(); ++i)
      if (again->sites().RegSites().at(i).Name == "은행") s = &again->sites().RegSites().at(i);
    QVERIFY(s);
    QCOMPARE(s->Keyword, std::string("BANK.EXAMPLE"));
    QCOMPARE(s->ID_Value, std::string("park2"));
    QCOMPARE(s->ExtraItems.at(0).Value, std::string("1234"));
    QCOMPARE(s->ExtraItems.at(1).Value, std::string("Busan"));
    QCOMPARE(int(s->LoginType), 2);
    QCOMPARE(again->sites().RegSites().count(), 3);

    // Back to the top level.
    x.main.explorer().ExPMenuModifyClick();
    f = x.waitForForm();
    f->CBCate->setCurrentIndex(0);
    click(f->BtnOK);
    x.waitClosed();
    QVERIFY(x.node("은행")->isTopLevel());
    QCOMPARE(x.node("은행")->row(), x.main.explorer().tree().root()->childCount() - 1);
  }

  void theTraySwitchTogglesTheSettingAndTheRegistry() {
    Fixture x;
    QAction entry("새 사이트 알림 메세지 표시");
    entry.setCheckable(true);
    entry.setChecked(true);
    QObject::connect(&entry, &QAction::triggered,
                     [&x, &entry] { x.main.registration.TrayMenu_AlarmNewSiteClick(&entry); });
    const std::string key = "\\Software\\Veradynics\\Lockmere\\Users\\" + x.main.userId();
    platform::Registry registry(platform::Registry::CurrentUser);
    for (bool expected : {false, true, false}) {
      entry.trigger();
      QCOMPARE(entry.isChecked(), expected);
      QCOMPARE(x.main.alarmNewSite(), expected);
      QCOMPARE(registry.openKey(key).value().readBool("AlarmNewSite").value(), expected);
    }
  }

  void theProtectedLoginOpensThePlainAddressAfterOneMessage() {
    Fixture x;
    store::TRegSiteCollItem& s = x.addSite("guard", -1, 5, "");
    s.URL = x.server.url("/login.guardbank.example/login.do").toStdString();
    s.Description = "POST\r\nid=아이디&pw=비밀번호";
    s.ID_Value = "kim";
    s.PW_Value = "pw";
    x.main.explorer().tree().addSiteNode(s.ID());
    x.main.explorer().selectNode(x.node("guard"));
    x.main.explorer().TVRegSiteDblClick();
    QCOMPARE(x.main.messages.size(), std::size_t(1));
    QCOMPARE(x.main.messages[0], texts::M(41) + "\r\n\r\n" + texts::M(42));
    QTRY_COMPARE(x.server.requests.size(), std::size_t(1));
    QCOMPARE(x.server.requests[0].method, QByteArray("GET"));
    QCOMPARE(x.server.requests[0].target, QByteArray("/login.guardbank.example/login.do"));
    QVERIFY(x.server.requests[0].body.isEmpty());
  }

  void theAdvertisementStrip() {
    QList<QUrl> opened;
    web::TADFrame frame(nullptr, [&opened](const QUrl& url) {
      opened << url;
      return true;
    });
    frame.resize(400, 50);
    frame.show();
    QVERIFY(!frame.Image1->isVisible());
    frame.MainWindowShown();
    QVERIFY(frame.hasPicture());
    QCOMPARE(frame.Image1->size(), QSize(298, 50));
    QCOMPARE(frame.Image1->x(), 51);
    frame.resize(500, 50);
    QCOMPARE(frame.Image1->x(), 101);
    QTest::mouseClick(frame.Image1, Qt::LeftButton);
    QCOMPARE(opened, QList<QUrl>({QUrl(web::kShopPageUrl)}));
    QVERIFY(frame.grab().save(picturesDir() + "/adframe.png"));

    // Without the resource library: the strip says so.
    const QByteArray empty = QString::fromStdString(testenv::makeTempDir("nolib")).toUtf8();
    qputenv("LOCKMERE_LIB_DIR", empty);
    web::TADFrame missing(nullptr, [&opened](const QUrl& url) {
      opened << url;
      return true;
    });
    missing.resize(400, 50);
    missing.show();
    missing.MainWindowShown();
    qunsetenv("LOCKMERE_LIB_DIR");
    QVERIFY(!missing.hasPicture());
    QCOMPARE(missing.Image1->text(), texts::M(34));
    QTest::mouseClick(missing.Image1, Qt::LeftButton);
    QCOMPARE(opened.size(), 1);
    QVERIFY(missing.grab().save(picturesDir() + "/adframe-missing.png"));
  }

  void pictures_data() {
    QTest::addColumn<bool>("japanese");
    QTest::newRow("ko") << false;
    QTest::newRow("ja") << true;
  }
  void pictures() {
    QFETCH(bool, japanese);
    texts::setLanguage(japanese ? texts::Language::Japanese : texts::Language::Korean);
    const QString lang = japanese ? "ja" : "ko";
    Fixture x(japanese);
    TAddSiteForm* f = x.openAdd(x.capture(3));
    typeInto(f->EdtUserID, "kim");
    typeInto(f->EdtPassword, "secret");
    typeInto(f->EdMore[0], "2580");
    checkLayout(f);
    QVERIFY(f->grab().save(picturesDir() + "/siteform-add-" + lang + ".png"));
    click(f->BtnCancel);
    x.waitClosed();

    store::TRegSiteCollItem* bank = x.siteNamed(japanese ? "ネットバンキング" : "인터넷 뱅킹");
    bank->URL = "https://bank.example/login";
    bank->ID_Value = "park";
    bank->PW_Value = "secret";
    bank->Description = japanese ? "暗証番号は別に保管" : "보안카드는 따로 보관";
    x.main.explorer().selectNode(x.node(QString::fromStdString(bank->Name)));
    x.main.explorer().ExPMenuModifyClick();
    f = x.waitForForm();
    checkLayout(f);
    QVERIFY(f->grab().save(picturesDir() + "/siteform-modify-" + lang + ".png"));
    click(f->BtnCancel);
    x.waitClosed();
  }

 private:
  // Every text fits its control and no two controls overlap.
  static void checkLayout(QWidget* form) {
    for (QWidget* w : form->findChildren<QWidget*>()) {
      if (!w->isVisible()) continue;
      if (auto* label = qobject_cast<QLabel*>(w))
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), qPrintable(label->text()));
      if (auto* button = qobject_cast<QAbstractButton*>(w))
        QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(button->text()));
      QVERIFY2(form->rect().contains(QRect(w->mapTo(form, QPoint(0, 0)), w->size())), qPrintable(w->objectName()));
    }
  }
};

int main(int argc, char** argv) {
  testenv::isolateHome();
  QApplication app(argc, argv);
  SiteFormTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "SiteFormTest.moc"
