#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "lockmere/widgets/MSNPopUpProperties.h"
#include "platform/bus/MessageReceiver.h"

class QFrame;
class QLabel;

namespace widgets {

class TMSNPopUp;
class TMouseLabel;

// One notification window, made and shown by TMSNPopUp::ShowPopUp(). It never
// takes the keyboard focus, stays on top, slides in from the panel's side, waits
// TimeOut seconds, slides back and frees itself.
//
// Its controls carry their names as object names: titBorder (title panel) with
// imgIcon, lblTitle and CloseBtn; pnlBorder (body) with imgGradient, lblText and
// imgMsn. It receives window messages on the bus: 0x155C (kClosePopupOf, wParam a
// browser window) slides it away when it was opened for that window; WM_CLOSE
// closes it at once.
class TfrmMSNPopUp : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kWindowClass = "TfrmMSNPopUp";
  static constexpr int kBorder = 3;           // the dialog frame around the panels
  static constexpr int kTitleHeight = 20;     // titBorder
  static constexpr int kScrollInterval = 25;  // ms between slide steps

  TfrmMSNPopUp(TMSNPopUp* owner, const TMSNPopUpProperties& properties, PopupEnvironment environment);
  ~TfrmMSNPopUp() override;

  // Places the popup for the panel's edge at a stacking offset, paints it and
  // shows it without activating it; it slides in when msnAllowScroll is set.
  void showPopUp(TaskbarEdge edge, int offset);

  platform::WindowHandle handle() const { return receiver_.handle(); }
  TaskbarEdge edge() const { return edge_; }
  int offset() const { return offset_; }
  const TMSNPopUpProperties& properties() const { return p_; }
  // The place the popup has when fully open.
  QRect fullRect() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void layoutTitle();
  void paintBackground();
  void layoutText();
  void setWindowRect(const QRect& rect);
  int slideSpeed() const;

  void slideInTick();
  void exitTick();
  void slideOutTick();
  void startSlideOut();
  void stopTimers();

  void textClicked();
  void backgroundClicked();
  // Runs an event handler of the owner, if assigned; a close asked for meanwhile
  // only hides the popup.
  template <typename Handler, typename... Args>
  bool raiseEvent(Handler TMSNPopUp::*event, Args... args);
  // As raiseEvent() for a click: when assigned, the popup closes after it.
  template <typename Handler, typename... Args>
  bool raiseClick(Handler TMSNPopUp::*event, Args... args);
  void closePopup();
  // The component is going away: no more events, no count to report to.
  friend class TMSNPopUp;
  void forgetOwner() { owner_ = nullptr; }
  bool inHandler() const { return handlersRunning_ > 0; }
  std::int64_t onMessage(const platform::Message& message);

  QPointer<TMSNPopUp> owner_;
  TMSNPopUpProperties p_;
  PopupEnvironment env_;
  TaskbarEdge edge_ = TaskbarEdge::Unknown;
  int offset_ = 0;
  QRect rect_;  // where the window is now (the desktop may report its move late)

  QFrame* face_;
  QFrame* titBorder;
  QFrame* pnlBorder;
  QLabel* imgGradient;
  QLabel* imgIcon;
  QLabel* CloseBtn;
  QLabel* lblTitle;
  TMouseLabel* lblText;
  QLabel* imgMsn;

  std::unique_ptr<Timer> tmrExit;
  std::unique_ptr<Timer> tmrScroll;
  std::unique_ptr<Timer> tmrScrollDown;
  int handlersRunning_ = 0;
  bool closed_ = false;
  platform::MessageReceiver receiver_;
};

}  // namespace widgets
