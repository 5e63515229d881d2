#include "lockmere/bio/NimbraUtil.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <vector>

#include "lockmere/bio/CheckConnectNimbra.h"
#include "lockmere/bio/Enroll.h"
#include "lockmere/bio/FingerBitmap.h"
#include "lockmere/bio/SensorPresence.h"
#include "lockmere/bio/Verify.h"
#include "platform/WindowMessages.h"
#include "platform/bus/MessageReceiver.h"

namespace bio {
namespace {

// The process-wide references: at most one thread of each kind for the whole
// program, shared by every utility. Read and written on the main thread only.
// Never destroyed: threads may outlive the program's statics.
struct RunningThreads {
  std::shared_ptr<TCheckConnectNimbra> checkConnect;
  std::shared_ptr<TEnroll> enroll;
  std::shared_ptr<TVerify> verify;
};

RunningThreads& running() {
  static auto* threads = new RunningThreads;
  return *threads;
}

// Stop: ask it to end and drop the reference.
template <class Thread>
void stopAndForget(std::shared_ptr<Thread>& thread) {
  if (thread) thread->Terminate();
  thread.reset();
}

template <class Thread>
bool reportsTo(const std::shared_ptr<Thread>& thread, platform::WindowHandle window) {
  return thread && window != 0 && thread->Window() == window;
}

template <class Thread>
bool runsFor(const std::shared_ptr<Thread>& thread, platform::WindowHandle window) {
  return reportsTo(thread, window) && !thread->Finished();
}

}  // namespace

TNimbraUtil::TNimbraUtil(QObject* owner) : QObject(owner) {
  sensorGoneTimer_.setSingleShot(true);
  sensorGoneTimer_.setInterval(kSensorGoneDelay);
  connect(&sensorGoneTimer_, &QTimer::timeout, this, [this] {
    if (auto callback = verifyError_) callback(-kSensorGone, kSensorGone);
  });
}

TNimbraUtil::~TNimbraUtil() {
  const platform::WindowHandle window = messageWindow();
  if (window == 0) return;
  // Only this utility's threads: they could no longer report to anyone. A
  // thread another window started goes on.
  std::vector<std::shared_ptr<TNimbraThread>> stopped;
  auto stop = [&](auto& thread) {
    if (!reportsTo(thread, window)) return;
    stopped.push_back(thread);
    stopAndForget(thread);
  };
  auto& threads = running();
  stop(threads.checkConnect);
  stop(threads.enroll);
  stop(threads.verify);
  const auto deadline = std::chrono::steady_clock::now() + kDestroyWait;
  for (const auto& thread : stopped)
    thread->WaitForEnd(
        std::max(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()),
                 std::chrono::milliseconds(0)));
  // Messages still on their way are dropped and waiting senders released.
  window_.reset();
}

platform::WindowHandle TNimbraUtil::messageWindow() const { return window_ ? window_->handle() : 0; }

platform::WindowHandle TNimbraUtil::ensureWindow() {
  if (!window_)
    window_ = std::make_unique<platform::MessageReceiver>([this](const platform::Message& m) { return onMessage(m); });
  return window_->handle();
}

bool TNimbraUtil::IsInstalledDriver(std::string_view productCode) const {
  return SensorPresence::isInstalledDriver(productCode);
}

bool TNimbraUtil::IsInstalledDriver() const { return SensorPresence::isAnyDriverInstalled(); }

bool TNimbraUtil::IsConnectedSensor() const { return SensorPresence::isConnectedSensor(); }

bool TNimbraUtil::IsWaitingForSensor() const { return runsFor(running().checkConnect, messageWindow()); }

bool TNimbraUtil::IsEnrolling() const { return runsFor(running().enroll, messageWindow()); }

bool TNimbraUtil::IsVerifying() const { return runsFor(running().verify, messageWindow()); }

std::shared_ptr<const NimbraExports> TNimbraUtil::exportsFor(std::initializer_list<const char*> names) {
  if (!sdk_) {
    error_ = QStringLiteral("No fingerprint library binding is set.");
    return nullptr;
  }
  auto exports = sdk_->exports();
  if (!exports) {
    error_ = QStringLiteral("The fingerprint libraries are not loaded.");
    return nullptr;
  }
  for (const char* name : names)
    if (!exports->has(name)) {
      error_ = QStringLiteral("%1 is not exported by %2")
                   .arg(QLatin1String(name), QString::fromStdString(exports->libraryOf(name)));
      return nullptr;
    }
  return exports;
}

int TNimbraUtil::refuse(int* error, int code, const QString& why) {
  error_ = why;
  if (error) *error = code;
  return 0;
}

template <class Thread, class... Args>
int TNimbraUtil::startWorker(std::shared_ptr<Thread>& reference, int* error, std::shared_ptr<const NimbraExports> sdk,
                             Args... args) {
  try {
    // TEnroll and TVerify open the sensor here, before the worker runs.
    auto thread = std::make_shared<Thread>(ensureWindow(), std::move(sdk), args...);
    if (!thread->Start()) return refuse(error, kStartFailed, QStringLiteral("Cannot start a fingerprint thread."));
    reference = std::move(thread);
  } catch (const NimbraError& e) {
    return refuse(error, kStartFailed, QString::fromUtf8(e.what()));
  }
  if (error) *error = 0;
  error_.clear();
  return 1;
}

bool TNimbraUtil::SetConnectedSensorEvent(TConnectedSensorEvent onConnected) {
  stopAndForget(running().checkConnect);
  connected_ = std::move(onConnected);
  auto sdk = exportsFor({"VD_OpenSensor", "VD_CloseSensor"});
  return sdk && startWorker(running().checkConnect, nullptr, std::move(sdk)) == 1;
}

