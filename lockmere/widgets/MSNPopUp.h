#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

#include "lockmere/widgets/MSNPopUpProperties.h"

namespace widgets {

class TfrmMSNPopUp;

// Small notification windows that slide out of the screen corner by the panel,
// stay for TimeOut seconds, slide back and close. Set the properties (the
// members inherited from TMSNPopUpProperties), then ShowPopUp(); each popup keeps
// a copy of them, so the next one may differ.
//
//   widgets::TMSNPopUp popup(this);
//   popup.Title = "Lockmere - 등록";
//   popup.Text = texts::M(32);
//   popup.SiteID = id;
//   popup.IEHandle = browser;
//   popup.Options &= ~widgets::msnAllowHyperlink;   // a click anywhere raises OnClick
//   popup.OnClick = [this](widgets::TMSNPopUp*, int id, platform::WindowHandle ie) { offerSite(id, ie); };
//   if (!popup.ShowPopUp()) { /* the stack is full */ }
//
// Events (each only when assigned):
//   OnClick       a click on the body text (without msnAllowHyperlink), or a mouse
//                 button released over the title, icon or background, or the right
//                 button over the text; the popup then closes at once.
//   OnURLClick    a click on the body text with msnAllowHyperlink; closes at once.
//                 Unassigned, msnAutoOpenURL opens URL and the popup stays.
//   OnPopupClose  the popup has slid away (time-out, close button, ClosePopUpOf).
// A popup closed by OnClick, OnURLClick or ClosePopUps raises no OnPopupClose.
// A handler may close popups, show new ones or destroy this component.
class TMSNPopUp : public QObject, public TMSNPopUpProperties {
  Q_OBJECT

 public:
  explicit TMSNPopUp(QObject* owner = nullptr, PopupEnvironment environment = {});
  ~TMSNPopUp() override;

  void setEnvironment(PopupEnvironment environment);
  const PopupEnvironment& environment() const { return environment_; }

  // Opens one popup with the current properties, next to the ones already open;
  // false (and nothing shown) when there is no room left in the work area.
  bool ShowPopUp();
  // Closes every open popup of this component at once (no OnPopupClose).
  void ClosePopUps();
  // The popup opened for that browser window slides away; the others stay. A
  // handle of 0 names no window.
  void ClosePopUpOf(platform::WindowHandle ieHandle);

  // The number of open popups as the stacking counts it: a move of the panel
  // starts the count again at 0.
  int popupCount() const { return count_; }
  // The popup windows of this component that are still open.
  QList<TfrmMSNPopUp*> popups() const;

  std::function<void(TMSNPopUp* sender, int siteId, platform::WindowHandle ieHandle)> OnClick;
  std::function<void(TMSNPopUp* sender, const QString& url, platform::WindowHandle ieHandle, int siteId)> OnURLClick;
  std::function<void(TMSNPopUp* sender, int siteId, platform::WindowHandle ieHandle)> OnPopupClose;

 private:
  friend class TfrmMSNPopUp;
  void popupClosed(TfrmMSNPopUp* popup);

  PopupEnvironment environment_;
  int count_ = 0;
  TaskbarEdge lastEdge_ = TaskbarEdge::Left;  // the design's 0 before the first show
  int offset_ = 0;
  QList<QPointer<TfrmMSNPopUp>> popups_;
};

}  // namespace widgets
