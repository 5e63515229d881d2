#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "lockmere/crypto/SecureBytes.h"
#include "lockmere/tools/account/core/Unlock.h"
#include "platform/WindowMessages.h"

// What every entry point does before its window opens.
namespace account::ui {

// A QApplication runs: the tools' windows live in the program's event loop.
bool haveApplication();

// The program key from the token. A token that does not open shows why (a
// notice titled with the tool's window title) and reports 0x7E9 / 0 to the
// program's window; nullopt then.
std::optional<crypto::SecureBytes> acceptToken(platform::WindowHandle window, const unsigned char* token,
                                               const QString& title);

// The account the modification block names, checked against its data file;
// a refusal is shown and reported as above.
std::optional<UnlockedAccount> acceptModificationBlock(platform::WindowHandle window, const unsigned char* block,
                                                       const crypto::SecureBytes& programKey, const QString& title);

}  // namespace account::ui
