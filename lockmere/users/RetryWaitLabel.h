#pragma once

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QTimer>

namespace users {

class PasswordAttempts;

// Shows how long the user has to wait before the next password attempt (see
// PasswordAttempts) and keeps the password controls disabled meanwhile. Hidden
// while no wait is due.
class RetryWaitLabel : public QLabel {
  Q_OBJECT

 public:
  static constexpr const char* kWaitKo = "비밀번호가 여러 번 틀렸습니다. %1초 후에 다시 입력할 수 있습니다.";
  static constexpr const char* kWaitJa = "パスワードを何度も間違えました。%1秒後に再入力できます。";

  explicit RetryWaitLabel(QWidget* parent = nullptr, PasswordAttempts* attempts = nullptr);

  // The controls disabled while a wait is due.
  void setLockedWidgets(const QList<QWidget*>& widgets);
  // Starts showing a due wait (after a failed attempt, and when the window opens).
  void refresh();
  bool isWaiting() const { return timer_.isActive(); }

 signals:
  void waitOver();

 private:
  void tick();
  void setLocked(bool locked);

  PasswordAttempts& attempts_;
  QList<QPointer<QWidget>> locked_;
  QTimer timer_;
};

}  // namespace users
