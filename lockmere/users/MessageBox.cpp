#include "lockmere/users/MessageBox.h"

#include <QMessageBox>
#include <QPointer>

namespace users {

QMessageBox* showMessage(QWidget* window, const QString& text, QWidget* focusAfter) {
  auto* box = new QMessageBox(QMessageBox::Warning, window->windowTitle(), text, QMessageBox::Ok, window);
  box->setObjectName(QStringLiteral("MessageBox"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  QPointer<QWidget> focus = focusAfter;
  QObject::connect(box, &QMessageBox::finished, window, [focus] {
    if (focus) focus->setFocus();
  });
  box->open();
  return box;
}

}  // namespace users