int TNimbraUtil::EnrollStart(int fingerNumber, tagENROLL* enroll, unsigned char* preview, TEnrolledEvent onEnrolled,
                             TEnrollErrorEvent onError, int* error) {
  enrolled_ = std::move(onEnrolled);
  enrollError_ = std::move(onError);
  stopAndForget(running().enroll);
  if (fingerNumber < 1 || fingerNumber > 3 || !enroll)
    return refuse(error, kWrongParameter,
                  QStringLiteral("(EnrollStart) Wrong param : 1 <= finger number <= 3, template not NULL"));
  auto sdk = exportsFor({"VD_OpenSensor", "VD_CloseSensor", "VD_Enroll"});
  if (!sdk) return refuse(error, kStartFailed, error_);
  return startWorker(running().enroll, error, std::move(sdk), fingerNumber - 1, enroll, preview);
}

void TNimbraUtil::EnrollStop() {
  enrolled_ = nullptr;
  enrollError_ = nullptr;
  if (reportsTo(running().enroll, messageWindow())) stopAndForget(running().enroll);
}

bool TNimbraUtil::VerifyStart(const unsigned char* templates, int count, int recordSize, int headerSize,
                              unsigned char* preview, TVerifiedEvent onVerified, TVerifyErrorEvent onError,
                              int* error) {
  verified_ = std::move(onVerified);
  verifyError_ = std::move(onError);
  sensorGoneTimer_.stop();
  stopAndForget(running().verify);
  if (count > 0 && !templates)
    return refuse(error, kWrongParameter, QStringLiteral("(VerifyStart) Wrong param : template buffer is NULL."));
  auto sdk = TVerify::searchesInSlices(count, recordSize, headerSize)
                 ? exportsFor({"VD_OpenSensor", "VD_CloseSensor", "VD_GetWholeImage", "VD_DetectWholeFinger"})
                 : exportsFor({"VD_OpenSensor", "VD_CloseSensor", "VD_Compare"});
  if (!sdk) return refuse(error, kStartFailed, error_);
  return startWorker(running().verify, error, std::move(sdk), templates, count, recordSize, headerSize, preview) == 1;
}

void TNimbraUtil::VerifyStop() {
  verified_ = nullptr;
  verifyError_ = nullptr;
  sensorGoneTimer_.stop();
  auto& verify = running().verify;
  if (!reportsTo(verify, messageWindow())) return;
  auto thread = verify;
  stopAndForget(verify);
  if (!thread->Finished()) thread->WaitForEnd(kVerifyStopWait);
}

std::int64_t TNimbraUtil::onMessage(const platform::Message& m) {
  switch (m.message) {
    case platform::msg::kSensorConnected: {
      auto& poller = running().checkConnect;
      if (!poller || !poller->Claim(m)) return 0;  // from a poller that was stopped
      poller.reset();
      if (auto callback = connected_) callback();
      return 0;
    }
    case platform::msg::kEnrolled:
    case platform::msg::kEnrollError:
      onEnrollMessage(m);
      return 0;
    case platform::msg::kVerified:
    case platform::msg::kVerifyNoMatch:
    case platform::msg::kVerifyError:
      onVerifyMessage(m);
      return 0;
    default:
      return 0;
  }
}

void TNimbraUtil::onEnrollMessage(const platform::Message& m) {
  // A local reference: a callback may start the next finger and replace it.
  auto thread = running().enroll;
  if (!thread || !thread->Claim(m)) return;  // from a thread that was stopped
  thread->DeliverResults();
  const int fingerNumber = int(m.wParam) + 1;
  if (m.message == platform::msg::kEnrolled) {
    if (auto callback = enrolled_) callback(fingerNumber);
    return;
  }
  const int code = int(m.lParam);
  if (code == kSensorGone) stopAndForget(running().enroll);
  if (auto callback = enrollError_) callback(fingerNumber, code);
}

void TNimbraUtil::onVerifyMessage(const platform::Message& m) {
  auto thread = running().verify;
  if (!thread || !thread->Claim(m)) return;  // from a thread that was stopped
  thread->DeliverResults();
  const int value = int(m.wParam);
  if (m.message == platform::msg::kVerified) {
    if (auto callback = verified_) callback(value);
  } else if (m.message == platform::msg::kVerifyNoMatch) {
    if (auto callback = verifyError_) callback(kNoMatchArgument, value);
  } else if (value == kSensorGone) {
    // The thread ends as soon as this handler returns; the callback follows
    // later, without holding up the main thread.
    stopAndForget(running().verify);
    sensorGoneTimer_.start();
  } else {
    if (auto callback = verifyError_) callback(-value, value);
  }
}

void TNimbraUtil::DrawFingerImage(QPainter& canvas, const unsigned char* image) const {
  if (!sdk_ || !canvas.isActive()) return;
  const QImage bitmap = FingerBitmap::fromImage(image, sdk_->SDKType());
  if (bitmap.isNull()) return;
  const QSize size = canvas.hasClipping() ? canvas.clipBoundingRect().toAlignedRect().size()
                                          : QSize(canvas.device()->width(), canvas.device()->height());
  canvas.drawImage(QRect(QPoint(0, 0), size), bitmap, QRect(0, 0, FingerBitmap::kSize, FingerBitmap::kSize));
}

void TNimbraUtil::DrawFingerImage(QPaintDevice& canvas, const unsigned char* image) const {
  QPainter painter(&canvas);
  DrawFingerImage(painter, image);
}

}  // namespace bio
