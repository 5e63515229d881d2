#include "lockmere/users/UserDelForm.h"

#include <QDebug>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lockmere/texts/StringTable.h"
#include "lockmere/users/ModalResult.h"
#include "lockmere/users/RetryWaitLabel.h"
#include "lockmere/users/SessionHost.h"
#include "lockmere/users/UsersTexts.h"

namespace users {

TUserDelForm::TUserDelForm(SessionHost& host, QWidget* parent) : ReauthForm(host, parent) {
  takePlace(this);
  setObjectName(QStringLiteral("UserDelForm"));
  setModal(true);
  setWindowTitle(QString::fromUtf8(kCaption));
  setFont(texts::uiFont());

  GroupBox1 = new QGroupBox(QString::fromUtf8(kGroupCaption), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  Label1 = new QLabel(QString::fromUtf8(kIdLabel), GroupBox1);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label2 = new QLabel(QString::fromStdString(host.currentUserId()), GroupBox1);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label3 = new QLabel(QString::fromUtf8(kPasswordLabel), GroupBox1);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label5 = new QLabel(GroupBox1);
  Label5->setObjectName(QStringLiteral("Label5"));
  Label5->setWordWrap(true);
  auto* grid = new QGridLayout(GroupBox1);
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(Label2, 0, 1);
  grid->addWidget(Label3, 1, 0);
  grid->addWidget(EdtPWD, 1, 1);
  grid->addWidget(Label5, 2, 0, 1, 2);
  grid->setColumnStretch(1, 1);

  GroupBox2 = new QGroupBox(QString::fromUtf8(kWarningCaption), this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  Label4 = new QLabel(text::shown(QString::fromUtf8(kWarning)), GroupBox2);
  Label4->setObjectName(QStringLiteral("Label4"));
  (new QVBoxLayout(GroupBox2))->addWidget(Label4);

  layOut({GroupBox1, GroupBox2});
}

TUserDelForm::~TUserDelForm() = default;

void TUserDelForm::showStatus(const QString& text, bool) { Label5->setText(text); }

void TUserDelForm::confirmed() {
  std::string error;
  const auto result = users().deleteUser(host().currentUserId(), &error);
  if (result != store::UserDirectory::DeleteResult::Deleted)
    qWarning() << "the user was not deleted completely:" << QString::fromStdString(error);
  done(result == store::UserDirectory::DeleteResult::Deleted ? mrOK : mrCancel);
}

}  // namespace users
