#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace shell {

// "About Lockmere": the about picture of the resource library, the version and
// the build number of this build. Modal; a click on the picture closes it.
class TAboutLMForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "About Lockmere";
  static constexpr const char* kBuildLabel = "Build :";
  static constexpr const char* kVersionLabel = "Version :";
  static constexpr int kTopBelowMainWindow = 50;

  explicit TAboutLMForm(QWidget* parent = nullptr);

  // Major, minor and release numbers joined by ".".
  static QString versionText();
  static QString buildText();

  QLabel* Image1 = nullptr;
  QLabel* lbVersion = nullptr;
  QLabel* lbBuild = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace shell
