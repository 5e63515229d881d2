#pragma once

#include <QDialog>
#include <array>

#include "platform/WindowMessages.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace web {

class RegistrationHost;
struct SiteFormValues;

// The site form: a new site (empty, or pre-filled from a login form captured on
// a page) or an existing one to change. It saves into the live site list and
// the site tree and has the store saved; after a new site from a browser window
// it asks the main window to log in on that window (0x503).
class TAddSiteForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 437;
  static constexpr int kClientHeight = 462;
  static constexpr int kExtraRowHeight = 32;

  // siteId: the record in the detected list (addMode) or in the live list
  // (modify), -1 for an empty new site. browserWindow: where a captured record
  // came from, 0 for none.
  TAddSiteForm(RegistrationHost& host, int siteId, bool addMode, platform::WindowHandle browserWindow,
               QWidget* parent = nullptr);
  ~TAddSiteForm() override;

  int siteId() const { return siteId_; }
  bool addMode() const { return addMode_; }
  platform::WindowHandle browserWindow() const { return browserWindow_; }
  // The login type of the selected button (1 to 5).
  int selectedLoginType() const;

  // The window's controls, for tests and pictures.
  QLineEdit* EdtSiteURL = nullptr;
  QComboBox* CBURLKeyword = nullptr;
  QLineEdit* EdtSiteName = nullptr;
  QLineEdit* EdtUserID = nullptr;
  QLabel* LBDomain = nullptr;
  QComboBox* CBDomain = nullptr;
  QLineEdit* EdtPassword = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QFrame* Panel2 = nullptr;
  std::array<QLineEdit*, 3> EdMore{};  // EdMore1..EdMore3
  std::array<QLabel*, 3> LbMore{};     // LbMore1..LbMore3
  QFrame* Panel1 = nullptr;            // the bottom panel
  QComboBox* CBCate = nullptr;
  QGroupBox* GroupBox1 = nullptr;              // the login type
  std::array<QRadioButton*, 5> RadioButton{};  // RadioButton1..RadioButton5 = login types 1..5
  QGroupBox* GroupBox2 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* BtnOK = nullptr;
  QPushButton* BtnCancel = nullptr;

 public slots:
  void BtnOKClick();
  void BtnCancelClick();
  void CheckBox1Click();
  void EdtSiteURLChange();
  void RadioButtonClick();
  // The keyword box's suggestions for an address (also on every change of the address).
  void SuggestKeywords(const QString& address);

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void buildControls();
  void FormCreate();
  void FormShow();
  void showRecordExtras(bool modify);
  void selectFolder(int cateId);
  void selectTreeFolder();
  void applyPasswordMasks();
  bool refuse(const QString& text, QLineEdit* focus);
  void collect(SiteFormValues& values) const;
  void saveNewSite(const SiteFormValues& values);
  void saveEditedSite(const SiteFormValues& values);

  RegistrationHost& host_;
  const int siteId_;
  const bool addMode_;
  const platform::WindowHandle browserWindow_;
  QButtonGroup* loginTypes_ = nullptr;
  std::array<bool, 3> maskedExtra_{};  // EdMore k holds a password field
  bool shown_ = false;
};

}  // namespace web
