#pragma once

#include <QWidget>

#include "lockmere/tools/account/core/Problem.h"
#include "lockmere/tools/account/ui/ToolTexts.h"

class QLabel;
class QLineEdit;
class QFormLayout;

namespace account::ui {

// A new password typed twice, with a hint about its strength. The rows go
// into the caller's form layout so that their labels line up with the rest.
class PasswordFields : public QObject {
  Q_OBJECT
 public:
  PasswordFields(QWidget* parent, QFormLayout* form, Text label, Text againLabel);
  ~PasswordFields() override;

  QString password() const;
  // checkNewPassword of both entries.
  Problem check() const;
  QLineEdit* firstEdit() const { return first_; }
  void clear();

 private:
  void updateStrength();

  QLineEdit* first_;
  QLineEdit* second_;
  QLabel* strength_;
};

// A file name typed or chosen with the browse button, for saving or opening.
class FileField : public QWidget {
  Q_OBJECT
 public:
  enum Mode { Save, Open };
  FileField(Mode mode, const QString& filter, const QString& objectName, QWidget* parent);
  QString path() const;
  void setPath(const QString& path);
 signals:
  void pathChanged();

 private:
  Mode mode_;
  QString filter_;
  QLineEdit* edit_;
};

}  // namespace account::ui
