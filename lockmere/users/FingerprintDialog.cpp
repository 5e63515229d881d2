#include "lockmere/users/FingerprintDialog.h"

#include "lockmere/bio/NimbraSDK.h"
#include "lockmere/bio/NimbraUtil.h"
#include "lockmere/users/SessionHost.h"
#include "platform/bus/MessageBus.h"

namespace users {

FingerprintDialog::FingerprintDialog(SessionHost& host, QWidget* parent)
    : QDialog(parent),
      host_(host),
      users_(platform::Registry(platform::Registry::CurrentUser), host.programKey()),
      receiver_([this](const platform::Message& m) -> std::int64_t {
        if (!finished_) handleMessage(m);
        return 0;
      }),
      sdk_(SensorWatch::createBinding(this)),
      util_(new bio::TNimbraUtil(this)),
      watch_(util_, receiver_.handle()) {
  util_->setNimbraMSDK(sdk_);
}

FingerprintDialog::~FingerprintDialog() {
  finished_ = true;
  watch_.stop();
  delete util_;
  delete sdk_;
}

void FingerprintDialog::post(std::uint32_t message, std::int64_t wParam) {
  platform::MessageBus::post(handle(), message, wParam);
}

void FingerprintDialog::reject() { done(mrCancel); }

void FingerprintDialog::done(int result) {
  // Nothing may log in once the window has closed.
  finished_ = true;
  watch_.stop();
  clearSecrets();
  QDialog::done(result);
}

}  // namespace users
