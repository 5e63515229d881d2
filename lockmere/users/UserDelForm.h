#pragma once

#include "lockmere/users/OneOfAKind.h"
#include "lockmere/users/ReauthForm.h"

class QGroupBox;
class QLabel;

namespace users {

// The user deletion window: the logged-in user confirms by password or finger,
// then their registry key and data file are deleted. Modal and topmost;
// mrOK only when both went (the main window then logs out).
class TUserDelForm : public ReauthForm, public OneOfAKind<TUserDelForm> {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Lockmere - 아이디 삭제";
  static constexpr const char* kGroupCaption = " 아이디를 삭제하시려면 비밀번호를 입력하세요 ";
  static constexpr const char* kIdLabel = "아  이  디 :";
  static constexpr const char* kPasswordLabel = "비밀번호 :";
  static constexpr const char* kWarningCaption = " 경고 ";
  static constexpr const char* kWarning =
      "아이디를 삭제하시면 저장되어 있는 정보도 함께 삭제\r\n되며, 삭제된 데이타는 복구 할 수 없습니다.";
  static constexpr int kTopBelowMainWindow = 90;

  explicit TUserDelForm(SessionHost& host, QWidget* parent = nullptr);
  ~TUserDelForm() override;

 protected:
  void confirmed() override;
  void showStatus(const QString& text, bool replace) override;

 private:
  QGroupBox* GroupBox1 = nullptr;
  QLabel* Label1 = nullptr;  // "아  이  디 :"
  QLabel* Label2 = nullptr;  // the current ID
  QLabel* Label3 = nullptr;  // "비밀번호 :"
  QLabel* Label5 = nullptr;  // the sensor status
  QGroupBox* GroupBox2 = nullptr;
  QLabel* Label4 = nullptr;  // the warning
};

}  // namespace users
