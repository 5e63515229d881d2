#pragma once

#include <QDialog>

#include "lockmere/shell/ConfigValues.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace shell {

class ConfigHost;

// The settings window: the logged-in user's settings, the start-up entry and
// the automatic login on four pages. Not modal, with its own taskbar button;
// freed when closed. Storing applies every setting to the main window at once.
class TConfigForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Lockmere - 환경설정";
  static constexpr const char* kSave = "확인(&O)";
  static constexpr const char* kCancel = "취소(&C)";
  static constexpr const char* kPageBasic = " 기본설정 ";
  static constexpr const char* kPageAction = " 동작설정 ";
  static constexpr const char* kPageSecurity = " 보안설정 ";
  static constexpr const char* kPageSensor = " 지문인식기 설정 ";
  static constexpr const char* kAutoRun = "Windows 시작시 자동으로 실행";
  static constexpr const char* kMinimizeRun = "Windows 시작시 Lockmere 최소화 상태로 실행";
  static constexpr const char* kMostOnTop = "Lockmere를 항상 화면의 가장위에 ";
  static constexpr const char* kGoTrayAtExit = "종료(X)버튼 누르면 Lockmere를 트레이로 보내기";
  static constexpr const char* kGoTrayAtSiteOpen = "Lockmere에서 사이트 선택하여 오픈시 Lockmere창을 트레이로 보내기";
  static constexpr const char* kUseDefaultLoginType = "사이트 등록시 로그인 방법을 아래의 항목을 기본으로 하기 ";
  static constexpr const char* kLoginTypes[5] = {"자동 로그인", "수동 로그인", "확인 후 로그인",
                                                 "지문을 사용하여 로그인", "스크립트를 사용하여 자동 로그인"};
  static constexpr const char* kAutoGetIEURL = "인터넷 익스플로러 주소변경 자동감지";
  static constexpr const char* kAlarmNewSite = "새 사이트 알림 메세지 표시";
  static constexpr const char* kAlarmNewSiteNote = "(등록되지 않은 사이트 감지시 보여지는 알림 메세지)";
  static constexpr const char* kRetryGroup = " 사이트 자동로그인 재시도 지연시간 ";
  static constexpr const char* kSeconds = "초";
  static constexpr const char* kAutoLogin = "Lockmere시작시 자동으로 로그인";
  static constexpr const char* kLockPassword = "사이트 정보 보기의 비밀번호 보기기능 막기";
  static constexpr const char* kAutoLogoutGroup = " 자동 로그아웃 설정 ";
  static constexpr const char* kAutoLogoutNote =
      "사용자 부재시 데이타를 안전하게 보호하기위해 컴퓨터의 입력이 없은후로 아래의 시간이 경과하면 자동로그아웃 "
      "합니다.";
  static constexpr const char* kAutoLogout = "사용함";
  static constexpr const char* kAutoLogoutUnit = "분뒤 자동 로그아웃";
  static constexpr const char* kAllIEClose = "자동 로그아웃시 열려있는 모든 인터넷 익스플로러 닫기";
  static constexpr const char* kAlarmFPIMsg = "지문로그인 사용시 지문입력 메세지 표시";
  static constexpr const char* kFPIWaitGroup = " 지문로그인 사용시 - 지문 입력 대기시간 설정 ";
  // Next to "사용함" when this desktop reports no input to the idle watch.
  static constexpr const char* kNoIdleSourceKo =
      "(이 데스크톱에서는 입력을 감지할 수 없어 자동 로그아웃이 동작하지 않습니다)";
  static constexpr const char* kNoIdleSourceJa =
      "(このデスクトップでは入力を検出できないため、自動ログアウトは動作しません)";

  explicit TConfigForm(ConfigHost& host, QWidget* parent = nullptr);
  ~TConfigForm() override;

  // The controls' states.
  ConfigValues values() const;

 public slots:
  void BtnSaveClick();
  void Button2Click();
  void CBAutoRunClick();
  void CBUseDefaultLoginTypeClick();
  void CBAutoLogoutClick();

 private:
  void FormCreate();
  void buildControls();
  QWidget* basicPage();
  QWidget* actionPage();
  QWidget* securityPage();
  QWidget* sensorPage();

  ConfigHost& host_;
  platform::Registry registry_;

  QTabWidget* PageControl1 = nullptr;
  QCheckBox* CBAutoRun = nullptr;
  QCheckBox* CBMinimizeRun = nullptr;
  QCheckBox* CBMostOnTop = nullptr;
  QCheckBox* CBGoTrayAtExit = nullptr;
  QCheckBox* CBGoTrayAtSiteOpen = nullptr;
  QCheckBox* CBUseDefaultLoginType = nullptr;
  QComboBox* CBDefaultLoginType = nullptr;
  QCheckBox* CBAutoGetIEURL = nullptr;
  QCheckBox* CBAlarmNewSite = nullptr;
  QSpinBox* SEALRetryTime = nullptr;
  QCheckBox* CBAutoLogin = nullptr;
  QCheckBox* CBLockPassword = nullptr;
  QCheckBox* CBAutoLogout = nullptr;
  QLabel* lbNoIdleSource = nullptr;
  QSpinBox* SEAutoLogoutTime = nullptr;
  QCheckBox* CBAllIEClose = nullptr;
  QCheckBox* CBAlarmFPIMsg = nullptr;
  QSpinBox* SEFPIWaitTime = nullptr;
  QPushButton* BtnSave = nullptr;
  QPushButton* Button2 = nullptr;
};

}  // namespace shell
