#include "lockmere/tools/account/ui/EnrollmentPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "lockmere/bio/NimbraSDK.h"
#include "lockmere/bio/NimbraUtil.h"
#include "lockmere/bio/RecordSearch.h"
#include "lockmere/tools/account/core/AccountCreation.h"
#include "lockmere/tools/account/core/Fingers.h"
#include "lockmere/tools/account/ui/ToolWindow.h"

namespace account::ui {
namespace {

constexpr int kPreviewSide = 150;
constexpr int kRefusalShownMs = 2500;  // a refusal stays readable while the finger is lifted
constexpr int kNoFinger = -7, kOtherFinger = -2, kNotMoved = -10, kSensorGone = -13;

}  // namespace

EnrollmentPanel::EnrollmentPanel(QWidget* parent)
    : QGroupBox(text(Text::FingersGroup), parent),
      sdk_(std::make_unique<bio::TNimbraMSDK>()),
      util_(std::make_unique<bio::TNimbraUtil>()),
      search_(std::make_unique<bio::RecordSearch>()) {
  setObjectName(QStringLiteral("EnrollmentPanel"));
  previewLabel_ = new QLabel(this);
  previewLabel_->setObjectName(QStringLiteral("ImgPreview"));
  previewLabel_->setFixedSize(kPreviewSide, kPreviewSide);
  previewLabel_->setFrameShape(QFrame::Box);
  previewLabel_->setAlignment(Qt::AlignCenter);
  steps_ = new QLabel(this);
  steps_->setObjectName(QStringLiteral("LbSteps"));
  steps_->setAlignment(Qt::AlignCenter);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("LbEnrollStatus"));
  status_->setWordWrap(true);
  status_->setMinimumHeight(status_->fontMetrics().height() * 3);
  status_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("LstFingers"));
  list_->setMaximumHeight(kPreviewSide - 40);
  add_ = new QPushButton(text(Text::AddFinger), this);
  add_->setObjectName(QStringLiteral("BtnAddFinger"));
  remove_ = new QPushButton(text(Text::RemoveFinger), this);
  remove_->setObjectName(QStringLiteral("BtnRemoveFinger"));
  stop_ = new QPushButton(text(Text::StopEnrolling), this);
  stop_->setObjectName(QStringLiteral("BtnStopEnrolling"));

  auto* picture = new QVBoxLayout;
  picture->addWidget(previewLabel_);
  picture->addWidget(steps_);
  picture->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(add_);
  buttons->addWidget(remove_);
  buttons->addWidget(stop_);
  buttons->addStretch();
  auto* side = new QVBoxLayout;
  side->addWidget(status_);
  side->addWidget(list_);
  side->addLayout(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(picture);
  layout->addLayout(side, 1);

  connect(add_, &QPushButton::clicked, this, &EnrollmentPanel::addFinger);
  connect(remove_, &QPushButton::clicked, this, &EnrollmentPanel::removeSelected);
  connect(stop_, &QPushButton::clicked, this, &EnrollmentPanel::stopEnrolling);
  connect(list_, &QListWidget::currentRowChanged, this, &EnrollmentPanel::refreshButtons);

  util_->setNimbraMSDK(sdk_.get());
  preview_.fill(0xEE);  // the ground of the picture until the first capture
  refreshPreview();
  checkSensor();
}

EnrollmentPanel::~EnrollmentPanel() {
  util_.reset();  // stops the enroll thread before the template it fills goes
  wipe(current_);
  wipe(fingers_);
}

void EnrollmentPanel::setEnrolledElsewhere(store::TemplateRecords records) { elsewhere_ = std::move(records); }

std::vector<tagENROLL> EnrollmentPanel::fingers(int level) const {
  std::vector<tagENROLL> out = fingers_;
  char message[256];
  int error = 0;
  for (tagENROLL& finger : out) {
    try {
      sdk_->VD_SetSecurityLevel(&finger, level, message, &error);
    } catch (const std::exception&) {
      // Without the library no finger was enrolled in the first place.
    }
  }
  return out;
}

QString EnrollmentPanel::status() const { return status_->text(); }

void EnrollmentPanel::checkSensor() {
  try {
    sdk_->LoadNimbraSDK();
  } catch (const std::exception& e) {
    sensor_ = Sensor::NoLibrary;
    setStatus(problemText(Failure(Problem::FingerprintLibraryMissing)), true);
    refreshButtons();
    return;
  }
  if (!search_->isLoaded()) {
    sensor_ = Sensor::NoLibrary;
    setStatus(problemText(Failure(Problem::FingerprintLibraryMissing)), true);
  } else if (!util_->IsInstalledDriver()) {
    sensor_ = Sensor::NoDriver;
    setStatus(text(Text::DriverMissing), true);
  } else if (!util_->IsConnectedSensor()) {
    waitForSensor();
  } else {
    sensor_ = Sensor::Ready;
    setStatus(text(Text::EnrollReady));
  }
  refreshButtons();
}

void EnrollmentPanel::waitForSensor() {
  sensor_ = Sensor::NoSensor;
  setStatus(text(Text::SensorMissing), true);
  util_->SetConnectedSensorEvent([this] {
    sensor_ = Sensor::Ready;
    if (enrolling_) {
      startSlot();  // goes on with the impressions already in
    } else {
      setStatus(text(Text::EnrollReady));
    }
    refreshButtons();
  });
}

