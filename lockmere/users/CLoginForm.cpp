#include "lockmere/users/CLoginForm.h"

#include <QDebug>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <chrono>
#include <thread>

#include "lockmere/texts/StringTable.h"
#include "lockmere/users/ModalResult.h"
#include "lockmere/users/RetryWaitLabel.h"
#include "lockmere/users/SessionHost.h"

namespace users {
namespace {

template <class Call>
void ignoringFailure(Call&& call) {
  try {
    call();
  } catch (const std::exception& e) {
    qWarning() << "browser call failed:" << e.what();
  } catch (...) {
    qWarning() << "browser call failed";
  }
}

}  // namespace

void submitLoginForm(BrowserPage& page, bool toFrontFirst) {
  if (toFrontFirst) ignoringFailure([&] { page.bringToForeground(); });
  ignoringFailure([&] { page.fillLoginForm(); });
  ignoringFailure([&] { page.bringToForeground(); });
  ignoringFailure([&] { page.pressAndRelease(BrowserPage::Key::End); });
  std::this_thread::sleep_for(std::chrono::milliseconds(4));
  ignoringFailure([&] { page.pressAndRelease(BrowserPage::Key::Enter); });
}

QString TCLoginForm::siteWindowName(platform::WindowHandle browserWindow) {
  return QStringLiteral("FPLF") + QStringLiteral("%1").arg(browserWindow, 16, 16, QLatin1Char('0')).toUpper();
}

TCLoginForm::TCLoginForm(SessionHost& host, QWidget* parent) : ReauthForm(host, parent) {
  takePlace(this);
  setObjectName(QStringLiteral("CLoginForm"));
  setModal(true);
  buildControls();
}

TCLoginForm::TCLoginForm(SessionHost& host, platform::WindowHandle browserWindow, std::unique_ptr<BrowserPage> page,
                         QWidget* parent)
    : ReauthForm(host, parent), page_(std::move(page)), browserWindow_(browserWindow) {
  takePlace(this);
  setObjectName(siteWindowName(browserWindow));
  setModal(false);
  buildControls();
}

TCLoginForm::~TCLoginForm() = default;

void TCLoginForm::buildControls() {
  setWindowTitle(QString::fromUtf8(kCaption));
  setFont(texts::uiFont());
  GroupBox1 = new QGroupBox(QString::fromStdString(host().currentUserId()) + QString::fromUtf8(kGroupCaption), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  Memo1 = new QPlainTextEdit(GroupBox1);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setFocusPolicy(Qt::NoFocus);
  Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 3 + 12);
  auto* group = new QVBoxLayout(GroupBox1);
  group->addWidget(EdtPWD);
  group->addWidget(Memo1);

  layOut({GroupBox1});
  setMinimumWidth(320);
}

void TCLoginForm::showStatus(const QString& text, bool replace) {
  if (replace) Memo1->clear();
  Memo1->appendPlainText(text);
}

void TCLoginForm::confirmed() {
  if (!page_) {
    done(mrOK);
    return;
  }
  submitLoginForm(*page_);
  done(mrOK);
}

}  // namespace users
