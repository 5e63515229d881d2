#pragma once

#include <cstdint>

namespace platform {

// A window's handle on the message bus: 32 bits, never 0 for a live window.
using WindowHandle = std::uint32_t;

// The system's window messages. The numbers are fixed (other programs send them),
// counted from WM_USER as on the original platform.
namespace msg {

constexpr std::uint32_t kWmUser = 0x400;

// Standard messages the windows send each other.
constexpr std::uint32_t kClose = 0x0010;       // WM_CLOSE
constexpr std::uint32_t kSysCommand = 0x0112;  // WM_SYSCOMMAND, wParam one of:
constexpr std::int64_t kScClose = 0xF060;      //   SC_CLOSE
constexpr std::int64_t kScRestore = 0xF120;    //   SC_RESTORE

// Login windows, each to itself.
constexpr std::uint32_t kLoginStartup = kWmUser + 1;      // 0x401 start-up work of the login window
constexpr std::uint32_t kLoginStartVerify = kWmUser + 2;  // 0x402 start a verification
constexpr std::uint32_t kLoginAccepted = kWmUser + 3;  // 0x403 finger matched / password accepted; wParam record index

// Fingerprint threads to the fingerprint utility's hidden window.
constexpr std::uint32_t kSensorConnected = kWmUser + 130;  // 0x482 posted: a plugged-in sensor opened
constexpr std::uint32_t kEnrolled = kWmUser + 132;         // 0x484 sent: wParam slot 0..2
constexpr std::uint32_t kEnrollError = kWmUser + 134;      // 0x486 sent: wParam slot, lParam error code
constexpr std::uint32_t kVerified = kWmUser + 136;         // 0x488 sent: wParam matching template index
constexpr std::uint32_t kVerifyNoMatch = kWmUser + 138;    // 0x48A sent: wParam the search's error code
constexpr std::uint32_t kVerifyError = kWmUser + 140;      // 0x48C sent: wParam error code

// Browser side, to the main window.
constexpr std::uint32_t kBrowserGone = 0x4FA;       // add-on: wParam browser window; drop its forms and popup
constexpr std::uint32_t kDropBrowserForms = 0x4FD;  // self, before a log-in request: as kBrowserGone
constexpr std::uint32_t kLoginOnBrowser = 0x503;    // wParam browser window: log in on it
constexpr std::uint32_t kRegisterRequest = 0x7FC;   // add-on: register the page in LastAddSiteURL
constexpr std::uint32_t kLoginRequest = 0x7FE;      // add-on: log in on the page in LastAddSiteURL

// Main window.
constexpr std::uint32_t kToolFinished = kWmUser + 1001;  // 0x7E9 account tool done; wParam one of:
constexpr std::int64_t kToolStoreRestored = 101;         //   a store was restored: reload it
constexpr std::int64_t kToolFingerprintsChanged = 102;   //   fingerprints changed: reload the records
constexpr std::uint32_t kAddSite = kWmUser + 1002;       // 0x7EA wParam detected site ID or -1, lParam browser window
constexpr std::uint32_t kPasswordGenClosed = kWmUser + 1003;  // 0x7EB free the password generator
constexpr std::uint32_t kIdleLogout = kWmUser + 1010;         // 0x7F2 wParam 1: the idle period has passed
constexpr std::uint32_t kLoginButton = kWmUser + 1030;        // 0x806 from other programs: press the login button
constexpr std::uint32_t kOpenAddress = kWmUser + 1040;        // 0x810 a second start: open the address in LastOpenURL

// Notification popup windows.
constexpr std::uint32_t kClosePopupOf = kWmUser + 4444;  // 0x155C wParam browser window: slide its popup away

}  // namespace msg
}  // namespace platform
