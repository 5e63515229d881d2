#include "lockmere/shell/ConfigForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "lockmere/shell/ConfigHost.h"
#include "lockmere/texts/Language.h"
#include "lockmere/texts/StringTable.h"

namespace shell {
namespace {

QString q(const char* text) { return QString::fromUtf8(text); }

template <class Widget, class... Args>
Widget* named(const char* name, Args&&... args) {
  auto* w = new Widget(std::forward<Args>(args)...);
  w->setObjectName(QLatin1String(name));
  return w;
}

QSpinBox* spin(const char* name, int low, int high, int initial) {
  auto* s = named<QSpinBox>(name);
  s->setRange(low, high);
  s->setValue(initial);
  return s;
}

// A spin box with its unit after it.
QHBoxLayout* withUnit(QSpinBox* spin, const char* unit) {
  auto* row = new QHBoxLayout;
  row->addWidget(spin);
  row->addWidget(new QLabel(q(unit)));
  row->addStretch(1);
  return row;
}

QLabel* note(const char* text) {
  auto* label = new QLabel(q(text));
  label->setWordWrap(true);
  return label;
}

}  // namespace

TConfigForm::TConfigForm(ConfigHost& host, QWidget* parent)
    : QDialog(parent, Qt::Window), host_(host), registry_(platform::Registry::CurrentUser) {
  setObjectName(QStringLiteral("ConfigForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  buildControls();
  FormCreate();
}

TConfigForm::~TConfigForm() = default;

void TConfigForm::buildControls() {
  setWindowTitle(q(kCaption));
  setFont(texts::uiFont());
  PageControl1 = named<QTabWidget>("PageControl1", this);
  PageControl1->addTab(basicPage(), q(kPageBasic));
  PageControl1->addTab(actionPage(), q(kPageAction));
  PageControl1->addTab(securityPage(), q(kPageSecurity));
  PageControl1->addTab(sensorPage(), q(kPageSensor));

  BtnSave = named<QPushButton>("BtnSave", q(kSave), this);
  Button2 = named<QPushButton>("Button2", q(kCancel), this);
  for (QPushButton* b : {BtnSave, Button2}) b->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(BtnSave);
  buttons->addWidget(Button2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(BtnSave, &QPushButton::clicked, this, &TConfigForm::BtnSaveClick);
  connect(Button2, &QPushButton::clicked, this, &TConfigForm::Button2Click);
  connect(CBAutoRun, &QCheckBox::clicked, this, &TConfigForm::CBAutoRunClick);
  connect(CBUseDefaultLoginType, &QCheckBox::clicked, this, &TConfigForm::CBUseDefaultLoginTypeClick);
  connect(CBAutoLogout, &QCheckBox::clicked, this, &TConfigForm::CBAutoLogoutClick);
}

QWidget* TConfigForm::basicPage() {
  auto* page = named<QWidget>("TabSheet1");
  CBAutoRun = named<QCheckBox>("CBAutoRun", q(kAutoRun));
  CBMinimizeRun = named<QCheckBox>("CBMinimizeRun", q(kMinimizeRun));
  CBMostOnTop = named<QCheckBox>("CBMostOnTop", q(kMostOnTop));
  CBGoTrayAtExit = named<QCheckBox>("CBGoTrayAtExit", q(kGoTrayAtExit));
  CBGoTrayAtSiteOpen = named<QCheckBox>("CBGoTrayAtSiteOpen", q(kGoTrayAtSiteOpen));
  CBUseDefaultLoginType = named<QCheckBox>("CBUseDefaultLoginType", q(kUseDefaultLoginType));
  CBDefaultLoginType = named<QComboBox>("CBDefaultLoginType");
  for (const char* type : kLoginTypes) CBDefaultLoginType->addItem(q(type));
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(CBAutoRun);
  auto* minimize = new QHBoxLayout;
  minimize->addSpacing(20);
  minimize->addWidget(CBMinimizeRun);
  layout->addLayout(minimize);
  for (QWidget* w : {CBMostOnTop, CBGoTrayAtExit, CBGoTrayAtSiteOpen, CBUseDefaultLoginType}) layout->addWidget(w);
  auto* type = new QHBoxLayout;
  type->addSpacing(20);
  type->addWidget(CBDefaultLoginType);
  type->addStretch(1);
  layout->addLayout(type);
  layout->addStretch(1);
  return page;
}

QWidget* TConfigForm::actionPage() {
  auto* page = named<QWidget>("TabSheet2");
  CBAutoGetIEURL = named<QCheckBox>("CBAutoGetIEURL", q(kAutoGetIEURL));
  CBAlarmNewSite = named<QCheckBox>("CBAlarmNewSite", q(kAlarmNewSite));
  SEALRetryTime = spin("SEALRetryTime", 0, 100, 10);
  auto* group = named<QGroupBox>("GroupBox1", q(kRetryGroup));
  group->setLayout(withUnit(SEALRetryTime, kSeconds));
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(CBAutoGetIEURL);
  layout->addWidget(CBAlarmNewSite);
  auto* alarmNote = new QHBoxLayout;
  alarmNote->addSpacing(20);
  alarmNote->addWidget(note(kAlarmNewSiteNote));
  layout->addLayout(alarmNote);
  layout->addWidget(group);
  layout->addStretch(1);
  return page;
}

QWidget* TConfigForm::securityPage() {
  auto* page = named<QWidget>("TabSheet3");
  CBAutoLogin = named<QCheckBox>("CBAutoLogin", q(kAutoLogin));
  CBLockPassword = named<QCheckBox>("CBLockPassword", q(kLockPassword));
  CBAutoLogout = named<QCheckBox>("CBAutoLogout", q(kAutoLogout));
  lbNoIdleSource = named<QLabel>("lbNoIdleSource", q(texts::isJapanese() ? kNoIdleSourceJa : kNoIdleSourceKo));
  lbNoIdleSource->setWordWrap(true);
  lbNoIdleSource->setStyleSheet(QStringLiteral("color: #b00000"));
  lbNoIdleSource->setVisible(!host_.idleSourceAvailable());
  SEAutoLogoutTime = spin("SEAutoLogoutTime", 1, 120, 5);
  CBAllIEClose = named<QCheckBox>("CBAllIEClose", q(kAllIEClose));

  auto* group = named<QGroupBox>("GroupBox2", q(kAutoLogoutGroup));
  auto* inGroup = new QVBoxLayout(group);
  inGroup->addWidget(note(kAutoLogoutNote));
  auto* use = new QHBoxLayout;
  use->addWidget(CBAutoLogout);
  use->addWidget(lbNoIdleSource, 1);
  inGroup->addLayout(use);
  inGroup->addLayout(withUnit(SEAutoLogoutTime, kAutoLogoutUnit));
  inGroup->addWidget(CBAllIEClose);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(CBAutoLogin);
  layout->addWidget(CBLockPassword);
  layout->addWidget(group);
  layout->addStretch(1);
  return page;
}

QWidget* TConfigForm::sensorPage() {
  auto* page = named<QWidget>("TabSheet4");
  CBAlarmFPIMsg = named<QCheckBox>("CBAlarmFPIMsg", q(kAlarmFPIMsg));
  SEFPIWaitTime = spin("SEFPIWaitTime", 2, 100, 5);
  auto* group = named<QGroupBox>("GroupBox3", q(kFPIWaitGroup));
  group->setLayout(withUnit(SEFPIWaitTime, kSeconds));
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(CBAlarmFPIMsg);
  layout->addWidget(group);
  layout->addStretch(1);
  return page;
}

void TConfigForm::FormCreate() {
  PageControl1->setCurrentIndex(0);
  const ConfigValues v = ConfigValues::load(registry_, host_.currentUserId());
  CBAutoRun->setChecked(v.AutoRun);
  CBMinimizeRun->setChecked(v.MinimizeRun);
  CBMostOnTop->setChecked(v.MostOnTop);
  CBGoTrayAtExit->setChecked(v.GoTrayAtExit);
  CBGoTrayAtSiteOpen->setChecked(v.GoTrayAtSiteOpen);
  CBUseDefaultLoginType->setChecked(v.UseDefaultLoginType);
  CBDefaultLoginType->setCurrentIndex(v.DefaultLoginTypeIndex);
  CBAutoGetIEURL->setChecked(v.AutoGetIEURL);
  CBAlarmNewSite->setChecked(v.AlarmNewSite);
  SEALRetryTime->setValue(v.ALRetryTime);
  CBAutoLogin->setChecked(v.AutoLogin);
  CBLockPassword->setChecked(v.LockPassword);
  CBAutoLogout->setChecked(v.AutoLogout);
  SEAutoLogoutTime->setValue(v.AutoLogoutTime);
  CBAllIEClose->setChecked(v.AllIEClose);
  CBAlarmFPIMsg->setChecked(v.AlarmFPIMsg);
  SEFPIWaitTime->setValue(v.FPIWaitTime);
  CBAutoRunClick();
  CBUseDefaultLoginTypeClick();
  CBAutoLogoutClick();
}

ConfigValues TConfigForm::values() const {
  ConfigValues v;
  v.AutoRun = CBAutoRun->isChecked();
  v.MinimizeRun = CBMinimizeRun->isChecked();
  v.MostOnTop = CBMostOnTop->isChecked();
  v.GoTrayAtExit = CBGoTrayAtExit->isChecked();
  v.GoTrayAtSiteOpen = CBGoTrayAtSiteOpen->isChecked();
  v.UseDefaultLoginType = CBUseDefaultLoginType->isChecked();
  v.DefaultLoginTypeIndex = CBDefaultLoginType->currentIndex();
  v.AutoGetIEURL = CBAutoGetIEURL->isChecked();
  v.AlarmNewSite = CBAlarmNewSite->isChecked();
  v.ALRetryTime = SEALRetryTime->value();
  v.AutoLogin = CBAutoLogin->isChecked();
  v.LockPassword = CBLockPassword->isChecked();
  v.AutoLogout = CBAutoLogout->isChecked();
  v.AutoLogoutTime = SEAutoLogoutTime->value();
  v.AllIEClose = CBAllIEClose->isChecked();
  v.AlarmFPIMsg = CBAlarmFPIMsg->isChecked();
  v.FPIWaitTime = SEFPIWaitTime->value();
  return v;
}

void TConfigForm::CBAutoRunClick() { CBMinimizeRun->setEnabled(CBAutoRun->isChecked()); }

void TConfigForm::CBUseDefaultLoginTypeClick() { CBDefaultLoginType->setEnabled(CBUseDefaultLoginType->isChecked()); }

void TConfigForm::CBAutoLogoutClick() {
  SEAutoLogoutTime->setEnabled(CBAutoLogout->isChecked());
  CBAllIEClose->setEnabled(CBAutoLogout->isChecked());
}

void TConfigForm::BtnSaveClick() {
  std::string error;
  if (!values().store(registry_, host_, QCoreApplication::applicationFilePath().toStdString(), &error))
    qWarning() << "the settings were not stored completely:" << QString::fromStdString(error);
  close();
}

void TConfigForm::Button2Click() { close(); }

}  // namespace shell
