#include "lockmere/tools/account/ui/PasswordFields.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "lockmere/tools/account/core/Credentials.h"
#include "lockmere/tools/account/ui/ToolWindow.h"

namespace account::ui {

PasswordFields::PasswordFields(QWidget* parent, QFormLayout* form, Text label, Text againLabel) : QObject(parent) {
  first_ = new QLineEdit(parent);
  first_->setObjectName(QStringLiteral("EdtPassword"));
  first_->setEchoMode(QLineEdit::Password);
  second_ = new QLineEdit(parent);
  second_->setObjectName(QStringLiteral("EdtPassword2"));
  second_->setEchoMode(QLineEdit::Password);
  strength_ = new QLabel(parent);
  strength_->setObjectName(QStringLiteral("LbStrength"));
  strength_->setWordWrap(true);
  strength_->setMinimumHeight(strength_->fontMetrics().lineSpacing() * 2);
  form->addRow(text(label), first_);
  form->addRow(text(againLabel), second_);
  form->addRow(QString(), strength_);
  connect(first_, &QLineEdit::textChanged, this, &PasswordFields::updateStrength);
  updateStrength();
}

PasswordFields::~PasswordFields() = default;

QString PasswordFields::password() const { return first_->text(); }

Problem PasswordFields::check() const {
  return checkNewPassword(first_->text().toStdString(), second_->text().toStdString());
}

void PasswordFields::clear() {
  first_->clear();
  second_->clear();
}

void PasswordFields::updateStrength() {
  const Strength s = passwordStrength(first_->text().toStdString());
  QString line;
  QString colour = QStringLiteral("#555555");
  switch (s) {
    case Strength::Empty:
      line = text(Text::StrengthAdvice);
      break;
    case Strength::Weak:
      line = text(Text::StrengthWeak) + " - " + text(Text::StrengthAdvice);
      colour = QStringLiteral("#b00020");
      break;
    case Strength::Fair:
      line = text(Text::StrengthFair);
      colour = QStringLiteral("#9a6700");
      break;
    case Strength::Strong:
      line = text(Text::StrengthStrong);
      colour = QStringLiteral("#1b5e20");
      break;
  }
  strength_->setStyleSheet("color: " + colour + ";");
  strength_->setText(line);
  fitWindowOf(strength_);
}

FileField::FileField(Mode mode, const QString& filter, const QString& objectName, QWidget* parent)
    : QWidget(parent), mode_(mode), filter_(filter) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  edit_ = new QLineEdit(this);
  edit_->setObjectName(objectName);
  edit_->setMinimumWidth(260);
  auto* browse = new QPushButton(text(Text::Browse), this);
  browse->setObjectName(objectName + QStringLiteral("Browse"));
  row->addWidget(edit_, 1);
  row->addWidget(browse);
  connect(edit_, &QLineEdit::textChanged, this, &FileField::pathChanged);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen = mode_ == Save ? QFileDialog::getSaveFileName(this, QString(), path(), filter_)
                                         : QFileDialog::getOpenFileName(this, QString(), path(), filter_);
    if (!chosen.isEmpty()) setPath(chosen);
  });
}

QString FileField::path() const { return edit_->text().trimmed(); }

void FileField::setPath(const QString& path) { edit_->setText(path); }

}  // namespace account::ui
