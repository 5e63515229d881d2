#pragma once

#include <QFrame>
#include <QUrl>
#include <functional>

class QLabel;

namespace web {

// The advertisement strip of the main window: the picture "LockmereAD1BMP" of
// the resource library, centred; a click opens the shop page (kShopPageUrl) with
// the desktop's URL opener. No Flash player exists here, so the picture is what
// the design shows without one; without the resource library the strip says
// M34 instead.
class TADFrame : public QFrame {
  Q_OBJECT

 public:
  using UrlOpener = std::function<bool(const QUrl&)>;

  static constexpr int kStripWidth = 298;
  static constexpr int kStripHeight = 50;

  // opener: how the shop page is opened (empty: QDesktopServices::openUrl).
  explicit TADFrame(QWidget* parent = nullptr, UrlOpener opener = {});

  // The main window was shown: the picture is loaded the first time (and again
  // while the library was missing).
  void MainWindowShown();
  // The design's Flash player; there is none here.
  bool flashAvailable() const { return false; }
  bool hasPicture() const;

  QLabel* Image1 = nullptr;

  QSize sizeHint() const override { return {kStripWidth + 2, kStripHeight}; }

 public slots:
  void Image1Click();
  void FrameResize();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  UrlOpener opener_;
};

}  // namespace web
