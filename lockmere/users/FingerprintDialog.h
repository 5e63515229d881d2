#pragma once

#include <QDialog>

#include "lockmere/store/UserDirectory.h"
#include "lockmere/users/ModalResult.h"
#include "lockmere/users/SensorWatch.h"
#include "platform/bus/MessageReceiver.h"

namespace bio {
class TNimbraMSDK;
class TNimbraUtil;
}  // namespace bio

namespace users {

class SessionHost;

// What the login, confirmation and deletion windows have in common: the
// users' registry, their own fingerprint binding and utility (the libraries
// loaded at creation), a handle for the messages they post to themselves
// (0x401..0x403), and a close that stops the sensor at once, after which no
// message is handled any more.
class FingerprintDialog : public QDialog {
  Q_OBJECT

 public:
  // Stops the verification, then frees the utility and the binding.
  ~FingerprintDialog() override;

  platform::WindowHandle handle() const { return receiver_.handle(); }
  bool isVerifying() const { return watch_.isVerifying(); }

  void done(int result) override;
  void reject() override;  // the close box and Escape: mrCancel

 protected:
  FingerprintDialog(SessionHost& host, QWidget* parent);

  // A message to this window while it is open.
  virtual void handleMessage(const platform::Message& m) = 0;
  // Called when the window closes: clear the password edits.
  virtual void clearSecrets() = 0;

  SessionHost& host() { return host_; }
  store::UserDirectory& users() { return users_; }
  SensorWatch& watch() { return watch_; }
  bool isFinished() const { return finished_; }
  void post(std::uint32_t message, std::int64_t wParam = 0);

 private:
  SessionHost& host_;
  store::UserDirectory users_;
  platform::MessageReceiver receiver_;
  bio::TNimbraMSDK* sdk_;
  bio::TNimbraUtil* util_;
  SensorWatch watch_;
  bool finished_ = false;
};

}  // namespace users
