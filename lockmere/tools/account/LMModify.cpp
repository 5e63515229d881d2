// libLMModify.so: password and fingerprint change.
#include "lockmere/tools/account/AccountTools.h"
#include "lockmere/tools/account/ui/ChangeWindows.h"
#include "lockmere/tools/account/ui/ToolEntry.h"
#include "lockmere/tools/account/ui/ToolTexts.h"

namespace {

// Both change tools take the token and the modification block the same way.
template <class Window>
int openChangeWindow(std::uint32_t window, const unsigned char* token, const unsigned char* block, int x, int y,
                     account::ui::Text title) {
  using namespace account::ui;
  if (!haveApplication()) return 0;
  auto programKey = acceptToken(window, token, text(title));
  if (!programKey) return 0;
  auto account = acceptModificationBlock(window, block, *programKey, text(title));
  if (!account) return 0;
  (new Window(window, std::move(*programKey), std::move(*account)))->showAt(x, y);
  return 1;
}

}  // namespace

int OpenPWModifyForm(std::uint32_t window, const unsigned char* token, const unsigned char* block, int y, int x) {
  return openChangeWindow<account::ui::PasswordChangeWindow>(window, token, block, x, y,
                                                             account::ui::Text::PasswordChangeTitle);
}

int OpenFPModifyForm(std::uint32_t window, const unsigned char* token, const unsigned char* block, int y, int x) {
  return openChangeWindow<account::ui::FingerprintChangeWindow>(window, token, block, x, y,
                                                                account::ui::Text::FingerprintChangeTitle);
}
