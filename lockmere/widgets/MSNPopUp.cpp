#include "lockmere/widgets/MSNPopUp.h"

#include "lockmere/texts/StringTable.h"
#include "lockmere/widgets/Gradient.h"
#include "lockmere/widgets/MSNPopUpForm.h"
#include "lockmere/widgets/PopupGeometry.h"
#include "platform/bus/MessageBus.h"

namespace widgets {

TMSNPopUpProperties::TMSNPopUpProperties() : GradientColor1(colorFromTColor(16764057)) {
  Font.font = texts::uiFont();
  HoverFont.font = Font.font;
  HoverFont.font.setUnderline(true);
  HoverFont.color = colorFromTColor(16711680);
  TitleFont.font = Font.font;
  TitleFont.font.setBold(true);
}

TMSNPopUp::TMSNPopUp(QObject* owner, PopupEnvironment environment) : QObject(owner) {
  setEnvironment(std::move(environment));
}

TMSNPopUp::~TMSNPopUp() {
  for (const auto& popup : popups_) {
    if (!popup) continue;
    popup->forgetOwner();
    popup->hide();
    // A popup whose event handler destroyed this component is still on the stack.
    if (popup->inHandler())
      popup->deleteLater();
    else
      delete popup.data();
  }
}

void TMSNPopUp::setEnvironment(PopupEnvironment environment) {
  environment_ = std::move(environment);
  if (!environment_.screen) environment_.screen = PopupScreen::desktop();
  if (!environment_.timers) environment_.timers = TimerSource::system();
}

bool TMSNPopUp::ShowPopUp() {
  const TaskbarEdge edge = environment_.screen->taskbarEdge();
  if (edge != lastEdge_) {
    lastEdge_ = edge;
    count_ = 0;
  }
  const QRect workArea = environment_.screen->workArea();
  if (count_ == 0)
    offset_ = 0;
  else if (!roomForPopup(edge, workArea, offset_, {Width, Height, PopupStartX, PopupStartY}))
    return false;

  ++count_;
  auto* popup = new TfrmMSNPopUp(this, *this, environment_);
  popups_.append(popup);
  const int offset = offset_;
  offset_ = Options.testFlag(msnCascadePopups) && edge != TaskbarEdge::Unknown ? offset_ + Height + PopupMarge : 0;
  popup->showPopUp(edge, offset);
  return true;
}

QList<TfrmMSNPopUp*> TMSNPopUp::popups() const {
  QList<TfrmMSNPopUp*> open;
  for (const auto& popup : popups_)
    if (popup) open << popup.data();
  return open;
}

void TMSNPopUp::ClosePopUps() {
  // Every popup of this component, also those the count forgot when the panel moved.
  for (TfrmMSNPopUp* popup : popups()) platform::MessageBus::send(popup->handle(), platform::msg::kClose);
}

void TMSNPopUp::ClosePopUpOf(platform::WindowHandle ieHandle) {
  for (TfrmMSNPopUp* popup : popups())
    platform::MessageBus::send(popup->handle(), platform::msg::kClosePopupOf, static_cast<std::int64_t>(ieHandle));
}

void TMSNPopUp::popupClosed(TfrmMSNPopUp* popup) {
  count_ = std::max(0, count_ - 1);
  popups_.removeAll(popup);
}

}  // namespace widgets
