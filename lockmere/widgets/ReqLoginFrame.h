#pragma once

#include <QFrame>
#include <QPixmap>
#include <cstdint>

class QLabel;
class QPushButton;

namespace widgets {

// The frame the main window shows while nobody is logged in: the logo, three
// lines of text (M3, M4, M5), the finger picture and the login button (M2, hint
// M64) on a background that runs from green-grey to pale green at half the
// height and back. The main window connects BtnLogin's clicked().
//
//   auto* frame = new widgets::TReqLoginFrame(this);
//   connect(frame->BtnLogin, &QPushButton::clicked, this, &TMainForm::ReqLoginFrame1BtnLoginClick);
class TReqLoginFrame : public QFrame {
  Q_OBJECT

 public:
  static constexpr std::uint32_t kColor1 = 12309935;  // RGB AF D5 BB
  static constexpr std::uint32_t kColor2 = 15530215;  // RGB E7 F8 EC
  static constexpr int kLogoWidth = 130;
  static constexpr int kImage1Offset = 38;  // Image1's left, from the logo's
  static constexpr const char* kLogoResource = "REQLOGINLOGO";
  static constexpr const char* kImage1Resource = "REQLOGINFINGER";

  // The pictures come from the resource library; without it the frame shows
  // no pictures and works all the same.
  explicit TReqLoginFrame(QWidget* parent = nullptr);

  QLabel* const Label1;
  QLabel* const Label2;
  QLabel* const Label3;
  QPushButton* const BtnLogin;
  QLabel* const ImgLogo;
  QLabel* const Image1;

  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void FrameResize();

  QPixmap background_;
};

}  // namespace widgets
