// The main window's hosting of the online services and of the notification-area icon.
//
// Where the online services plug in (each a member below, in main_online_host.cpp):
//  - OnReadCachedSettings: the first turn of the initialisation (cached remote settings);
//  - OnStarted: the last turn, after the camera registration (the remote configuration
//    fetch starts here);
//  - OnUpdateOffer: message 0x467 (the update check offers an installer URL);
//  - OnSettingsCommand / OnHelpCommand: commands 7 and 9 (the settings and help dialogs);
//  - ShowHelpDialog: after three empty refreshes in a row.
// Message 0x468 (new help pictures) reloads the preview's placeholder; ShowBalloon shows a
// balloon on the program's notification-area icon.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/tray_icon.h"
#include "common/win/message_map.h"
#include "online/online_host_win.h"
#include "online/settings_store.h"

namespace vl {

class DeviceScanner;
class PlayerCtrl;
class StreamWorker;

constexpr UINT kMsgUpdateOffer = WM_USER + 103;   // 0x467
constexpr UINT kMsgHelpPictures = WM_USER + 104;  // 0x468
constexpr WORD kCommandSettings = 7;
constexpr WORD kCommandNoDeviceHelp = 9;

// The program's settings file ("AppConfig.ini", both copies) as the online services' store.
class ProgramSettingsStore : public ISettingsStore {
 public:
  std::string Read(const std::string& key) override;
  void Write(const std::string& key, const std::string& value) override;
};

class MainOnlineHost : public win::CMessageMap {
 public:
  static constexpr UINT kBalloonTimeoutMs = 10000;

  MainOnlineHost();
  ~MainOnlineHost();

  struct Parts {
    HWND main = nullptr;
    HICON small_icon = nullptr;  // the 16 x 16 icon of the notification area
    PlayerCtrl* preview = nullptr;
    DeviceScanner* scanner = nullptr;
    StreamWorker* worker = nullptr;
  };
  void Attach(const Parts& parts);

  void OnReadCachedSettings();
  void OnStarted();
  // An empty device list arrived (see IWorkflowTurns): three refreshes or more open the help
  // dialog if the scanner still lists no phone, and the count starts again.
  void OnEmptyDeviceList(int& refresh_count);

  // A balloon on the notification-area icon (added the first time); ANSI texts, null = empty.
  void ShowBalloon(const char* text, const char* title, DWORD info_flags, UINT timeout_ms);
  TrayIcon& tray() { return tray_; }
  // The online services (tests replace their prompts through it).
  OnlineHost& services() { return *services_; }

  BEGIN_MSG_MAP(MainOnlineHost)
  MESSAGE_HANDLER(kMsgUpdateOffer, OnUpdateOffer)
  MESSAGE_HANDLER(kMsgHelpPictures, OnHelpPictures)
  COMMAND_ID_HANDLER(kCommandSettings, OnSettingsCommand)
  COMMAND_ID_HANDLER(kCommandNoDeviceHelp, OnHelpCommand)
  END_MSG_MAP()

 private:
  // Only an address this process's update check is sending: any program can send 0x467.
  LRESULT OnUpdateOffer(UINT, WPARAM, LPARAM lparam, BOOL&);
  LRESULT OnHelpPictures(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSettingsCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnHelpCommand(WORD, WORD, HWND, BOOL&);
  void ShowHelpDialog();

  Parts parts_;
  TrayIcon tray_;
  // Destroyed first: the fetch and download threads keep what they share with it (the settings,
  // the prompts, the link to the window), and reach this host no more.
  std::unique_ptr<OnlineHost> services_;
};

}  // namespace vl
