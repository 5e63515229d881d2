#include "lockmere/widgets/TrayIcon.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

namespace widgets {

QString cutToCharacters(const QString& text, int n) {
  qsizetype end = 0;
  for (int count = 0; count < n && end < text.size(); ++count)
    end += text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
  return text.left(end);
}

TTrayIcon::TTrayIcon(QObject* parent, std::shared_ptr<TimerSource> timers, std::function<bool()> trayAvailable)
    : QObject(parent), trayAvailable_(std::move(trayAvailable)) {
  if (!trayAvailable_) trayAvailable_ = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  if (!timers) timers = TimerSource::system();
  animation_ = timers->createTimer();
  animation_->setInterval(animateInterval_);
  animation_->onTimeout = [this] { animationTick(); };
  watch_ = timers->createTimer();
  watch_->setInterval(kTrayWatchInterval);
  watch_->onTimeout = [this] { watchTick(); };
  trayWasAvailable_ = trayAvailable_();
  watch_->start();
  createTrayIcon();
}

TTrayIcon::~TTrayIcon() {
  if (tray_) tray_->hide();
}

void TTrayIcon::createTrayIcon() {
  QSystemTrayIcon* old = tray_;
  tray_ = new QSystemTrayIcon(this);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
      case QSystemTrayIcon::Trigger:
        if (auto handler = OnClick) handler(this);
        break;
      case QSystemTrayIcon::DoubleClick:
        if (auto handler = OnDblClick) handler(this);
        break;
      case QSystemTrayIcon::Context:
        // The desktop pops the menu up itself (it is the icon's context menu).
        if (auto handler = OnRightClick) handler(this, Qt::RightButton, QCursor::pos());
        break;
      default:
        break;
    }
  });
  if (!shown_.isNull()) tray_->setIcon(shown_);
  tray_->setToolTip(toolTip_);
  tray_->setContextMenu(menu_);
  if (active_) tray_->show();
  if (old) {
    old->hide();
    delete old;
  }
}

void TTrayIcon::setActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (active) {
    tray_->show();
  } else {
    stopAnimation();
    tray_->hide();
  }
}

void TTrayIcon::showIcon(const QIcon& icon) {
  shown_ = icon;
  tray_->setIcon(icon);
}

void TTrayIcon::setIcon(const QIcon& icon) {
  icon_ = icon;
  // While animating, the icon comes back when the animation stops.
  if (!animate_) showIcon(icon);
}

void TTrayIcon::setToolTip(const QString& toolTip) {
  toolTip_ = cutToCharacters(toolTip, kToolTipLength);
  tray_->setToolTip(toolTip_);
}

void TTrayIcon::setPopupMenu(QMenu* menu) {
  menu_ = menu;
  tray_->setContextMenu(menu);
}

void TTrayIcon::setAnimate(bool animate) {
  if (!animate) {
    stopAnimation();
    return;
  }
  if (animate_ || images_.isEmpty() || !active_) return;
  animate_ = true;
  nextImage_ = 0;
  animation_->setInterval(animateInterval_);
  animation_->start();
}

void TTrayIcon::stopAnimation() {
  if (!animate_) return;
  animate_ = false;
  animation_->stop();
  showIcon(icon_);
}

void TTrayIcon::setAnimateInterval(int ms) {
  if (ms <= 0) return;
  animateInterval_ = ms;
  animation_->setInterval(ms);
}

void TTrayIcon::setImages(const QList<QIcon>& images) {
  images_ = images;
  if (images_.isEmpty())
    stopAnimation();
  else
    nextImage_ %= images_.size();
}

void TTrayIcon::animationTick() {
  if (images_.isEmpty()) return stopAnimation();
  showIcon(images_.at(nextImage_));
  nextImage_ = (nextImage_ + 1) % images_.size();
}

void TTrayIcon::watchTick() {
  const bool available = trayAvailable_();
  if (available && !trayWasAvailable_ && active_) createTrayIcon();
  trayWasAvailable_ = available;
}

}  // namespace widgets
