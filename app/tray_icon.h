// The program's notification-area icon, added the first time a balloon is shown and kept until
// the process ends; it carries balloons only (it reports no mouse actions).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace vl {

class TrayIcon {
 public:
  static constexpr UINT kIconId = 99;
  // Sizes of the notification structure's balloon fields, terminator excluded.
  static constexpr size_t kMaxBalloonText = 255;
  static constexpr size_t kMaxBalloonTitle = 63;

  // Shell_NotifyIconA by default; tests record the calls instead.
  using Notifier = std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)>;

  TrayIcon();
  // The window the icon belongs to and its 16 x 16 icon (not owned).
  void SetOwner(HWND owner, HICON small_icon);
  void SetNotifier(Notifier notifier) { notify_ = std::move(notifier); }

  // Adds the icon if it is not there yet (and the owner window exists), then shows the balloon:
  // ANSI text and title (null counts as empty), cut to the fields' sizes on character
  // boundaries; info flags (NIIF_*) and time-out as Shell_NotifyIconA takes them.
  void ShowBalloon(const char* text, const char* title, DWORD info_flags, UINT timeout_ms);

  bool added() const { return added_; }

 private:
  NOTIFYICONDATAA BaseData() const;

  HWND owner_ = nullptr;
  HICON icon_ = nullptr;
  bool added_ = false;
  Notifier notify_;
};

}  // namespace vl
