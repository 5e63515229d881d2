#include <QApplication>
#include <QResizeEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWheelEvent>

#include "lockmere/shell/MainForm.h"
#include "lockmere/web/ExplorerFrame.h"
#include "lockmere/widgets/TrayIcon.h"

namespace shell {

void TMainForm::letPendingMessagesRun() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void TMainForm::hideToTray() {
  letPendingMessagesRun();
  hiddenOrClosing_ = true;
  if (tray_ && !tray_->active()) {
    tray_->setIcon(windowIcon());
    tray_->setToolTip(kTitle);
    tray_->setActive(true);
  }
  // Without a notification area a hidden window could never be shown again
  // (and a second start ends at once): it goes to the taskbar instead.
  if (QSystemTrayIcon::isSystemTrayAvailable())
    hide();
  else
    showMinimized();
}

void TMainForm::OpenLockmereMainClick() {
  letPendingMessagesRun();
  if (isMinimized())
    showNormal();
  else
    show();
  applyStayOnTop();
  raise();
  activateWindow();
  hiddenOrClosing_ = false;
}

void TMainForm::MNExitClick() {
  hiddenOrClosing_ = true;
  close();
}

void TMainForm::TrayMenu_CloseClick() {
  // While the window is visible this is the close button: with GoTrayAtExit
  // it goes to the tray instead.
  if (isVisible() && !isMinimized()) hiddenOrClosing_ = false;
  close();
}

void TMainForm::applyStayOnTop() {
  const bool onTop = loggedIn_ && settings_.StayOnTop;
  if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
  if (visible) show();  // changing the flags hides the window
}

void TMainForm::setStayOnTop(bool onTop) {
  settings_.StayOnTop = onTop;
  applyStayOnTop();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  const QSize size = event->size();
  if ((size.width() < kMinWidth || size.height() < kMinHeight) && event->oldSize().isValid() &&
      event->oldSize().width() >= kMinWidth && event->oldSize().height() >= kMinHeight) {
    // Refused as a whole: the window keeps the size it had.
    const QSize old = event->oldSize();
    QTimer::singleShot(0, this, [this, old] { resize(old); });
    return;
  }
  QMainWindow::resizeEvent(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  // Over the tree too, the wheel moves one line rather than the desktop's three.
  if (event->type() == QEvent::Wheel && watched == explorer_->TVRegSite->viewport()) {
    wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0 || !loggedIn_) return QMainWindow::wheelEvent(event);
  explorer_->scrollTreeLine(delta > 0);
  event->accept();
}

}  // namespace shell
