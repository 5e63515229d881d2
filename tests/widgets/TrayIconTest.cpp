#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QtTest>

#include "lockmere/widgets/TrayIcon.h"

using namespace widgets;

namespace {

QIcon solid(Qt::GlobalColor colour) {
  QPixmap p(16, 16);
  p.fill(colour);
  return QIcon(p);
}

// A tray icon on a desktop whose notification area comes and goes at will, with
// time stepped by hand.
struct Rig {
  std::shared_ptr<ManualTimerSource> timers = std::make_shared<ManualTimerSource>();
  bool trayAvailable = true;
  TTrayIcon tray{nullptr, timers, [this] { return trayAvailable; }};
};

}  // namespace

class TrayIconTest : public QObject {
  Q_OBJECT

 private slots:
  void toolTipIsCutTo62Characters() {
    Rig rig;
    const QString seventy = QString("0123456789").repeated(7);
    rig.tray.setToolTip(seventy);
    QCOMPARE(rig.tray.toolTip(), seventy.left(62));
    QCOMPARE(rig.tray.systemTrayIcon()->toolTip(), seventy.left(62));

    const QString korean = QString::fromUtf8("록미어").repeated(24);  // 72 characters
    rig.tray.setToolTip(korean);
    QCOMPARE(rig.tray.toolTip(), korean.left(62));

    // Characters beyond the basic plane count once and are never split.
    const QString wide = QString("a").repeated(61) + QString::fromUtf8("\U0001F512") + "bcd";
    rig.tray.setToolTip(wide);
    QCOMPARE(rig.tray.toolTip(), wide.left(63));
    rig.tray.setToolTip("Lockmere");
    QCOMPARE(rig.tray.toolTip(), QString("Lockmere"));
  }

  void clicksRaiseTheirEvents() {
    Rig rig;
    QMenu menu;
    menu.addAction("Lockmere 열기(&O)");
    rig.tray.setPopupMenu(&menu);
    int clicks = 0, doubles = 0, rights = 0;
    Qt::MouseButton button = Qt::NoButton;
    rig.tray.OnClick = [&](TTrayIcon* sender) { clicks += sender == &rig.tray; };
    rig.tray.OnDblClick = [&](TTrayIcon*) { ++doubles; };
    rig.tray.OnRightClick = [&](TTrayIcon*, Qt::MouseButton b, QPoint) {
      ++rights;
      button = b;
    };
    rig.tray.setActive(true);
    emit rig.tray.systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
    emit rig.tray.systemTrayIcon()->activated(QSystemTrayIcon::DoubleClick);
    emit rig.tray.systemTrayIcon()->activated(QSystemTrayIcon::Context);
    emit rig.tray.systemTrayIcon()->activated(QSystemTrayIcon::MiddleClick);
    QCOMPARE(clicks, 1);
    QCOMPARE(doubles, 1);
    QCOMPARE(rights, 1);
    QCOMPARE(button, Qt::RightButton);
    QCOMPARE(rig.tray.systemTrayIcon()->contextMenu(), &menu);
  }

  void activeShowsAndHidesTheIcon() {
    Rig rig;
    rig.tray.setIcon(solid(Qt::red));
    QVERIFY(!rig.tray.systemTrayIcon()->isVisible());
    rig.tray.setActive(true);
    QVERIFY(rig.tray.systemTrayIcon()->isVisible());
    rig.tray.setIcon(solid(Qt::green));
    QCOMPARE(rig.tray.systemTrayIcon()->icon().cacheKey(), rig.tray.icon().cacheKey());
    rig.tray.setActive(false);
    QVERIFY(!rig.tray.systemTrayIcon()->isVisible());
  }

  void animationRunsOverTheImagesAndPutsTheIconBack() {
    Rig rig;
    const QIcon icon = solid(Qt::black);
    const QList<QIcon> images{solid(Qt::red), solid(Qt::green), solid(Qt::blue)};
    rig.tray.setIcon(icon);
    rig.tray.setAnimate(true);
    QVERIFY(!rig.tray.animate());  // no images
    rig.tray.setImages(images);
    rig.tray.setAnimate(true);
    QVERIFY(!rig.tray.animate());  // not active
    rig.tray.setActive(true);
    rig.tray.setAnimateInterval(0);  // ignored
    QCOMPARE(rig.tray.animateInterval(), 100);
    rig.tray.setAnimate(true);
    QVERIFY(rig.tray.animate());

    auto shown = [&] { return rig.tray.systemTrayIcon()->icon().cacheKey(); };
    QCOMPARE(shown(), icon.cacheKey());
    for (int tick : {0, 1, 2, 0, 1}) {
      rig.timers->advance(100);
      QCOMPARE(shown(), images[tick].cacheKey());
    }
    const QIcon newer = solid(Qt::yellow);
    rig.tray.setIcon(newer);  // waits for the animation to end
    QCOMPARE(shown(), images[1].cacheKey());
    rig.tray.setAnimate(false);
    QCOMPARE(shown(), newer.cacheKey());
    rig.timers->advance(1000);
    QCOMPARE(shown(), newer.cacheKey());

    rig.tray.setAnimate(true);
    rig.timers->advance(100);
    rig.tray.setImages({});  // the list is gone: the animation stops
    QVERIFY(!rig.tray.animate());
    QCOMPARE(shown(), newer.cacheKey());
  }

  // The notification area comes back (the panel restarted): an active icon is
  // made again with the same menu, icon and tool tip, and the events still work.
  void iconIsMadeAgainWhenTheTrayComesBack() {
    Rig rig;
    QMenu menu;
    rig.tray.setPopupMenu(&menu);
    rig.tray.setIcon(solid(Qt::red));
    rig.tray.setToolTip("Lockmere");
    int clicks = 0;
    rig.tray.OnClick = [&](TTrayIcon*) { ++clicks; };
    rig.tray.setActive(true);
    QPointer<QSystemTrayIcon> first = rig.tray.systemTrayIcon();

    rig.timers->advance(TTrayIcon::kTrayWatchInterval);
    QCOMPARE(rig.tray.systemTrayIcon(), first.data());  // nothing happened

    rig.trayAvailable = false;
    rig.timers->advance(TTrayIcon::kTrayWatchInterval);
    QCOMPARE(rig.tray.systemTrayIcon(), first.data());
    rig.trayAvailable = true;
    rig.timers->advance(TTrayIcon::kTrayWatchInterval);
    QVERIFY(!first);
    QSystemTrayIcon* again = rig.tray.systemTrayIcon();
    QVERIFY(again);
    QVERIFY(again->isVisible());
    QCOMPARE(again->contextMenu(), &menu);
    QCOMPARE(again->toolTip(), QString("Lockmere"));
    QCOMPARE(again->icon().cacheKey(), rig.tray.icon().cacheKey());
    emit again->activated(QSystemTrayIcon::Trigger);
    QCOMPARE(clicks, 1);

    // An inactive icon waits until it is activated.
    rig.tray.setActive(false);
    rig.trayAvailable = false;
    rig.timers->advance(TTrayIcon::kTrayWatchInterval);
    rig.trayAvailable = true;
    rig.timers->advance(TTrayIcon::kTrayWatchInterval);
    QCOMPARE(rig.tray.systemTrayIcon(), again);
  }
};

QTEST_MAIN(TrayIconTest)
#include "TrayIconTest.moc"
