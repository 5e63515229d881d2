#pragma once

#include <QRect>
#include <memory>

// Where notification popups go: the work area and the edge of the screen the
// taskbar (the desktop's panel) sits on, behind a small interface so that tests
// and pictures can put the panel anywhere.
namespace widgets {

// The design's numbers: -1 when the position cannot be read.
enum class TaskbarEdge : int { Unknown = -1, Left = 0, Top = 1, Right = 2, Bottom = 3 };

// The panel's edge from a screen's full and available geometry: the side on
// which the available area is smaller than the screen, the widest such inset if
// there are several. Where no side is (no panel; Xvfb; offscreen) the answer is
// Bottom, so popups take the bottom-right corner and slide up from the bottom.
TaskbarEdge taskbarEdgeFrom(const QRect& screen, const QRect& available);

class PopupScreen {
 public:
  virtual ~PopupScreen() = default;
  virtual QRect workArea() const = 0;
  virtual TaskbarEdge taskbarEdge() const = 0;

  // The primary screen of the running desktop (QScreen::availableGeometry()).
  static std::shared_ptr<PopupScreen> desktop();
};

// A screen whose work area and panel edge are set by hand.
class FixedScreen : public PopupScreen {
 public:
  FixedScreen(QRect workArea, TaskbarEdge edge) : workArea_(workArea), edge_(edge) {}
  QRect workArea() const override { return workArea_; }
  TaskbarEdge taskbarEdge() const override { return edge_; }
  void setWorkArea(QRect workArea) { workArea_ = workArea; }
  void setTaskbarEdge(TaskbarEdge edge) { edge_ = edge; }

 private:
  QRect workArea_;
  TaskbarEdge edge_;
};

}  // namespace widgets
