#include "lockmere/widgets/PopupScreen.h"

#include <QGuiApplication>
#include <QScreen>

namespace widgets {

TaskbarEdge taskbarEdgeFrom(const QRect& screen, const QRect& available) {
  // Widest inset wins; on a tie the usual places of a panel come first.
  const std::pair<TaskbarEdge, int> insets[] = {
      {TaskbarEdge::Bottom, (screen.y() + screen.height()) - (available.y() + available.height())},
      {TaskbarEdge::Right, (screen.x() + screen.width()) - (available.x() + available.width())},
      {TaskbarEdge::Top, available.y() - screen.y()},
      {TaskbarEdge::Left, available.x() - screen.x()},
  };
  TaskbarEdge edge = TaskbarEdge::Bottom;
  int widest = 0;
  for (const auto& [side, inset] : insets)
    if (inset > widest) {
      edge = side;
      widest = inset;
    }
  return edge;
}

namespace {

class DesktopScreen : public PopupScreen {
 public:
  QRect workArea() const override {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect();
  }
  TaskbarEdge taskbarEdge() const override {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? taskbarEdgeFrom(s->geometry(), s->availableGeometry()) : TaskbarEdge::Unknown;
  }
};

}  // namespace

std::shared_ptr<PopupScreen> PopupScreen::desktop() {
  static const std::shared_ptr<PopupScreen> screen = std::make_shared<DesktopScreen>();
  return screen;
}

}  // namespace widgets
