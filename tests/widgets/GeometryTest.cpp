#include <QtTest>

#include "lockmere/widgets/PopupGeometry.h"
#include "lockmere/widgets/Timers.h"

using namespace widgets;

Q_DECLARE_METATYPE(widgets::TaskbarEdge)

namespace {

const QRect kScreen{0, 0, 1920, 1080};
const PopupMetrics kPopup{148, 121, 16, 2};

// How many popups fit one above the other, 2 pixels apart, before the next one
// is refused.
int stackDepth(TaskbarEdge edge, const QRect& workArea) {
  int offset = 0, count = 0;
  while (roomForPopup(edge, workArea, offset, kPopup) && count < 100) {
    if (!workArea.contains(popupRect(edge, workArea, offset, kPopup))) return -1;  // a popup outside
    ++count;
    offset += kPopup.height + 2;
  }
  return count;
}

}  // namespace

class GeometryTest : public QObject {
  Q_OBJECT

 private slots:
  void panelEdgeFromTheAvailableGeometry_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<TaskbarEdge>("edge");
    QTest::newRow("bottom panel") << kScreen << QRect(0, 0, 1920, 1040) << TaskbarEdge::Bottom;
    QTest::newRow("top panel") << kScreen << QRect(0, 32, 1920, 1048) << TaskbarEdge::Top;
    QTest::newRow("left dock") << kScreen << QRect(64, 0, 1856, 1080) << TaskbarEdge::Left;
    QTest::newRow("right panel") << kScreen << QRect(0, 0, 1880, 1080) << TaskbarEdge::Right;
    QTest::newRow("top bar and wider dock") << kScreen << QRect(70, 27, 1850, 1053) << TaskbarEdge::Left;
    QTest::newRow("no panel") << kScreen << kScreen << TaskbarEdge::Bottom;
    QTest::newRow("second screen, bottom panel")
        << QRect(1920, 0, 1280, 1024) << QRect(1920, 0, 1280, 990) << TaskbarEdge::Bottom;
  }
  void panelEdgeFromTheAvailableGeometry() {
    QFETCH(QRect, screen);
    QFETCH(QRect, available);
    QFETCH(TaskbarEdge, edge);
    QCOMPARE(taskbarEdgeFrom(screen, available), edge);
  }

  // Popups stand in the corner by the panel and stack away from it while the
  // next one still lies inside the work area, whichever side the panel is on.
  void stacksStayInsideTheWorkArea() {
    const QRect bottom(0, 0, 1920, 400), top(0, 30, 1920, 370), left(64, 0, 1856, 400), right(0, 0, 1880, 400);
    QCOMPARE(popupRect(TaskbarEdge::Bottom, bottom, 0, kPopup), QRect(1920 - 148 - 16, 400 - 2 - 121, 148, 121));
    QCOMPARE(popupRect(TaskbarEdge::Top, top, 123, kPopup), QRect(1920 - 148 - 16, 30 + 2 + 123, 148, 121));
    QCOMPARE(popupRect(TaskbarEdge::Left, left, 0, kPopup), QRect(64 + 16, 400 - 2 - 121, 148, 121));
    QCOMPARE(popupRect(TaskbarEdge::Right, right, 0, kPopup), QRect(1880 - 148 - 16, 400 - 2 - 121, 148, 121));
    // 3 popups of 121 with 2 between fit in 398 rows; a 4th would not.
    QCOMPARE(stackDepth(TaskbarEdge::Bottom, bottom), 3);
    QCOMPARE(stackDepth(TaskbarEdge::Right, right), 3);
    QCOMPARE(stackDepth(TaskbarEdge::Left, left), 3);
    // Under a top panel 368 rows remain: still 3, the third ending at row 399.
    QCOMPARE(stackDepth(TaskbarEdge::Top, top), 3);
    QCOMPARE(stackDepth(TaskbarEdge::Top, QRect(0, 40, 1920, 360)), 2);
    // A panel whose edge cannot be read never refuses.
    QVERIFY(roomForPopup(TaskbarEdge::Unknown, bottom, 100000, kPopup));
  }

  // Sliding in keeps the side at the panel fixed and ends exactly on the full place;
  // sliding out mirrors it and ends before the size would reach 0.
  void slidesKeepThePanelSideFixed_data() {
    QTest::addColumn<TaskbarEdge>("edge");
    QTest::newRow("bottom") << TaskbarEdge::Bottom;
    QTest::newRow("top") << TaskbarEdge::Top;
    QTest::newRow("left") << TaskbarEdge::Left;
    QTest::newRow("right") << TaskbarEdge::Right;
  }
  void slidesKeepThePanelSideFixed() {
    QFETCH(TaskbarEdge, edge);
    const QRect full(500, 200, 148, 121);
    auto panelSide = [&](const QRect& r) {
      switch (edge) {
        case TaskbarEdge::Top:
          return r.top();
        case TaskbarEdge::Left:
          return r.left();
        case TaskbarEdge::Right:
          return r.right();
        default:
          return r.bottom();
      }
    };
    const bool horizontal = edge == TaskbarEdge::Left || edge == TaskbarEdge::Right;
    QRect r = collapsedRect(edge, full);
    QCOMPARE(horizontal ? r.width() : r.height(), 1);
    QCOMPARE(panelSide(r), panelSide(full));
    int steps = 0;
    for (SlideStep s{r, false}; !s.done; ++steps) {
      s = slideInStep(edge, r, full, 9);
      QCOMPARE(panelSide(s.rect), panelSide(full));
      QVERIFY(s.done || (horizontal ? s.rect.width() : s.rect.height()) == (horizontal ? r.width() : r.height()) + 9);
      r = s.rect;
    }
    QCOMPARE(r, full);
    QCOMPARE(steps, horizontal ? 17 : 14);  // 1 + 9k reaches 148 after 17 steps, 121 after 14

    steps = 0;
    for (SlideStep s{r, false};; ++steps) {
      s = slideOutStep(edge, r, 9);
      if (s.done) break;
      QCOMPARE(panelSide(s.rect), panelSide(full));
      r = s.rect;
    }
    QCOMPARE(horizontal ? r.width() : r.height(), horizontal ? 148 - 16 * 9 : 121 - 13 * 9);
    // The face keeps to the side away from the panel, so its panel side is hidden.
    const QRect face = QRect(faceOffset(edge, r, full.size()), full.size()).translated(r.topLeft());
    if (edge == TaskbarEdge::Bottom || edge == TaskbarEdge::Right)
      QCOMPARE(face.topLeft(), r.topLeft());
    else
      QCOMPARE(face.bottomRight(), r.bottomRight());
  }

  void manualTimersFireInOrderAndSurviveTheirCallbacks() {
    ManualTimerSource source;
    QStringList fired;
    auto slow = source.createTimer();
    auto fast = source.createTimer();
    std::unique_ptr<Timer> once = source.createTimer();
    slow->setInterval(25);
    fast->setInterval(10);
    once->setInterval(30);
    slow->onTimeout = [&] { fired << QString("slow@%1").arg(source.now()); };
    fast->onTimeout = [&] { fired << QString("fast@%1").arg(source.now()); };
    once->onTimeout = [&] {
      fired << QString("once@%1").arg(source.now());
      once.reset();  // a timer may destroy itself
    };
    slow->start();
    fast->start();
    once->start();
    source.advance(50);
    QCOMPARE(fired,
             (QStringList{"fast@10", "fast@20", "slow@25", "once@30", "fast@30", "fast@40", "slow@50", "fast@50"}));
    QVERIFY(!once);
    fast->stop();
    QCOMPARE(source.activeTimers(), 1);
    auto zero = source.createTimer();
    zero->start();  // no interval: never fires, as the design's timers
    QVERIFY(!zero->isActive());
  }
};

QTEST_MAIN(GeometryTest)
#include "GeometryTest.moc"
