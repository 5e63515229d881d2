#include "lockmere/shell/AboutForm.h"

#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "lockmere/shell/BuildInfo.h"
#include "lockmere/texts/StringTable.h"
#include "lockmere/users/MessageBox.h"
#include "lockmere/widgets/ResourceLibrary.h"

namespace shell {

namespace {
constexpr const char* kAboutBitmap = "AboutLockmere";
}

TAboutLMForm::TAboutLMForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kCaption);
  setFont(texts::uiFont());
  setModal(true);

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setAlignment(Qt::AlignCenter);
  Image1->setCursor(Qt::PointingHandCursor);
  Image1->installEventFilter(this);
  lbVersion = new QLabel(QString("%1 %2").arg(kVersionLabel, versionText()), this);
  lbVersion->setObjectName("lbVersion");
  lbBuild = new QLabel(QString("%1 %2").arg(kBuildLabel, buildText()), this);
  lbBuild->setObjectName("lbBuild");

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(Image1);
  layout->addWidget(lbVersion);
  layout->addWidget(lbBuild);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  widgets::ResourceLibrary resources;
  if (resources.load()) {
    Image1->setPixmap(resources.bitmap(kAboutBitmap));
  } else {
    // After the window is up, so that the notice has a window to sit on.
    QTimer::singleShot(0, this, [this] { users::showMessage(this, texts::M(34)); });
  }
}

QString TAboutLMForm::versionText() {
  return QString("%1.%2.%3").arg(build::kMajor).arg(build::kMinor).arg(build::kRelease);
}

QString TAboutLMForm::buildText() { return QString::number(build::kBuild); }

bool TAboutLMForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
    close();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace shell
