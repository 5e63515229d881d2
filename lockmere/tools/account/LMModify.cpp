// libLMModify.so: password and fingerprint change.
#include "lockmere/tools/account/AccountTools.h"
#include "lockmere/tools/account/ui/ChangeWindows.h"
#include "lockmere/tools/account/ui/ToolEntry.h"
#include "lockmere/tools/account/ui/ToolTexts.h"

int OpenPWModifyForm(std::uint32_t window, const unsigned char* token, const unsigned char* block, int y, int x) {
  using namespace account::ui;
  if (!haveApplication()) return 0;
  const QString title = text(Text::PasswordChangeTitle);
  auto programKey = acceptToken(window, token, title);
  if (!programKey) return 0;
  auto account = acceptModificationBlock(window, block, *programKey, title);
  if (!account) return 0;
  (new PasswordChangeWindow(window, std::move(*programKey), std::move(*account)))->showAt(x, y);
  return 1;
}

int OpenFPModifyForm(std::uint32_t window, const unsigned char* token, const unsigned char* block, int y, int x) {
  using namespace account::ui;
  if (!haveApplication()) return 0;
  const QString title = text(Text::FingerprintChangeTitle);
  auto programKey = acceptToken(window, token, title);
  if (!programKey) return 0;
  auto account = acceptModificationBlock(window, block, *programKey, title);
  if (!account) return 0;
  (new FingerprintChangeWindow(window, std::move(*programKey), std::move(*account)))->showAt(x, y);
  return 1;
}
