#include "lockmere/users/RetryWaitLabel.h"

#include "lockmere/texts/Language.h"
#include "lockmere/users/PasswordAttempts.h"

namespace users {

RetryWaitLabel::RetryWaitLabel(QWidget* parent, PasswordAttempts* attempts)
    : QLabel(parent), attempts_(attempts ? *attempts : PasswordAttempts::shared()) {
  setObjectName(QStringLiteral("lbRetryWait"));
  setWordWrap(true);
  setStyleSheet(QStringLiteral("color: #b00000"));
  hide();
  timer_.setInterval(200);
  connect(&timer_, &QTimer::timeout, this, &RetryWaitLabel::tick);
}

void RetryWaitLabel::setLockedWidgets(const QList<QWidget*>& widgets) {
  locked_.clear();
  for (QWidget* w : widgets) locked_.append(w);
}

void RetryWaitLabel::refresh() {
  if (attempts_.remainingWait().count() == 0) return;
  setLocked(true);
  show();
  timer_.start();
  tick();
}

void RetryWaitLabel::tick() {
  const auto left = attempts_.remainingWait();
  if (left.count() == 0) {
    timer_.stop();
    hide();
    setLocked(false);
    emit waitOver();
    return;
  }
  const auto seconds = (left.count() + 999) / 1000;
  setText(QString::fromUtf8(texts::isJapanese() ? kWaitJa : kWaitKo).arg(seconds));
}

void RetryWaitLabel::setLocked(bool locked) {
  for (const auto& w : locked_)
    if (w) w->setEnabled(!locked);
}

}  // namespace users
