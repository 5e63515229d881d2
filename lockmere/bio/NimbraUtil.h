#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string_view>

#include "lockmere/bio/NimbraSDK.h"
#include "platform/bus/Message.h"

class QPainter;
class QPaintDevice;

namespace platform {
class MessageReceiver;
}

namespace bio {

// The fingerprint utility of a window: whether the sensor driver is installed
// and a sensor plugged in, a wait in the background for a sensor to be plugged
// in, and enrollment and verification in worker threads (TCheckConnectNimbra,
// TEnroll, TVerify) so that the window stays responsive. The threads report to
// a hidden message window of the utility (0x482..0x48C); the utility turns each
// message into a call of the window's callback, always on the main thread.
//
//   auto* util = new bio::TNimbraUtil(this);
//   util->setNimbraMSDK(sdk);  // loaded (TNimbraMSDK::LoadNimbraSDK)
//   if (util->IsConnectedSensor()) startVerify(); else util->SetConnectedSensorEvent([this] { startVerify(); });
//   util->VerifyStart(records, n, 3656, 52, preview, [this](int i) { ... }, [this](int a, int) { ... }, &error);
//
// At most one thread of each kind runs in the whole program: starting one stops
// the running one of its kind, whichever utility started it. Stopping a thread
// asks it to end and forgets it; nobody waits for it except where stated.
//
// Buffers handed to EnrollStart / VerifyStart are read when the thread starts
// and written only on the main thread, just before a callback, until the thread
// is stopped or ends (or this utility is destroyed). Use from the main thread;
// do not delete the utility inside one of its callbacks (deleteLater() is fine).
class TNimbraUtil : public QObject {
  Q_OBJECT
  Q_PROPERTY(bio::TNimbraMSDK* NimbraMSDK READ NimbraMSDK WRITE setNimbraMSDK)

 public:
  using TConnectedSensorEvent = std::function<void()>;
  using TEnrolledEvent = std::function<void(int fingerNumber)>;
  using TEnrollErrorEvent = std::function<void(int fingerNumber, int code)>;
  using TVerifiedEvent = std::function<void(int index)>;
  using TVerifyErrorEvent = std::function<void(int a, int b)>;

  static constexpr int kStartFailed = -100;       // the sensor (or the libraries) cannot be used
  static constexpr int kWrongParameter = -1;      // EnrollStart / VerifyStart called wrongly
  static constexpr int kNoMatchArgument = -1000;  // first argument of the verify-error callback for no match
  static constexpr int kSensorGone = -13;
  static constexpr std::chrono::milliseconds kVerifyStopWait{600};
  static constexpr std::chrono::milliseconds kSensorGoneDelay{500};
  static constexpr std::chrono::milliseconds kDestroyWait{100};

  explicit TNimbraUtil(QObject* owner = nullptr);
  // Stops the threads that report to this utility, waits up to 100 ms for
  // them, then destroys the message window.
  ~TNimbraUtil() override;

  // The binding used; the utility forgets it when it is destroyed.
  TNimbraMSDK* NimbraMSDK() const { return sdk_; }
  void setNimbraMSDK(TNimbraMSDK* sdk) { sdk_ = sdk; }

  // The driver package with this installer product code is installed.
  bool IsInstalledDriver(std::string_view productCode) const;
  // Any of the three driver packages (ridgeport/driver/SensorIdentity.h).
  bool IsInstalledDriver() const;
  // An accepted sensor is plugged in.
  bool IsConnectedSensor() const;

  // Stops and forgets a running polling thread, starts a new one and keeps the
  // callback, which runs once when a plugged-in sensor has been opened. False
  // when the thread cannot be started (errorString()).
  bool SetConnectedSensorEvent(TConnectedSensorEvent onConnected);

  // Enrolls finger 1..3 into its slot of the caller's template: keeps the
  // callbacks, stops and forgets a running enroll thread and starts a new one.
  // Returns 1; 0 with *error = -100 when the sensor cannot be opened (or the
  // libraries lack an export; errorString() says which), -1 for a wrong finger
  // number or a null template. The enrolled callback gets the finger number, the
  // enroll-error callback (finger number, code): -7 no finger, -2 another finger,
  // -10 finger not moved, -13 sensor gone (the thread has ended).
  int EnrollStart(int fingerNumber, tagENROLL* enroll, unsigned char* preview, TEnrolledEvent onEnrolled,
                  TEnrollErrorEvent onError, int* error);
  // Forgets the callbacks; stops and forgets this utility's enroll thread.
  void EnrollStop();

  // Searches count templates (template i at templates + headerSize + i *
  // recordSize; the windows pass 3656 and 52) until one matches. More than 60
  // such records (the classic search's limit) are searched in slices, one
  // captured image for all of them (see TVerify). As
  // EnrollStart for the result. The verified callback gets the index; the
  // verify-error callback (-1000, code) after a search without a match and
  // (-code, code) after a failed one: (7, -7) no finger, and (13, -13), 500 ms
  // after the thread ended because the sensor is gone.
  bool VerifyStart(const unsigned char* templates, int count, int recordSize, int headerSize, unsigned char* preview,
                   TVerifiedEvent onVerified, TVerifyErrorEvent onError, int* error);
  // Forgets the callbacks; when this utility's verify thread runs, stops and
  // forgets it and waits until it has ended, at most 600 ms.
  void VerifyStop();

  // Draws a captured image as the windows show it (see FingerBitmap, by the
  // binding's SDKType), stretched from (0, 0) over the painter's clip size
  // (the device's size without clipping).
  void DrawFingerImage(QPainter& canvas, const unsigned char* image) const;
  void DrawFingerImage(QPaintDevice& canvas, const unsigned char* image) const;

  // Why the last start failed.
  QString errorString() const { return error_; }
  // The hidden message window's handle; 0 until the first thread starts.
  platform::WindowHandle messageWindow() const;

  // Whether a thread of that kind that reports to this utility is running.
  bool IsWaitingForSensor() const;
  bool IsEnrolling() const;
  bool IsVerifying() const;

 private:
  platform::WindowHandle ensureWindow();
  std::shared_ptr<const NimbraExports> exportsFor(std::initializer_list<const char*> names);
  int refuse(int* error, int code, const QString& why);
  template <class Thread, class... Args>
  int startWorker(std::shared_ptr<Thread>& reference, int* error, std::shared_ptr<const NimbraExports> sdk,
                  Args... args);
  std::int64_t onMessage(const platform::Message& m);
  void onEnrollMessage(const platform::Message& m);
  void onVerifyMessage(const platform::Message& m);

  QPointer<TNimbraMSDK> sdk_;
  std::unique_ptr<platform::MessageReceiver> window_;
  TConnectedSensorEvent connected_;
  TEnrolledEvent enrolled_;
  TEnrollErrorEvent enrollError_;
  TVerifiedEvent verified_;
  TVerifyErrorEvent verifyError_;
  QTimer sensorGoneTimer_;  // the delayed verify-error callback after a -13
  QString error_;
};

}  // namespace bio
