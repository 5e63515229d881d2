#include "lockmere/tools/account/ui/ToolEntry.h"

#include <QApplication>

#include "lockmere/store/AccountToolBlocks.h"
#include "lockmere/tools/account/core/ToolToken.h"
#include "lockmere/tools/account/ui/ToolTexts.h"
#include "lockmere/tools/account/ui/ToolWindow.h"
#include "platform/Registry.h"
#include "platform/bus/MessageBus.h"

namespace account::ui {
namespace {

void refuse(platform::WindowHandle window, const QString& title, const Failure& failure) {
  showNotice(title, text(Text::ToolRefused) + "\n" + problemText(failure), true);
  if (window) platform::MessageBus::post(window, platform::msg::kToolFinished, 0);
}

}  // namespace

bool haveApplication() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

std::optional<crypto::SecureBytes> acceptToken(platform::WindowHandle window, const unsigned char* token,
                                               const QString& title) {
  auto key = openToolToken(token, token ? store::tools::kTokenSize : 0);
  if (!key) {
    refuse(window, title, key.failure());
    return std::nullopt;
  }
  return std::move(*key);
}

std::optional<UnlockedAccount> acceptModificationBlock(platform::WindowHandle window, const unsigned char* block,
                                                       const crypto::SecureBytes& programKey, const QString& title) {
  platform::Registry registry(platform::Registry::CurrentUser);
  auto account = unlockWithModificationBlock(AccountRegistry(registry), block,
                                             block ? store::tools::kModificationSize : 0, programKey);
  if (!account) {
    refuse(window, title, account.failure());
    return std::nullopt;
  }
  return std::move(*account);
}

}  // namespace account::ui
