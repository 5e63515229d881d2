#include "lockmere/tools/account/ui/PasswordGenWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/tools/account/core/PasswordGenerator.h"
#include "lockmere/tools/account/ui/ToolTexts.h"

namespace account::ui {

PasswordGenWindow::PasswordGenWindow(platform::WindowHandle owner)
    : ToolWindow(owner, platform::msg::kPasswordGenClosed, text(Text::PasswordGenTitle)) {
  setObjectName(QStringLiteral("PasswordGenForm"));
  const PasswordRecipe defaults;
  length_ = new QSpinBox(this);
  length_->setObjectName(QStringLiteral("SELength"));
  length_->setRange(kMinGeneratedLength, kMaxGeneratedLength);
  length_->setValue(defaults.length);
  length_->setMaximumWidth(length_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) * 3);
  auto box = [this](Text label, const char* name, bool on) {
    auto* b = new QCheckBox(text(label), this);
    b->setObjectName(QLatin1String(name));
    b->setChecked(on);
    return b;
  };
  upper_ = box(Text::UpperClass, "CBUpper", defaults.upper);
  lower_ = box(Text::LowerClass, "CBLower", defaults.lower);
  digits_ = box(Text::DigitClass, "CBDigits", defaults.digits);
  symbols_ = box(Text::SymbolClass, "CBSymbols", defaults.symbols);
  avoid_ = box(Text::AvoidLookAlikes, "CBAvoidLookAlikes", defaults.avoidLookAlikes);

  password_ = new QLineEdit(this);
  password_->setObjectName(QStringLiteral("EdtGenerated"));
  password_->setReadOnly(true);
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSize(font().pointSize() + 2);
  password_->setFont(fixed);
  password_->setMinimumWidth(password_->fontMetrics().horizontalAdvance(QString(kMaxGeneratedLength / 4, 'W')));
  auto* generateButton = new QPushButton(text(Text::Generate), this);
  generateButton->setObjectName(QStringLiteral("BtnGenerate"));
  auto* copyButton = new QPushButton(text(Text::Copy), this);
  copyButton->setObjectName(QStringLiteral("BtnCopy"));
  message_ = makeMessageLabel(this, QStringLiteral("LbMessage"));

  auto* form = new QFormLayout;
  form->addRow(text(Text::LengthLabel), length_);
  auto* classes = new QVBoxLayout;
  for (QCheckBox* b : {upper_, lower_, digits_, symbols_, avoid_}) classes->addWidget(b);
  auto* result = new QHBoxLayout;
  result->addWidget(password_, 1);
  result->addWidget(generateButton);
  result->addWidget(copyButton);
  auto* buttons = new QDialogButtonBox(this);
  auto* close = buttons->addButton(text(Text::Close), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("BtnClose"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(classes);
  layout->addLayout(result);
  layout->addWidget(message_);
  layout->addWidget(buttons);

  connect(generateButton, &QPushButton::clicked, this, &PasswordGenWindow::generate);
  connect(copyButton, &QPushButton::clicked, this, &PasswordGenWindow::copy);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(length_, &QSpinBox::valueChanged, this, &PasswordGenWindow::generate);
  for (QCheckBox* b : {upper_, lower_, digits_, symbols_, avoid_})
    connect(b, &QCheckBox::toggled, this, &PasswordGenWindow::generate);
  generate();
}

PasswordGenWindow::~PasswordGenWindow() { password_->clear(); }

void PasswordGenWindow::generate() {
  PasswordRecipe recipe;
  recipe.length = length_->value();
  recipe.upper = upper_->isChecked();
  recipe.lower = lower_->isChecked();
  recipe.digits = digits_->isChecked();
  recipe.symbols = symbols_->isChecked();
  recipe.avoidLookAlikes = avoid_->isChecked();
  auto password = generatePassword(recipe);
  if (!password) {
    password_->clear();
    return showMessage(message_, text(Text::NoClassChosen), true);
  }
  clearMessage(message_);
  password_->setText(QString::fromStdString(*password));
  crypto::wipe(*password);
}

void PasswordGenWindow::copy() {
  const QString password = password_->text();
  if (password.isEmpty()) return;
  QGuiApplication::clipboard()->setText(password);
  ClipboardGuard::watch(password, kClipboardSeconds);
  showMessage(message_, text(Text::Copied), false);
}

void ClipboardGuard::watch(const QString& secret, int seconds) {
  auto* guard = new ClipboardGuard(secret);
  QTimer::singleShot(seconds * 1000, guard, [guard] {
    guard->expire();
    guard->deleteLater();
  });
}

ClipboardGuard::ClipboardGuard(const QString& secret) : QObject(QCoreApplication::instance()), secret_(secret) {
  setObjectName(QStringLiteral("ClipboardGuard"));
}

ClipboardGuard::~ClipboardGuard() { secret_.fill(QChar(0)); }

void ClipboardGuard::expire() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard->text() == secret_) clipboard->clear();
}

}  // namespace account::ui
