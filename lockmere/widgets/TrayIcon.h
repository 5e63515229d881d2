#pragma once

#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "lockmere/widgets/Timers.h"

class QSystemTrayIcon;

namespace widgets {

// The program's icon in the desktop's notification area (over QSystemTrayIcon),
// with a tool tip, a popup menu, click events and an optional animation over a
// list of images.
//
//   tray_ = new widgets::TTrayIcon(this);
//   tray_->setPopupMenu(TrayPopupMenu);
//   tray_->OnClick = [this](widgets::TTrayIcon*) { OpenLockmereMainClick(); };
//   tray_->setIcon(windowIcon());
//   tray_->setToolTip("Lockmere");
//   tray_->setActive(true);
//
// When the desktop's notification area comes back (the panel was restarted, or
// it started after the program), an active icon is made again with the same
// menu, icon and tool tip: a new QSystemTrayIcon behind the same TTrayIcon, so
// handlers stay connected. The watch asks QSystemTrayIcon::isSystemTrayAvailable()
// every kTrayWatchInterval ms.
class TTrayIcon : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool Active READ active WRITE setActive)
  Q_PROPERTY(bool Animate READ animate WRITE setAnimate)
  Q_PROPERTY(int AnimateInterval READ animateInterval WRITE setAnimateInterval)
  Q_PROPERTY(bool ShowDesigning READ showDesigning WRITE setShowDesigning)
  Q_PROPERTY(QIcon Icon READ icon WRITE setIcon)
  Q_PROPERTY(QString ToolTip READ toolTip WRITE setToolTip)

 public:
  static constexpr int kToolTipLength = 62;
  static constexpr int kTrayWatchInterval = 2000;

  // trayAvailable answers whether the desktop has a notification area (default
  // QSystemTrayIcon::isSystemTrayAvailable).
  explicit TTrayIcon(QObject* parent = nullptr, std::shared_ptr<TimerSource> timers = {},
                     std::function<bool()> trayAvailable = {});
  ~TTrayIcon() override;

  bool active() const { return active_; }
  void setActive(bool active);
  // Starts the animation only with images and an active icon; stopping it puts
  // the icon back.
  bool animate() const { return animate_; }
  void setAnimate(bool animate);
  int animateInterval() const { return animateInterval_; }
  void setAnimateInterval(int ms);  // 0 or less is ignored
  // Nothing is designed here; kept for the component's interface.
  bool showDesigning() const { return showDesigning_; }
  void setShowDesigning(bool show) { showDesigning_ = show; }
  QIcon icon() const { return icon_; }
  void setIcon(const QIcon& icon);
  // An empty list stops the animation.
  QList<QIcon> images() const { return images_; }
  void setImages(const QList<QIcon>& images);
  // Cut to its first 62 characters.
  QString toolTip() const { return toolTip_; }
  void setToolTip(const QString& toolTip);
  QMenu* popupMenu() const { return menu_; }
  void setPopupMenu(QMenu* menu);

  // The icon on show now (an animation image while animating).
  QIcon shownIcon() const { return shown_; }
  // The desktop's icon behind this one; replaced when the notification area returns.
  QSystemTrayIcon* systemTrayIcon() const { return tray_; }

  std::function<void(TTrayIcon* sender)> OnClick;
  std::function<void(TTrayIcon* sender)> OnDblClick;
  std::function<void(TTrayIcon* sender, Qt::MouseButton button, QPoint cursor)> OnRightClick;

 private:
  void createTrayIcon();
  void showIcon(const QIcon& icon);
  void animationTick();
  void watchTick();
  void stopAnimation();

  bool active_ = false;
  bool animate_ = false;
  int animateInterval_ = 100;
  bool showDesigning_ = false;
  QIcon icon_;
  QIcon shown_;
  QIcon savedIcon_;
  QList<QIcon> images_;
  int nextImage_ = 0;
  QString toolTip_;
  QPointer<QMenu> menu_;
  QSystemTrayIcon* tray_ = nullptr;
  std::function<bool()> trayAvailable_;
  bool trayWasAvailable_ = false;
  std::unique_ptr<Timer> animation_;
  std::unique_ptr<Timer> watch_;
};

// A text cut to its first n characters, never inside a character that takes two
// UTF-16 units.
QString cutToCharacters(const QString& text, int n);

}  // namespace widgets
