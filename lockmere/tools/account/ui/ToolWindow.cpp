#include "lockmere/tools/account/ui/ToolWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>

#include "lockmere/texts/StringTable.h"
#include "lockmere/tools/account/ui/ToolTexts.h"
#include "platform/bus/MessageBus.h"

namespace account::ui {

ToolWindow::ToolWindow(platform::WindowHandle owner, std::uint32_t closeMessage, const QString& title)
    : owner_(owner), closeMessage_(closeMessage) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(title);
  setFont(texts::uiFont());
}

ToolWindow::~ToolWindow() {
  if (owner_) platform::MessageBus::post(owner_, closeMessage_, result_);
}

void ToolWindow::showAt(int x, int y) {
  adjustSize();
  if (x != 0 || y != 0) {
    move(x, y);
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  show();
  raise();
  activateWindow();
}

void ToolWindow::fitToContents() {
  QLayout* l = layout();
  if (!l) return;
  l->activate();
  const int needed = l->hasHeightForWidth() ? l->totalHeightForWidth(width()) : l->totalSizeHint().height();
  if (needed > height()) resize(width(), needed);
}

void fitWindowOf(QWidget* widget) {
  if (auto* tool = qobject_cast<ToolWindow*>(widget ? widget->window() : nullptr)) tool->fitToContents();
}

QLabel* ToolWindow::makeMessageLabel(QWidget* parent, const QString& objectName) {
  auto* label = new QLabel(parent);
  label->setObjectName(objectName);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->hide();
  return label;
}

void ToolWindow::showMessage(QLabel* label, const QString& text, bool problem) {
  label->setStyleSheet(problem ? QStringLiteral("color: #b00020;") : QStringLiteral("color: #1b5e20;"));
  label->setText(text);
  label->setVisible(!text.isEmpty());
  fitWindowOf(label);
}

void ToolWindow::showProblem(QLabel* label, const Failure& failure) { showMessage(label, problemText(failure), true); }

void ToolWindow::clearMessage(QLabel* label) { showMessage(label, QString(), false); }

void showNotice(const QString& title, const QString& text, bool problem) {
  auto* box = new QMessageBox(problem ? QMessageBox::Warning : QMessageBox::Information, title, text, QMessageBox::Ok);
  box->setObjectName(QStringLiteral("ToolNotice"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setFont(texts::uiFont());
  box->show();
}

}  // namespace account::ui
