// The main window's private messages and command ids, and the port the phone streams on: one
// name each, for whoever sends and whoever handles them. Plain numbers without <windows.h>, so
// neutral code (the scanner, the stream worker, the simulator) names them too.
#pragma once

#include <cstdint>

namespace vl {

// <winuser.h>'s WM_USER: the first message number a window class may give its own meaning.
inline constexpr unsigned kWindowMessageBase = 0x400;

// From the stream worker (WindowNotifyListener): posted.
inline constexpr unsigned kMsgStreamConnected = kWindowMessageBase + 1;      // 0x401
inline constexpr unsigned kMsgStreamRunEnded = kWindowMessageBase + 2;       // 0x402
inline constexpr unsigned kMsgStreamConnectFailed = kWindowMessageBase + 3;  // 0x403
// From the stream worker, sent (synchronous): a panel command, lParam the NUL-terminated ANSI
// text, valid only during the call.
inline constexpr unsigned kMsgPanelCommand = kWindowMessageBase + 4;  // 0x404

// From the device scanner, sent: wParam the entry count, lParam the address of a copy of the
// entries, valid only during the call.
inline constexpr unsigned kMsgDeviceListArrived = kWindowMessageBase + 100;  // 0x464
// The update download's worker to its own window, posted: wParam 1 installer started, 0 given up.
inline constexpr unsigned kMsgDownloadEnded = kWindowMessageBase + 101;  // 0x465
// From the online services' threads (MainWindowLink), sent and waited for: the update check
// offers an installer address (lParam, a char* the sender keeps) ...
inline constexpr unsigned kMsgUpdateOffer = kWindowMessageBase + 103;  // 0x467
// ... and new help pictures arrived.
inline constexpr unsigned kMsgHelpPictures = kWindowMessageBase + 104;  // 0x468

// Command ids (WM_COMMAND) of the main window's controls.
enum MainCommand : uint16_t {
  kCommandConnect = 1,  // also the dialog manager's IDOK (Return)
  kCommandClose = 2,    // also IDCANCEL (Escape, the system close)
  kCommandRefresh = 3,
  kCommandOrientation = 4,
  kCommandHorizontalFlip = 5,
  kCommandMinimise = 6,
  kCommandSettings = 7,  // the settings dialog (online services)
  kCommandVerticalFlip = 8,
  kCommandNoDeviceHelp = 9,  // the help dialog (online services)
};

// The phone's stream port: adb forwards it to the same port on the phone, iPhones serve it
// through the mobile-device service, the simulator listens on it by default.
inline constexpr uint16_t kPhoneStreamPort = 8984;

}  // namespace vl
