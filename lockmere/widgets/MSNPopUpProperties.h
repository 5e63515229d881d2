#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

#include "lockmere/widgets/PopupScreen.h"
#include "lockmere/widgets/Timers.h"
#include "platform/WindowMessages.h"

// What a notification popup is made of: the properties of TMSNPopUp with their
// initial values, copied into each popup window it opens.
namespace widgets {

enum TGradientOrientation { mbHorizontal, mbVertical };
enum TBackgroundDrawMethod { dmActualSize, dmTile, dmFit };
// Kept and handed to the popup; popups always use the primary screen's work area.
enum TDefaultMonitor { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };

// The option set, one bit per option in declaration order (all but
// msnSystemFont is 29). msnSystemFont has no effect.
enum TMSNPopUpOption {
  msnAutoOpenURL = 0x01,
  msnSystemFont = 0x02,
  msnCascadePopups = 0x04,
  msnAllowScroll = 0x08,
  msnAllowHyperlink = 0x10,
};
Q_DECLARE_FLAGS(TMSNPopUpOptions, TMSNPopUpOption)

// A font with its colour.
struct PopupFont {
  QFont font;
  QColor color = Qt::black;
};

// Address in URL until it is set; nothing opens it unless a caller asks to.
inline constexpr const char* kPopupPlaceholderUrl = "https://www.example.com/";

struct TMSNPopUpProperties {
  // Fonts start as the program's UI font (texts::uiFont()): body plain black,
  // hover underlined blue (16711680), title bold.
  TMSNPopUpProperties();

  QString Text = "text";  // body, word-wrapped; "\r\n" breaks lines
  QString URL = kPopupPlaceholderUrl;
  QString Title = "title";
  QPixmap IconBitmap;       // left of the title; drawn transparent
  QPixmap CloseIconBitmap;  // close button; without it there is none
  int IconLeft = 8;         // kept only
  int IconTop = 8;          // kept only
  int TimeOut = 10;         // seconds fully open; 0 or less: until closed
  int Width = 148;
  int Height = 121;
  QColor GradientColor1;  // 16764057 (RGB 99 CC FF)
  QColor GradientColor2 = Qt::white;
  TGradientOrientation GradientOrientation = mbVertical;
  quint8 ScrollSpeed = 9;  // pixels per slide step; 0: open and close in one step
  PopupFont Font;
  PopupFont HoverFont;
  PopupFont TitleFont;
  TMSNPopUpOptions Options = TMSNPopUpOptions(msnAutoOpenURL | msnCascadePopups | msnAllowScroll | msnAllowHyperlink);
  int SiteID = 0;                       // handed back by the events
  platform::WindowHandle IEHandle = 0;  // browser window, handed back; ClosePopUpOf closes by it
  Qt::Alignment TextAlignment = Qt::AlignHCenter;
  TBackgroundDrawMethod BackgroundDrawMethod = dmActualSize;
  QPixmap BackgroundImage;  // replaces the gradient when set
  Qt::CursorShape TextCursor = Qt::ArrowCursor;
  int PopupMarge = 2;  // gap between stacked popups
  int PopupStartX = 16;
  int PopupStartY = 2;
  TDefaultMonitor DefaultMonitor = dmActiveForm;
};

// Where popups go, how time passes for them and how a link is opened; the
// defaults are the desktop, real time and the desktop's URL handler.
struct PopupEnvironment {
  std::shared_ptr<PopupScreen> screen = PopupScreen::desktop();
  std::shared_ptr<TimerSource> timers = TimerSource::system();
  std::function<bool(const QUrl&)> openUrl = {};  // empty: QDesktopServices::openUrl
};

}  // namespace widgets

Q_DECLARE_OPERATORS_FOR_FLAGS(widgets::TMSNPopUpOptions)