void EnrollmentPanel::addFinger() {
  if (sensor_ != Sensor::Ready || enrolling_) return;
  std::memset(&current_, 0, sizeof current_);
  slot_ = 1;
  enrolling_ = true;
  liftedSinceAccepted_ = true;
  lastRefusal_.invalidate();
  startSlot();
  refreshButtons();
}

void EnrollmentPanel::startSlot() {
  int error = 0;
  auto enrolled = [this](int number) { onEnrolled(number); };
  auto refused = [this](int number, int code) { onEnrollError(number, code); };
  if (util_->EnrollStart(slot_, &current_, preview_.data(), enrolled, refused, &error)) {
    setStatus(slot_ == 1 ? text(Text::EnrollLay).arg(slot_) : text(Text::EnrollLiftAndLay).arg(slot_));
  } else if (!util_->IsConnectedSensor()) {
    waitForSensor();
  } else {
    enrolling_ = false;
    setStatus(text(Text::SensorNotOpened), true);
  }
  refreshButtons();
  emit progressChanged();
}

void EnrollmentPanel::onEnrolled(int number) {
  refreshPreview();
  liftedSinceAccepted_ = false;
  lastRefusal_.invalidate();
  if (number >= 3) {
    finishFinger();
    return;
  }
  slot_ = number + 1;
  startSlot();
}

void EnrollmentPanel::onEnrollError(int number, int code) {
  refreshPreview();
  const bool refusalShowing = lastRefusal_.isValid() && lastRefusal_.elapsed() < kRefusalShownMs;
  switch (code) {
    case kNoFinger:
      liftedSinceAccepted_ = true;
      if (!refusalShowing) setStatus(text(Text::EnrollLay).arg(number));
      break;
    case kNotMoved:
      // Still lying where the last impression was taken: the user has not lifted yet.
      if (!liftedSinceAccepted_) {
        if (!refusalShowing) setStatus(text(Text::EnrollLiftAndLay).arg(number));
      } else {
        setStatus(text(Text::EnrollNotMoved), true);
        lastRefusal_.start();
      }
      break;
    case kOtherFinger:
      setStatus(text(Text::EnrollOtherFinger), true);
      lastRefusal_.start();
      break;
    case kSensorGone:
      // The thread has ended; the impressions taken stay and enrollment goes on
      // when the sensor is back.
      sensor_ = Sensor::NoSensor;
      setStatus(text(Text::SensorGone), true);
      util_->SetConnectedSensorEvent([this] {
        sensor_ = Sensor::Ready;
        if (enrolling_) startSlot();
        refreshButtons();
      });
      break;
    default:
      break;
  }
  refreshButtons();
  emit progressChanged();
}

void EnrollmentPanel::finishFinger() {
  enrolling_ = false;
  store::TemplateRecords known = elsewhere_;
  if (const auto own = makeRecords("-", fingers_)) known.append(*own);
  if (findEnrolledFinger(*search_, current_, known)) {
    setStatus(text(Text::EnrollAlreadyEnrolled), true);
  } else {
    fingers_.push_back(current_);
    auto* item = new QListWidgetItem(text(Text::FingerItem).arg(fingers_.size()), list_);
    list_->setCurrentItem(item);
    setStatus(text(Text::EnrollDone).arg(fingers_.size()));
    emit fingersChanged();
  }
  wipe(current_);
  refreshButtons();
  emit progressChanged();
}

void EnrollmentPanel::removeSelected() {
  const int row = list_->currentRow();
  if (row < 0 || row >= fingerCount()) return;
  wipe(fingers_[std::size_t(row)]);
  fingers_.erase(fingers_.begin() + row);
  delete list_->takeItem(row);
  for (int i = 0; i < list_->count(); ++i) list_->item(i)->setText(text(Text::FingerItem).arg(i + 1));
  refreshButtons();
  emit fingersChanged();
}

void EnrollmentPanel::stopEnrolling() {
  if (!enrolling_) return;
  util_->EnrollStop();
  enrolling_ = false;
  wipe(current_);
  setStatus(text(Text::EnrollStopped));
  refreshButtons();
  emit progressChanged();
}

void EnrollmentPanel::setStatus(const QString& line, bool problem) {
  status_->setStyleSheet(problem ? QStringLiteral("color: #b00020;") : QString());
  status_->setText(line);
  fitWindowOf(status_);
  QString dots;
  for (int i = 1; i <= 3; ++i) dots += enrolling_ && i < slot_ ? QStringLiteral("● ") : QStringLiteral("○ ");
  steps_->setText(enrolling_ ? dots.trimmed() : QString());
}

void EnrollmentPanel::refreshPreview() {
  QImage canvas(kPreviewSide, kPreviewSide, QImage::Format_RGB32);
  canvas.fill(QColor(0xEE, 0xEE, 0xEE));  // DrawFingerImage draws nothing without the libraries
  if (sdk_->bLoaded()) util_->DrawFingerImage(canvas, preview_.data());
  previewLabel_->setPixmap(QPixmap::fromImage(canvas));
}

void EnrollmentPanel::refreshButtons() {
  add_->setEnabled(sensor_ == Sensor::Ready && !enrolling_);
  stop_->setEnabled(enrolling_);
  remove_->setEnabled(!enrolling_ && list_->currentRow() >= 0);
}

}  // namespace account::ui
