#include "lockmere/web/SiteLoginWindows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>

#include "lockmere/users/CLoginForm.h"
#include "lockmere/users/FPLoginForm.h"
#include "lockmere/web/BrowserSideHost.h"
#include "lockmere/widgets/MSNPopUp.h"

namespace web {
namespace {

// Centred over the browser window, kept on the screen it lands on.
void placeOverBrowser(QWidget& window, const std::optional<cdp::WindowBounds>& bounds) {
  window.adjustSize();
  const QSize size = window.size();
  QScreen* screen = QGuiApplication::primaryScreen();
  QPoint at;
  if (bounds && bounds->width > 0 && bounds->height > 0) {
    // Division toward zero, as the browser's own place is given.
    at = QPoint(bounds->left + (bounds->width - size.width()) / 2, bounds->top + (bounds->height - size.height()) / 2);
    if (QScreen* s = QGuiApplication::screenAt(QPoint(bounds->left + bounds->width / 2, bounds->top))) screen = s;
  } else if (screen) {
    at = screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2);
  }
  if (screen) {
    const QRect area = screen->availableGeometry();
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
  }
  window.move(at);
}

}  // namespace

void PendingPage::bringToForeground() { BringToFront(login_.browser); }

void PendingPage::fillLoginForm() {
  if (!host_.loggedIn()) return;
  const store::TRegSiteCollItem* site = host_.registeredSites().RegSites().findById(login_.siteId);
  if (!site) return;
  filled_ = true;
  FillLoginPage(login_, *site);
}

void PendingPage::pressAndRelease(Key key) {
  // A page left unfilled is not submitted.
  if (!filled_) return;
  login_.browser->pressKey(key == Key::End ? cdp::Key::End : cdp::Key::Enter);
}

void SiteLoginWindows::openConfirm(const PendingLogin& login) {
  freeConfirm();
  auto* form = new users::TCLoginForm(host_.sessionHost(), login.browserWindow,
                                      std::make_unique<PendingPage>(host_, login), host_.mainWindow());
  confirm_ = form;
  // Gone from our books as soon as it is done; Qt frees it after its handlers.
  QObject::connect(form, &QDialog::finished, form, [this, form] {
    if (confirm_ == form) confirm_.clear();
  });
  try {
    placeOverBrowser(*form, login.bounds);
    form->show();
    form->raise();
    form->activateWindow();
  } catch (const std::exception&) {
    freeConfirm();
  }
}

void SiteLoginWindows::openFingerprint(const PendingLogin& login) {
  freeFingerprint();
  fingerprint_ = new users::TFPLoginForm(host_.sessionHost(), host_.settings(), login.browserWindow,
                                         QString::fromStdString(login.pageTitle),
                                         std::make_unique<PendingPage>(host_, login), host_.popup().environment());
}

void SiteLoginWindows::freeConfirm() {
  users::TCLoginForm* form = confirm_;
  confirm_.clear();
  if (!form) return;
  // Done at once (its verification stopped, nothing fills any more); deleted
  // later, since the window may be inside a message box of its own.
  form->reject();
  form->deleteLater();
}

void SiteLoginWindows::freeFingerprint() {
  // Never inside a nested event loop of its own: deleted at once, so that no
  // finger laid afterwards can fill the page.
  delete fingerprint_.data();
}

void SiteLoginWindows::freeAll() {
  freeFingerprint();
  freeConfirm();
}

void SiteLoginWindows::freeWindowsOf(platform::WindowHandle browserWindow) {
  const QString name = users::TCLoginForm::siteWindowName(browserWindow);
  if (fingerprint_ && fingerprint_->objectName() == name) freeFingerprint();
  host_.popup().ClosePopUpOf(browserWindow);
  if (confirm_ && confirm_->objectName() == name) freeConfirm();
}

bool SiteLoginWindows::raiseConfirm() {
  if (!confirm_) return false;
  if (!confirm_->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) confirm_->setWindowFlag(Qt::WindowStaysOnTopHint);
  confirm_->show();
  confirm_->raise();
  confirm_->activateWindow();
  return true;
}

}  // namespace web
