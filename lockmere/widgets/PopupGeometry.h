#pragma once

#include <QPoint>
#include <QRect>

#include "lockmere/widgets/PopupScreen.h"

// Where a notification popup stands and how it slides, free of widgets. The
// work area's right and bottom are read as the first pixel outside it, so a
// popup PopupStartX from the right keeps exactly that many pixels free.
namespace widgets {

struct PopupMetrics {
  int width = 148;
  int height = 121;
  int startX = 16;  // distance from the work area's side
  int startY = 2;   // distance from the work area's bottom or top
};

// The full-size place of a popup at a stacking offset. Popups stand in the corner
// by the panel: at the left for a left panel, at the top for a top panel, else at
// the bottom right; the stack grows away from the panel's end of the screen (up,
// or down under a top panel). An unknown edge counts as the bottom.
QRect popupRect(TaskbarEdge edge, const QRect& workArea, int offset, const PopupMetrics& m);

// Whether a popup at `offset` still lies inside the work area.
bool roomForPopup(TaskbarEdge edge, const QRect& workArea, int offset, const PopupMetrics& m);

// A popup about to slide in: one pixel wide or high at the panel's side of its
// full place (the full place itself for an unknown edge).
QRect collapsedRect(TaskbarEdge edge, const QRect& full);

struct SlideStep {
  QRect rect;
  bool done = false;
};

// One step of sliding in by `speed` pixels towards `full`; done (and rect = full)
// when the next step would reach the full size.
SlideStep slideInStep(TaskbarEdge edge, const QRect& current, const QRect& full, int speed);
// One step of sliding out towards the panel; done when the size would not stay
// above 0 (rect unchanged then).
SlideStep slideOutStep(TaskbarEdge edge, const QRect& current, int speed);

// Where the full-size face of a popup sits inside its partly open window: fixed
// to the side away from the panel, so the popup seems to slide out from under it.
QPoint faceOffset(TaskbarEdge edge, const QRect& current, const QSize& full);

}  // namespace widgets
