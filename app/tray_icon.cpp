#include "app/tray_icon.h"

#include <cstring>

#include "common/text_convert.h"

namespace vl {
namespace {

constexpr char kTip[] = "Velloria";

void CopyCut(char* field, size_t capacity, const char* text) {
  const std::string cut = CutAnsiText(text ? text : "", capacity - 1);
  std::memcpy(field, cut.c_str(), cut.size() + 1);
}

}  // namespace

TrayIcon::TrayIcon() {
  notify_ = [](DWORD message, NOTIFYICONDATAA* data) { return Shell_NotifyIconA(message, data); };
}

void TrayIcon::SetOwner(HWND owner, HICON small_icon) {
  owner_ = owner;
  icon_ = small_icon;
}

NOTIFYICONDATAA TrayIcon::BaseData() const {
  NOTIFYICONDATAA data;
  std::memset(&data, 0, sizeof data);
  data.cbSize = sizeof data;
  data.hWnd = owner_;
  data.uID = kIconId;
  return data;
}

void TrayIcon::ShowBalloon(const char* text, const char* title, DWORD info_flags, UINT timeout_ms) {
  if (!added_ && owner_ && IsWindow(owner_)) {
    NOTIFYICONDATAA add = BaseData();
    add.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    add.uCallbackMessage = 0;  // the icon reports no mouse actions
    add.hIcon = icon_;
    CopyCut(add.szTip, sizeof add.szTip, kTip);
    // Only an icon that is really there counts as added; a failed add is tried again.
    added_ = notify_(NIM_ADD, &add) != FALSE;
  }
  NOTIFYICONDATAA balloon = BaseData();
  balloon.uFlags = NIF_INFO;
  CopyCut(balloon.szInfo, sizeof balloon.szInfo, text);
  CopyCut(balloon.szInfoTitle, sizeof balloon.szInfoTitle, title);
  balloon.dwInfoFlags = info_flags;
  balloon.uTimeout = timeout_ms;
  notify_(NIM_MODIFY, &balloon);
}

}  // namespace vl
