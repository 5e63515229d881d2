// libOrvane.so: the new-user tool.
#include "lockmere/tools/account/AccountTools.h"
#include "lockmere/tools/account/ui/NewUserWindow.h"
#include "lockmere/tools/account/ui/ToolEntry.h"
#include "lockmere/tools/account/ui/ToolTexts.h"

int OpenOrvaneForm(std::uint32_t window, const unsigned char* token) {
  using namespace account::ui;
  if (!haveApplication()) return 0;
  auto programKey = acceptToken(window, token, text(Text::NewUserTitle));
  if (!programKey) return 0;
  (new NewUserWindow(window, std::move(*programKey)))->showAt();
  return 1;
}
