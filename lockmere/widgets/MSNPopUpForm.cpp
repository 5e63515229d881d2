#include "lockmere/widgets/MSNPopUpForm.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <climits>

#include "lockmere/widgets/Gradient.h"
#include "lockmere/widgets/MSNPopUp.h"
#include "lockmere/widgets/MouseLabel.h"
#include "lockmere/widgets/PopupGeometry.h"

namespace widgets {
namespace {

// A picture without an alpha channel is drawn transparent as bitmaps are: the
// colour of its bottom-left pixel is left out.
QPixmap transparent(const QPixmap& picture) {
  if (picture.isNull() || picture.hasAlphaChannel()) return picture;
  QPixmap out = picture;
  const QColor key = picture.toImage().pixelColor(0, picture.height() - 1);
  out.setMask(picture.createMaskFromColor(key, Qt::MaskInColor));
  return out;
}

QString lines(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

void applyFont(QLabel* label, const PopupFont& font) {
  label->setFont(font.font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, font.color);
  label->setPalette(palette);
}

// The thin strip along the bottom of the body, a shade of the gradient's colour.
QPixmap strip(const QColor& base) {
  QImage image(1, 3, QImage::Format_RGB32);
  image.setPixelColor(0, 0, base.darker(150));
  image.setPixelColor(0, 1, base.darker(125));
  image.setPixelColor(0, 2, base.darker(108));
  return QPixmap::fromImage(image);
}

// Keeps a count up while an event handler runs, also when it throws.
struct Running {
  explicit Running(int& n) : count(n) { ++count; }
  ~Running() { --count; }
  int& count;
};

}  // namespace

TfrmMSNPopUp::TfrmMSNPopUp(TMSNPopUp* owner, const TMSNPopUpProperties& properties, PopupEnvironment environment)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      owner_(owner),
      p_(properties),
      env_(std::move(environment)),
      receiver_([this](const platform::Message& m) { return onMessage(m); }) {
  setObjectName(kWindowClass);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  buildControls();

  tmrExit = env_.timers->createTimer();
  tmrScroll = env_.timers->createTimer();
  tmrScrollDown = env_.timers->createTimer();
  tmrExit->setInterval(10000);
  tmrScroll->setInterval(kScrollInterval);
  tmrScrollDown->setInterval(kScrollInterval);
  tmrExit->onTimeout = [this] { exitTick(); };
  tmrScroll->onTimeout = [this] { slideInTick(); };
  tmrScrollDown->onTimeout = [this] { slideOutTick(); };
}

TfrmMSNPopUp::~TfrmMSNPopUp() {
  if (!closed_ && owner_) owner_->popupClosed(this);
}

void TfrmMSNPopUp::buildControls() {
  const int w = p_.Width, h = p_.Height;
  face_ = new QFrame(this);
  face_->setFrameStyle(QFrame::WinPanel | QFrame::Raised);
  face_->setAutoFillBackground(true);
  face_->resize(w, h);

  titBorder = new QFrame(face_);
  titBorder->setObjectName("titBorder");
  titBorder->setGeometry(kBorder, kBorder, std::max(0, w - 2 * kBorder), kTitleHeight);

  pnlBorder = new QFrame(face_);
  pnlBorder->setObjectName("pnlBorder");
  pnlBorder->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  pnlBorder->setLineWidth(1);
  pnlBorder->setGeometry(kBorder, kBorder + kTitleHeight, std::max(0, w - 2 * kBorder),
                         std::max(0, h - 2 * kBorder - kTitleHeight));

  imgGradient = new QLabel(pnlBorder);
  imgGradient->setObjectName("imgGradient");
  imgGradient->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  imgGradient->setGeometry(pnlBorder->contentsRect());

  imgMsn = new QLabel(pnlBorder);
  imgMsn->setObjectName("imgMsn");
  imgMsn->setScaledContents(true);
  imgMsn->setPixmap(strip(p_.GradientColor1));
  imgMsn->setGeometry((pnlBorder->width() - (w - 10)) / 2, pnlBorder->height() - 1 - 3, std::max(0, w - 10), 3);

  lblText = new TMouseLabel(pnlBorder);
  lblText->setObjectName("lblText");
  lblText->setTextFormat(Qt::PlainText);
  lblText->setWordWrap(true);

  imgIcon = new QLabel(titBorder);
  imgIcon->setObjectName("imgIcon");
  CloseBtn = new QLabel(titBorder);
  CloseBtn->setObjectName("CloseBtn");
  lblTitle = new QLabel(titBorder);
  lblTitle->setObjectName("lblTitle");
  lblTitle->setTextFormat(Qt::PlainText);

  for (QWidget* control :
       {static_cast<QWidget*>(face_), static_cast<QWidget*>(titBorder), static_cast<QWidget*>(pnlBorder),
        static_cast<QWidget*>(imgGradient), static_cast<QWidget*>(imgMsn), static_cast<QWidget*>(lblText),
        static_cast<QWidget*>(imgIcon), static_cast<QWidget*>(CloseBtn), static_cast<QWidget*>(lblTitle)}) {
    control->setFocusPolicy(Qt::NoFocus);
    control->installEventFilter(this);
  }

  const bool hyperlink = p_.Options.testFlag(msnAllowHyperlink);
  lblText->OnMouseEnter = [this, hyperlink](TMouseLabel*) {
    if (!hyperlink) return;
    applyFont(lblText, p_.HoverFont);
    layoutText();
  };
  lblText->OnMouseLeave = [this, hyperlink](TMouseLabel*) {
    if (!hyperlink) return;
    applyFont(lblText, p_.Font);
    layoutText();
  };
}

QRect TfrmMSNPopUp::fullRect() const {
  return popupRect(edge_, env_.screen->workArea(), offset_, {p_.Width, p_.Height, p_.PopupStartX, p_.PopupStartY});
}

void TfrmMSNPopUp::showPopUp(TaskbarEdge edge, int offset) {
  edge_ = edge;
  offset_ = offset;
  layoutTitle();
  paintBackground();
  applyFont(lblText, p_.Font);
  lblText->setAlignment(p_.TextAlignment | Qt::AlignVCenter);
  lblText->setText(lines(p_.Text));
  lblText->setCursor(p_.TextCursor);
  layoutText();

  // TimeOut 0 or less leaves the interval at 0: the popup stays until closed.
  tmrExit->setInterval(std::clamp(p_.TimeOut, 0, INT_MAX / 1000) * 1000);
  const QRect full = fullRect();
  if (p_.Options.testFlag(msnAllowScroll) && edge_ != TaskbarEdge::Unknown) {
    setWindowRect(collapsedRect(edge_, full));
    tmrScroll->start();
  } else {
    setWindowRect(full);
    tmrExit->start();
  }
  show();
}

void TfrmMSNPopUp::layoutTitle() {
  int titleLeft = 8;
  if (!p_.IconBitmap.isNull()) {
    imgIcon->setPixmap(transparent(p_.IconBitmap));
    imgIcon->resize(p_.IconBitmap.deviceIndependentSize().toSize());
    imgIcon->move(3, (kTitleHeight - imgIcon->height()) / 2);
    imgIcon->show();
    titleLeft = imgIcon->x() + imgIcon->width() + 4;
  } else {
    imgIcon->hide();
  }
  int titleRight = titBorder->width();
  if (!p_.CloseIconBitmap.isNull()) {
    CloseBtn->setPixmap(transparent(p_.CloseIconBitmap));
    CloseBtn->resize(p_.CloseIconBitmap.deviceIndependentSize().toSize());
    CloseBtn->move(titBorder->width() - 5 - CloseBtn->width(), (kTitleHeight - CloseBtn->height()) / 2);
    CloseBtn->show();
    titleRight = CloseBtn->x() - 2;
  } else {
    CloseBtn->hide();
  }
  // The title is centred in the panel and ends before the close button, so that
  // a long one is shortened rather than cut off or drawn under the button.
  applyFont(lblTitle, p_.TitleFont);
  const int width = std::max(0, titleRight - titleLeft);
  const QString title = lines(p_.Title).replace(QLatin1Char('\n'), QLatin1Char(' '));
  lblTitle->setText(lblTitle->fontMetrics().elidedText(title, Qt::ElideRight, width));
  const int height = lblTitle->fontMetrics().height();
  lblTitle->setGeometry(titleLeft, (kTitleHeight - height) / 2, width, height);
}

void TfrmMSNPopUp::paintBackground() {
  const QSize size = imgGradient->size();
  if (size.isEmpty()) return;
  if (p_.BackgroundImage.isNull()) {
    const Qt::Orientation o = p_.GradientOrientation == mbVertical ? Qt::Vertical : Qt::Horizontal;
    imgGradient->setPixmap(QPixmap::fromImage(gradientImage(size, p_.GradientColor1, p_.GradientColor2, o)));
    return;
  }
  QPixmap background(size);
  background.fill(palette().color(QPalette::Window));
  QPainter painter(&background);
  switch (p_.BackgroundDrawMethod) {
    case dmActualSize:
      painter.drawPixmap(0, 0, transparent(p_.BackgroundImage));
      break;
    case dmTile:
      painter.drawTiledPixmap(background.rect(), p_.BackgroundImage);
      break;
    case dmFit:
      painter.drawPixmap(background.rect(), p_.BackgroundImage);
      break;
  }
  painter.end();
  imgGradient->setPixmap(background);
}

void TfrmMSNPopUp::layoutText() {
  const QRect body = imgGradient->geometry();
  const int width = std::max(1, body.width() - 15);
  int height = lblText->heightForWidth(width);
  if (height < 0) height = lblText->sizeHint().height();
  lblText->setGeometry(body.x() + qRound((body.width() - width) / 2.0),
                       body.y() + qRound((body.height() - height) / 2.0), width, height);
  lblText->raise();
}

void TfrmMSNPopUp::setWindowRect(const QRect& rect) {
  rect_ = rect;
  setGeometry(rect);
  face_->move(faceOffset(edge_, rect, face_->size()));
}

int TfrmMSNPopUp::slideSpeed() const {
  // No speed: one step, so the popup opens and closes at once.
  return p_.ScrollSpeed > 0 ? p_.ScrollSpeed : std::max(p_.Width, p_.Height);
}

void TfrmMSNPopUp::slideInTick() {
  const SlideStep step = slideInStep(edge_, rect_, fullRect(), slideSpeed());
  setWindowRect(step.rect);
  if (step.done) {
    tmrScroll->stop();
    tmrExit->start();
  }
}

void TfrmMSNPopUp::exitTick() {
  tmrExit->stop();
  tmrScrollDown->start();
}

void TfrmMSNPopUp::startSlideOut() {
  stopTimers();
  tmrScrollDown->start();
}

void TfrmMSNPopUp::stopTimers() {
  tmrExit->stop();
  tmrScroll->stop();
  tmrScrollDown->stop();
}

void TfrmMSNPopUp::slideOutTick() {
  const SlideStep step = slideOutStep(edge_, rect_, slideSpeed());
  if (!step.done) {
    setWindowRect(step.rect);
    return;
  }
  tmrScrollDown->stop();
  hide();
  raiseEvent(&TMSNPopUp::OnPopupClose, p_.SiteID, p_.IEHandle);
  closePopup();
}

template <typename Handler, typename... Args>
bool TfrmMSNPopUp::raiseEvent(Handler TMSNPopUp::*event, Args... args) {
  if (!owner_) return false;
  TMSNPopUp* sender = owner_;
  // A copy: the handler may replace itself or destroy the component.
  const Handler handler = sender->*event;
  if (!handler) return false;
  Running running(handlersRunning_);
  handler(sender, args...);
  return true;
}

template <typename Handler, typename... Args>
bool TfrmMSNPopUp::raiseClick(Handler TMSNPopUp::*event, Args... args) {
  if (!owner_ || !(owner_->*event)) return false;
  stopTimers();
  raiseEvent(event, args...);
  closePopup();
  return true;
}

void TfrmMSNPopUp::textClicked() {
  if (!p_.Options.testFlag(msnAllowHyperlink)) {
    raiseClick(&TMSNPopUp::OnClick, p_.SiteID, p_.IEHandle);
    return;
  }
  if (raiseClick(&TMSNPopUp::OnURLClick, p_.URL, p_.IEHandle, p_.SiteID)) return;
  if (p_.Options.testFlag(msnAutoOpenURL)) {
    const QUrl url(p_.URL);
    if (env_.openUrl)
      env_.openUrl(url);
    else
      QDesktopServices::openUrl(url);
  }
}

void TfrmMSNPopUp::backgroundClicked() { raiseClick(&TMSNPopUp::OnClick, p_.SiteID, p_.IEHandle); }

bool TfrmMSNPopUp::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonRelease) return QWidget::eventFilter(watched, event);
  auto* control = static_cast<QWidget*>(watched);
  auto* mouse = static_cast<QMouseEvent*>(event);
  // A release away from the control it was pressed on is no click at all.
  if (!control->rect().contains(mouse->position().toPoint())) return true;
  if (control == CloseBtn) {
    if (mouse->button() == Qt::LeftButton) startSlideOut();
  } else if (control == lblText) {
    if (mouse->button() == Qt::LeftButton)
      textClicked();
    else if (mouse->button() == Qt::RightButton)
      backgroundClicked();
  } else {
    backgroundClicked();
  }
  return true;
}

void TfrmMSNPopUp::closeEvent(QCloseEvent* event) {
  closePopup();
  event->accept();
}

void TfrmMSNPopUp::closePopup() {
  if (closed_) return;
  if (handlersRunning_ > 0) {
    // Freed once the handler has returned; until then it only disappears.
    hide();
    return;
  }
  closed_ = true;
  stopTimers();
  hide();
  if (owner_) owner_->popupClosed(this);
  deleteLater();
}

std::int64_t TfrmMSNPopUp::onMessage(const platform::Message& message) {
  if (message.message == platform::msg::kClosePopupOf) {
    if (p_.IEHandle != 0 && message.wParam == static_cast<std::int64_t>(p_.IEHandle)) startSlideOut();
  } else if (message.message == platform::msg::kClose) {
    closePopup();
  }
  return 0;
}

}  // namespace widgets
