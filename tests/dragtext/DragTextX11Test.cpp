// The text drag with real X input under Xvfb: text dropped into another
// program's field, a drag cancelled with Escape, a drop refused by a field
// that takes only files, and nothing left in the clipboard or the selection.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QtTest>

#include "lockmere/widgets/DragTextComp.h"
#include "tests/dragtext/X11Drag.h"
#include "tests/support/TestEnv.h"

namespace {

// A label that drags its text, the way the site tree's ID label does.
class DragSource : public QLabel {
 public:
  DragSource() : QLabel("drag me") {
    setMinimumSize(160, 60);
    setFrameStyle(QFrame::Box);
  }
  QString dropText;
  QList<int> results;

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) return;
    press_ = e->position().toPoint();
    armed_ = true;
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if (!armed_ || !TDragTextComp::startsDrag(press_, e->position().toPoint())) return;
    armed_ = false;
    TDragTextComp drag(this);
    drag.setDropText(dropText);
    results << drag.ExecuteDrag();
  }

 private:
  QPoint press_;
  bool armed_ = false;
};

}  // namespace

class DragTextX11Test : public QObject {
  Q_OBJECT

  DragSource* source_ = nullptr;
  std::unique_ptr<x11drag::Receiver> receiver_;

  QPoint sourceCentre() const { return source_->mapToGlobal(source_->rect().center()); }

 private slots:
  void initTestCase() {
    QVERIFY2(QGuiApplication::platformName() == "xcb", "runs under Xvfb (xvfb-run)");
    source_ = new DragSource;
    source_->move(40, 60);
    source_->show();
    source_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(source_));
    receiver_ = std::make_unique<x11drag::Receiver>(DRAGTEXT_RECEIVER);
    QVERIFY(receiver_->ready());
  }
  void cleanupTestCase() {
    receiver_.reset();
    delete source_;
  }
  void init() {
    receiver_->clear();
    source_->results.clear();
    source_->activateWindow();
  }

  void droppedTextArrivesWholeAsACopy() {
    // 150 bytes: Hangul, blanks and the characters forms treat specially.
    source_->dropText = QString::fromUtf8("아이디 kim&lee=\"x\" <b>% + ~").repeated(5);
    QCOMPARE(source_->dropText.toUtf8().size(), 150);
    QVERIFY(x11drag::xdotool(x11drag::dragCommands(sourceCentre(), receiver_->field().center())));
    QTRY_COMPARE(source_->results, QList<int>{TDragTextComp::kDropCopied});
    QTRY_COMPARE(receiver_->texts().value(0), source_->dropText);
    // Only the drag carried it.
    QVERIFY(!receiver_->clipboard().contains(source_->dropText));
    QVERIFY(QApplication::clipboard()->text(QClipboard::Clipboard) != source_->dropText);
    QVERIFY(QApplication::clipboard()->text(QClipboard::Selection) != source_->dropText);
  }

  void escapeCancels() {
    source_->dropText = "secret-password";
    const QPoint inside = sourceCentre() + QPoint(30, 12);
    QVERIFY(x11drag::xdotool(x11drag::dragCommands(sourceCentre(), inside, "key Escape sleep 0.3")));
    QTRY_COMPARE(source_->results, QList<int>{TDragTextComp::kDropNone});
    // Released over the field after the Escape: nothing arrives.
    QVERIFY(x11drag::xdotool({"mousemove", QString::number(receiver_->field().center().x()),
                              QString::number(receiver_->field().center().y()), "sleep", "0.3"}));
    QTest::qWait(300);
    QVERIFY(receiver_->texts().isEmpty());
  }

  void aFieldForFilesOnlyRefusesTheText() {
    source_->dropText = "kim@mail";
    QVERIFY(x11drag::xdotool(x11drag::dragCommands(sourceCentre(), receiver_->filesOnly().center())));
    QTRY_COMPARE(source_->results, QList<int>{TDragTextComp::kDropNone});
    QVERIFY(!receiver_->fileDropped());
    QVERIFY(receiver_->texts().isEmpty());
  }

  void offersPlainTextOnlyAndNeedsASource() {
    TMyDataObject data("kim");
    QCOMPARE(data.formats(), QStringList{"text/plain"});
    QVERIFY(data.hasText());
    QCOMPARE(data.text(), QString("kim"));
    QVERIFY(!data.hasHtml() && !data.hasUrls());
    QVERIFY(data.data("text/uri-list").isEmpty());
    TDragTextComp orphan(nullptr);
    orphan.setDropText("x");
    QCOMPARE(orphan.ExecuteDrag(), TDragTextComp::kDropError);
  }
};

int main(int argc, char** argv) {
  testenv::isolateHome();
  QApplication app(argc, argv);
  DragTextX11Test test;
  return QTest::qExec(&test, argc, argv);
}

#include "DragTextX11Test.moc"
