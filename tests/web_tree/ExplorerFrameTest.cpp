// The frame in a real window (offscreen): its commands, boxes, saves, search,
// site opening over HTTP, the ID panel and the drag threshold, and pictures.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include "lockmere/texts/Language.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/web/SiteTreeItemModel.h"
#include "lockmere/web/TreeImages.h"
#include "lockmere/widgets/DragTextComp.h"
#include "tests/support/Pictures.h"
#include "tests/web_tree/ExplorerFixture.h"

using frametest::Shown;
using web::TreeNode;

namespace {

using explorertest::Fixture;
using explorertest::kManualId;
using explorertest::kManualPassword;

QString picturesDir() { return testenv::picturesDir(LOCKMERE_PICTURES_DIR); }

}  // namespace

class ExplorerFrameTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { texts::setLanguage(texts::Language::Korean); }
  void cleanup() {
    frametest::dropPendingAnswers();
    QVERIFY2(!QApplication::activeModalWidget(), "a box was left open");
  }

  void addFolderAsksAndIsSavedAtOnce() {
    Fixture x;
    x.frame.selectNode(x.node("쇼핑몰"));
    Shown asked;
    frametest::answerInput(&asked, "새 폴더");
    x.frame.TVRegSite->setFocus();
    QTest::keyClick(x.frame.TVRegSite, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(asked.title, QString("Lockmere"));
    QCOMPARE(asked.text, texts::M(45) + "     ");
    TreeNode* folder = x.frame.selectedNode();
    QVERIFY(folder && folder->isFolder());
    QCOMPARE(folder->text(), QString("새 폴더"));
    QCOMPARE(x.saves, 1);
    QCOMPARE(x.session.reloadedOutline(), treetest::outline(x.frame.tree()));
    QVERIFY(x.session.reloadedOutline().contains("업무/[메일/[웹메일] 새 폴더/ 인터넷 뱅킹"));

    // Cancelled, or no name: nothing added, nothing saved.
    frametest::answerInput(&asked, QString());
    x.frame.ExPMenuAddFolderClick();
    frametest::answerInput(&asked, "   ");
    x.frame.ExPMenuAddFolderClick();
    QCOMPARE(x.saves, 1);
    QCOMPARE(x.session.store->cates().Cates().count(), 4);
  }

  void modifyRenamesAFolderAndHandsASiteToTheSiteForm() {
    Fixture x;
    Shown shown;
    frametest::answerMessage(&shown);
    x.frame.ExPMenuModifyClick();
    QCOMPARE(shown.text, texts::M(58));
    x.reactivate();

    x.click("게임");
    frametest::answerInput(&shown, "놀이");
    QTest::keyClick(x.frame.TVRegSite, Qt::Key_F2);
    QCOMPARE(shown.title, "Lockmere - " + texts::M(59));
    QCOMPARE(shown.text, texts::M(60) + "     ");
    QVERIFY(x.session.reloadedOutline().contains("놀이/"));
    QCOMPARE(x.saves, 1);

    // A site: only the hook, and without one nothing at all.
    x.click("쇼핑몰");
    QTest::keyClick(x.frame.TVRegSite, Qt::Key_F2);
    QVERIFY(!QApplication::activeModalWidget());
    int modified = -1;
    x.frame.setModifySiteHook([&](int id) { modified = id; });
    x.frame.ExPMenuModifyClick();
    QCOMPARE(modified, x.node("쇼핑몰")->siteId());
    QCOMPARE(x.saves, 1);
  }

  void deleteAsksWithTheNodesNameAndSaves() {
    Fixture x;
    Shown shown;
    frametest::answerMessage(&shown);
    x.frame.ExPMenuDeleteClick();
    QCOMPARE(shown.text, texts::M(53));
    x.reactivate();

    x.click("업무");
    frametest::answerMessage(&shown, QMessageBox::No);
    QTest::keyClick(x.frame.TVRegSite, Qt::Key_Delete);
    QCOMPARE(shown.title, QString("Lockmere"));
    QCOMPARE(shown.text, QString("\n폴더 \"업무\"과(와) 폴더의 모든 정보를 삭제하시겠습니까?"));
    QVERIFY(x.node("업무"));
    QCOMPARE(x.saves, 0);

    frametest::answerMessage(&shown, QMessageBox::Yes);
    x.frame.ExPMenuDeleteClick();
    QVERIFY(!x.node("업무") && !x.node("웹메일"));
    QCOMPARE(x.saves, 1);
    QCOMPARE(x.session.reloadedOutline(), QString("게임/ 수동 로그인 사이트 스크립트 사이트"));
    // The neighbour that took its place is selected and shown.
    QCOMPARE(x.frame.selectedNode(), x.node("게임"));

    // A manual site: its ID and password leave the panel with it.
    x.click("수동 로그인 사이트");
    QVERIFY(x.frame.ManualSitePanel->isVisible());
    frametest::answerMessage(&shown, QMessageBox::Yes);
    x.frame.ExPMenuDeleteClick();
    QCOMPARE(shown.text, QString("\n사이트 \"수동 로그인 사이트\"의 정보를 삭제하시겠습니까?"));
    QVERIFY(!x.frame.ManualSitePanel->isVisible());
    QVERIFY(x.frame.lbUserID->text().isEmpty());
    QCOMPARE(x.session.reloadedOutline(), QString("게임/ 스크립트 사이트"));
  }

  void selectionShowsAddressAndTheManualPanel() {
    Fixture x;
    QVERIFY(!x.frame.ManualSitePanel->isVisible());
    x.click("수동 로그인 사이트");
    QCOMPARE(x.frame.EdtGoURL->text(), x.server.url("/manual"));
    QVERIFY(x.frame.ManualSitePanel->isVisible());
    QCOMPARE(x.frame.lbUserID->text(), kManualId);
    QCOMPARE(x.frame.lbUserPW->text(), QString(kManualPassword.size(), u'*'));
    x.click("스크립트 사이트");
    QCOMPARE(x.frame.EdtGoURL->text(), texts::M(46));
    QVERIFY(!x.frame.ManualSitePanel->isVisible());
    QVERIFY(x.frame.lbUserPW->text().isEmpty());
    // The arrow keys move the details along.
    QTest::keyClick(x.frame.TVRegSite, Qt::Key_Up);
    QCOMPARE(x.frame.lbUserID->text(), kManualId);
    x.click("업무");
    QVERIFY(x.frame.EdtGoURL->text().isEmpty());
    QVERIFY(!x.frame.ManualSitePanel->isVisible());
    // A press right of a node's text, or below the nodes, selects nothing.
    const QPoint beside(x.viewport()->width() - 5, x.pointOf(x.node("게임")).y());
    QTest::mouseClick(x.viewport(), Qt::LeftButton, {}, beside);
    QVERIFY(!x.frame.selectedNode());
    x.click("게임");
    QTest::mouseClick(x.viewport(), Qt::LeftButton, {}, QPoint(20, x.viewport()->height() - 5));
    QVERIFY(!x.frame.selectedNode());
  }

  void rightClickPopsUpTheMenu() {
    Fixture x;
    x.click("쇼핑몰", Qt::RightButton);
    QCOMPARE(x.frame.selectedNode(), x.node("쇼핑몰"));
    QTRY_VERIFY(x.frame.PopupMenu1->isVisible());
    QCOMPARE(x.frame.EdtGoURL->text(), x.server.url("/shop"));
    x.frame.PopupMenu1->hide();
    QTest::mouseClick(x.viewport(), Qt::RightButton, {}, QPoint(20, x.viewport()->height() - 5));
    QVERIFY(!x.frame.selectedNode());
    QTRY_VERIFY(x.frame.PopupMenu1->isVisible());
    x.frame.PopupMenu1->hide();
    const QList<QAction*> items = x.frame.PopupMenu1->actions();
    QCOMPARE(items.size(), 5);
    QVERIFY(items[2]->isSeparator());
    QCOMPARE(items[0]->shortcut(), QKeySequence(Qt::Key_Insert));
    QCOMPARE(items[1]->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    QCOMPARE(items[3]->shortcut(), QKeySequence(Qt::Key_F2));
    QCOMPARE(items[4]->shortcut(), QKeySequence(Qt::Key_Delete));
    QSignalSpy addSite(&x.frame, &web::TExplorerFrame::addSiteRequested);
    QTest::keyClick(x.frame.TVRegSite, Qt::Key_Insert);
    QCOMPARE(addSite.count(), 1);
    // Keys typed into the search box are no commands.
    x.frame.EdtSearch->setFocus();
    QVERIFY(x.frame.EdtSearch->hasFocus());
    QTest::keyClick(x.frame.EdtSearch, Qt::Key_Insert);
    QTest::keyClick(x.frame.EdtSearch, Qt::Key_Delete);
    QCOMPARE(addSite.count(), 1);
  }

  void searchContinuesThenSaysNoMoreThenStartsOver() {
    Fixture x;
    x.frame.EdtSearch->setText("사이트");
    QTest::keyClick(x.frame.EdtSearch, Qt::Key_Return);
    QCOMPARE(x.frame.selectedNode(), x.node("수동 로그인 사이트"));
    QCOMPARE(x.frame.lbUserID->text(), kManualId);
    QVERIFY(x.frame.TVRegSite->hasFocus());
    x.frame.BtnGoSearch->click();
    QCOMPARE(x.frame.selectedNode(), x.node("스크립트 사이트"));
    Shown shown;
    frametest::answerMessage(&shown);
    x.frame.BtnGoSearch->click();
    QCOMPARE(shown.text, texts::M(47));
    x.frame.BtnGoSearch->click();
    QCOMPARE(x.frame.selectedNode(), x.node("수동 로그인 사이트"));
    // A changed text starts again from the top; a text found nowhere says so.
    x.frame.EdtSearch->setText("메일");
    x.frame.BtnGoSearch->click();
    QCOMPARE(x.frame.selectedNode(), x.node("메일"));
    x.frame.EdtSearch->setText("없는 이름");
    frametest::answerMessage(&shown);
    x.frame.BtnGoSearch->click();
    QCOMPARE(shown.text, texts::M(48));
  }

  void doubleClickOpensSitesAndScriptsPostTheExactBody() {
    Fixture x;
    QSignalSpy opening(&x.frame, &web::TExplorerFrame::siteOpening);
    x.doubleClick("스크립트 사이트");
    QVERIFY(x.waitForRequests(1));
    QCOMPARE(opening.count(), 1);
    const frametest::Request post = x.server.requests[0];
    QCOMPARE(post.method, QByteArray("POST"));
    QCOMPARE(post.target, QByteArray("/login.do"));
    QCOMPARE(post.contentType, QByteArray("application/x-www-form-urlencoded"));
    QCOMPARE(post.body, QByteArray("user=kim%40mail&pass=p%26ss+w%3Drd%2B%25"));

    // The go button on a script site runs the script too.
    QSignalSpy goOpening(&x.frame, &web::TExplorerFrame::addressOpening);
    x.frame.BtnGoURL->click();
    QVERIFY(x.waitForRequests(2));
    QCOMPARE(goOpening.count(), 1);
    QCOMPARE(x.server.requests[1].body, post.body);

    // A plain site: its address, in a new window each time.
    x.doubleClick("쇼핑몰");
    x.doubleClick("쇼핑몰");
    QVERIFY(x.waitForRequests(4));
    QCOMPARE(x.server.requests[3].method, QByteArray("GET"));
    QCOMPARE(x.server.requests[3].target, QByteArray("/shop"));

    // A folder opens nothing; an address of three characters neither.
    x.doubleClick("게임");
    x.frame.EdtGoURL->setText("a.b");
    QTest::keyClick(x.frame.EdtGoURL, Qt::Key_Return);
    QTest::qWait(200);
    QCOMPARE(x.browser.opened, 4);
    QCOMPARE(opening.count(), 3);
  }

  void scriptsThatCannotRunSayWhyAndOpenNothing() {
    Fixture x;
    store::TRegSiteCollItem* script = x.frame.tree().site(x.node("스크립트 사이트"));
    x.frame.selectNode(x.node("스크립트 사이트"));
    Shown shown;
    for (auto [description, message] :
         {std::pair{"", 49}, std::pair{"\r\n\r\n", 49}, std::pair{"PUT\r\nid=아이디", 52}}) {
      script->Description = description;
      frametest::answerMessage(&shown);
      x.frame.TVRegSiteDblClick();
      QCOMPARE(shown.text, texts::M(message));
    }
    script->Description = "get\r\nid=아이디&pw=비밀번호";
    x.frame.TVRegSiteDblClick();
    QVERIFY(x.waitForRequests(1));
    QCOMPARE(x.server.requests[0].target, QByteArray("/login.do?id=kim%40mail&pw=p%26ss+w%3Drd%2B%25"));
    QCOMPARE(x.browser.opened, 1);

    // The protected site's POST goes to its hook, or opens plainly without one.
    script->URL = "http://login.guardbank.example/auth";
    script->Description = "POST\r\nid=아이디";
    QString hookedUrl;
    QByteArray hookedBody;
    x.frame.setProtectedPostHook([&](const QString& url, const QByteArray& body) {
      hookedUrl = url;
      hookedBody = body;
    });
    x.frame.TVRegSiteDblClick();
    QCOMPARE(hookedUrl, QString("http://login.guardbank.example/auth"));
    QCOMPARE(hookedBody, QByteArray("id=kim%40mail"));
    QCOMPARE(x.browser.opened, 1);
  }

  void aTenByTwoMoveStartsNoDrag() {
    Fixture x;
    x.click("수동 로그인 사이트");
    QSignalSpy drags(&x.frame, &web::TExplorerFrame::textDragFinished);
    const QPoint start(10, 5);
    for (QLabel* label : {x.frame.lbUserPW, x.frame.lbUserID}) {
      QTest::mousePress(label, Qt::LeftButton, {}, start);
      for (const QPoint step : {QPoint(5, 1), QPoint(10, 2), QPoint(10, 0), QPoint(0, 10), QPoint(4, 40)}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(start + step), label->mapToGlobal(QPointF(start + step)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(label, &move);
      }
      QTest::mouseRelease(label, Qt::LeftButton, {}, start + QPoint(4, 40));
    }
    QCOMPARE(drags.count(), 0);
    // Five by five: a drag (which the offscreen platform ends at once).
    QTest::mousePress(x.frame.lbUserPW, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(5, 5)),
                     x.frame.lbUserPW->mapToGlobal(QPointF(start + QPoint(5, 5))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(x.frame.lbUserPW, &move);
    QCOMPARE(drags.count(), 1);
    QCOMPARE(drags[0][0].toInt(), int(TDragTextComp::kDropNone));
    QVERIFY(TDragTextComp::startsDrag({0, 0}, {-5, 5}));
    QVERIFY(!TDragTextComp::startsDrag({0, 0}, {4, 100}));
  }

  void wheelScrollsOneLineAndTheRowsFitAnyWidth() {
    Fixture x;
    x.frame.resize(308, 160);
    QScrollBar* bar = x.frame.TVRegSite->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    x.frame.scrollTreeLine(false);
    QCOMPARE(bar->value(), 1);
    x.frame.scrollTreeLine(true);
    QCOMPARE(bar->value(), 0);
    for (int width : {308, 640}) {
      x.frame.resize(width, 300);
      QCOMPARE(x.frame.EdtGoURL->geometry().right() < x.frame.BtnGoURL->geometry().left(), true);
      QCOMPARE(x.frame.EdtSearch->geometry().right() < x.frame.BtnGoSearch->geometry().left(), true);
      QVERIFY(x.frame.BtnGoSearch->geometry().right() < width);
      QVERIFY(x.frame.BtnGoURL->geometry().right() < width);
    }
  }

  void logoutEmptiesEverything() {
    Fixture x;
    x.click("수동 로그인 사이트");
    x.frame.clearTree();
    QCOMPARE(x.frame.TVRegSite->model()->rowCount(), 0);
    QVERIFY(x.frame.EdtGoURL->text().isEmpty());
    QVERIFY(x.frame.lbUserID->text().isEmpty());
    QVERIFY(!x.frame.ManualSitePanel->isVisible());
    x.frame.ExPMenuAddFolderClick();  // logged out: no box at all
    QVERIFY(!QApplication::activeModalWidget());
  }

  void pictures_data() {
    QTest::addColumn<bool>("japanese");
    QTest::newRow("ko") << false;
    QTest::newRow("ja") << true;
  }

  void pictures() {
    QFETCH(bool, japanese);
    texts::setLanguage(japanese ? texts::Language::Japanese : texts::Language::Korean);
    Fixture x(japanese);
    x.click(japanese ? "手動ログインのサイト" : "수동 로그인 사이트");
    QVERIFY(x.frame.ManualSitePanel->isVisible());
    const QString lang = japanese ? "ja" : "ko";
    QVERIFY(x.frame.grab().save(picturesDir() + "/tree-" + lang + ".png"));
    x.click(japanese ? "ショッピング" : "쇼핑몰", Qt::RightButton);
    QTRY_VERIFY(x.frame.PopupMenu1->isVisible());
    QVERIFY(x.frame.PopupMenu1->grab().save(picturesDir() + "/menu-" + lang + ".png"));
    x.frame.PopupMenu1->hide();
    // A selected folder shows itself open.
    x.click(japanese ? "メール" : "메일");
    QTest::qWait(50);  // the layout gives the hidden panel's room to the tree
    QVERIFY(x.frame.grab().save(picturesDir() + "/tree-folder-" + lang + ".png"));
  }

  void everyImageIsItsOwn() {
    for (int i = 0; i < web::kTreeImageCount; ++i) {
      const QImage image = web::treeImage(i).toImage();
      QCOMPARE(image.size(), QSize(20, 20));
      for (int j = 0; j < i; ++j)
        QVERIFY2(image != web::treeImage(j).toImage(), qPrintable(QString("%1 %2").arg(i).arg(j)));
    }
    QVERIFY(web::treeImage(7).isNull());
  }
};

int main(int argc, char** argv) {
  testenv::isolateHome();
  QApplication app(argc, argv);
  ExplorerFrameTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ExplorerFrameTest.moc"
