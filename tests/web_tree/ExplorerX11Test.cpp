// The frame with real X input under Xvfb: the ID and password dragged into
// another program, Escape, and nodes dragged inside the tree, with the store
// read back from the data file after each drop.
#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "lockmere/widgets/DragTextComp.h"
#include "tests/dragtext/X11Drag.h"
#include "tests/web_tree/ExplorerFixture.h"

using explorertest::Fixture;
using explorertest::kManualId;
using explorertest::kManualPassword;

namespace {

QPoint centreOf(const QWidget* w) { return w->mapToGlobal(w->rect().center()); }

// Where a node is on the screen.
QPoint screenPoint(const Fixture& x, const QString& text) { return x.viewport()->mapToGlobal(x.pointOf(x.node(text))); }

bool xclick(QPoint at) {
  return x11drag::xdotool(
      {"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.1", "click", "1", "sleep", "0.2"});
}

}  // namespace

class ExplorerX11Test : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY2(QGuiApplication::platformName() == "xcb", "runs under Xvfb (xvfb-run)"); }

  void idAndPasswordDragIntoAnotherProgramAndEscapeCancels() {
    Fixture x;
    x11drag::Receiver receiver(DRAGTEXT_RECEIVER);
    QVERIFY(receiver.ready());
    QVERIFY(xclick(screenPoint(x, "수동 로그인 사이트")));
    QTRY_VERIFY(x.frame.ManualSitePanel->isVisible());
    QSignalSpy drags(&x.frame, &web::TExplorerFrame::textDragFinished);

    QVERIFY(x11drag::xdotool(x11drag::dragCommands(centreOf(x.frame.lbUserID), receiver.field().center())));
    QTRY_COMPARE(drags.count(), 1);
    QCOMPARE(drags[0][0].toInt(), int(TDragTextComp::kDropCopied));
    QTRY_COMPARE(receiver.texts(), QStringList{kManualId});

    // The password, not its asterisks; and it is nowhere else afterwards.
    receiver.clear();
    QVERIFY(x11drag::xdotool(x11drag::dragCommands(centreOf(x.frame.lbUserPW), receiver.field().center())));
    QTRY_COMPARE(drags.count(), 2);
    QCOMPARE(drags[1][0].toInt(), int(TDragTextComp::kDropCopied));
    QTRY_COMPARE(receiver.texts(), QStringList{kManualPassword});
    QVERIFY(!receiver.clipboard().contains(kManualPassword));

    // Escape: nothing arrives.
    receiver.clear();
    const QPoint from = centreOf(x.frame.lbUserID);
    QVERIFY(x11drag::xdotool(x11drag::dragCommands(from, from + QPoint(40, -30), "key Escape sleep 0.3")));
    QTRY_COMPARE(drags.count(), 3);
    QCOMPARE(drags[2][0].toInt(), int(TDragTextComp::kDropNone));
    QTest::qWait(300);
    QVERIFY(receiver.texts().isEmpty());
  }

  void nodesDraggedInTheTreeAreFiledAndSaved() {
    Fixture x;
    // A site onto a folder.
    QVERIFY(x11drag::xdotool(x11drag::dragCommands(screenPoint(x, "쇼핑몰"), screenPoint(x, "게임"))));
    QTRY_COMPARE(x.saves, 1);
    QCOMPARE(x.session.reloadedOutline(),
             QString("업무/[메일/[웹메일] 인터넷 뱅킹] 게임/[쇼핑몰] 수동 로그인 사이트 스크립트 사이트"));
    QCOMPARE(x.frame.selectedNode(), x.node("쇼핑몰"));

    // A folder onto a site: refused, nothing changes.
    QVERIFY(x11drag::xdotool(x11drag::dragCommands(screenPoint(x, "메일"), screenPoint(x, "스크립트 사이트"))));
    QTest::qWait(200);
    QCOMPARE(x.saves, 1);
    QCOMPARE(treetest::outline(x.frame.tree()),
             QString("업무/[메일/[웹메일] 인터넷 뱅킹] 게임/[쇼핑몰] 수동 로그인 사이트 스크립트 사이트"));

    // A folder onto empty space: the top level, before the sites.
    const QPoint empty = x.viewport()->mapToGlobal(QPoint(60, x.viewport()->height() - 20));
    QVERIFY(x11drag::xdotool(x11drag::dragCommands(screenPoint(x, "메일"), empty)));
    QTRY_COMPARE(x.saves, 2);
    QCOMPARE(x.session.reloadedOutline(),
             QString("업무/[인터넷 뱅킹] 게임/[쇼핑몰] 메일/[웹메일] 수동 로그인 사이트 스크립트 사이트"));
  }

  void aClosedFolderOpensUnderADragThatRestsOnIt() {
    Fixture x;
    x.frame.FullCollapse();
    const QModelIndex work = x.frame.TVRegSite->indexAt(x.pointOf(x.node("업무")));
    QVERIFY(!x.frame.TVRegSite->isExpanded(work));
    QVERIFY(x11drag::xdotool(
        x11drag::dragCommands(screenPoint(x, "수동 로그인 사이트"), screenPoint(x, "업무"), "sleep 0.9")));
    QTRY_COMPARE(x.saves, 1);
    QVERIFY(x.frame.TVRegSite->isExpanded(work));
    QCOMPARE(x.session.reloadedOutline(),
             QString("업무/[메일/[웹메일] 인터넷 뱅킹 쇼핑몰 수동 로그인 사이트] 게임/ 스크립트 사이트"));
  }

  void aDragNearTheBottomEdgeScrolls() {
    Fixture x;
    x.frame.resize(300, 150);
    QScrollBar* bar = x.frame.TVRegSite->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), 0);
    const QPoint nearBottom = x.viewport()->mapToGlobal(QPoint(40, x.viewport()->height() - 6));
    // The pointer keeps moving a little, as a hand does: the scrolling goes on.
    const QString jiggle =
        QString("mousemove_relative 1 0 sleep 0.1 mousemove_relative -- -1 0 sleep 0.1 ").repeated(6);
    QVERIFY(
        x11drag::xdotool(x11drag::dragCommands(screenPoint(x, "업무"), nearBottom, jiggle + "key Escape sleep 0.2")));
    QVERIFY(bar->value() >= 2);
    QCOMPARE(x.saves, 0);
  }
};

int main(int argc, char** argv) {
  testenv::isolateHome();
  QApplication app(argc, argv);
  ExplorerX11Test test;
  return QTest::qExec(&test, argc, argv);
}

#include "ExplorerX11Test.moc"
