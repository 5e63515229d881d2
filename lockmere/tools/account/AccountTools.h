#pragma once

/*
 * The account tools' entry points, as the program finds them by name in
 * libOrvane.so ("Orvane.dll"), libCaskle.so ("Caskle.dll") and libLMModify.so
 * ("LMModify.dll"). Each opens its window (non-modal, in the program's
 * process and event loop; a QApplication must exist) and returns 1, or shows
 * why it cannot and returns 0. The window handle is the program's window on
 * the message bus; the window reports there when it closes: 0x7E9 with
 * wParam 101 (the logged-in user's store was restored or imported into:
 * reload it), 102 (fingerprints changed) or 0, and 0x7EB for the password
 * generator. A refused token is reported the same way (0x7E9 / 0), so that
 * the program never waits for a window that did not open.
 *
 * token: the 128-byte tool token; block: the 128-byte modification block;
 * IDs are UTF-8, NUL-terminated (OpenRestoreForm: null or empty when nobody
 * is logged in).
 */
#include <cstdint>

#define LOCKMERE_ACCOUNT_TOOL extern "C" __attribute__((visibility("default")))

LOCKMERE_ACCOUNT_TOOL int OpenOrvaneForm(std::uint32_t window, const unsigned char* token);

LOCKMERE_ACCOUNT_TOOL int OpenBackupForm(std::uint32_t window, const unsigned char* token, const char* userId);
LOCKMERE_ACCOUNT_TOOL int OpenRestoreForm(std::uint32_t window, const unsigned char* token, const char* userId);
LOCKMERE_ACCOUNT_TOOL int OpenPasswordGenForm(std::uint32_t window, int x, int y);

LOCKMERE_ACCOUNT_TOOL int OpenPWModifyForm(std::uint32_t window, const unsigned char* token, const unsigned char* block,
                                           int y, int x);
LOCKMERE_ACCOUNT_TOOL int OpenFPModifyForm(std::uint32_t window, const unsigned char* token, const unsigned char* block,
                                           int y, int x);

namespace account {
using OpenOrvaneFormFn = decltype(&::OpenOrvaneForm);
using OpenBackupFormFn = decltype(&::OpenBackupForm);
using OpenRestoreFormFn = decltype(&::OpenRestoreForm);
using OpenPasswordGenFormFn = decltype(&::OpenPasswordGenForm);
using OpenPWModifyFormFn = decltype(&::OpenPWModifyForm);
using OpenFPModifyFormFn = decltype(&::OpenFPModifyForm);
}  // namespace account
