#include "app/main_dlg_controls.h"

#include "app/main_dlg_layout.h"
#include "common/text_convert.h"
#include "common/win/pixel_rect_win.h"
#include "widgets/picture_ids.h"

namespace vl {
namespace {

namespace ml = main_layout;

// Texts in UTF-8 here, shown in the ANSI code page.
constexpr char kConnectText[] = "马上连接";
constexpr char kConnectingText[] = "正在连接";
constexpr char kDisconnectText[] = "断开连接";
constexpr char kNoDeviceText[] = "未检测到设备";
constexpr char kRefreshText[] = "更新设备";
constexpr char kNoDeviceHelpText[] = "未检测到设备？";

// Grey links, pink under the mouse; a disabled link (the refresh link while connected) is
// lighter, so that it does not look clickable.
constexpr COLORREF kLinkDisabled = RGB(190, 190, 190);

void StyleLink(CIconButton& link) {
  link.SetFontSize(12);
  link.SetTextColors(RGB(114, 114, 114), RGB(231, 89, 136), RGB(213, 82, 125), kLinkDisabled);
}

}  // namespace

void MainDlgControls::Create(HWND main) {
  main_ = main;
  close_.Create(main, ToRect(ml::kCloseButton), kCommandClose);
  close_.SetImages(pictures::kCloseNormal, pictures::kCloseHover, pictures::kClosePressed,
                   pictures::kCloseNormal);
  minimise_.Create(main, ToRect(ml::kMinimiseButton), kCommandMinimise);
  minimise_.SetImages(pictures::kMinimiseNormal, pictures::kMinimiseHover,
                      pictures::kMinimisePressed, pictures::kMinimiseNormal);
  settings_.Create(main, ToRect(ml::kSettingsButton), kCommandSettings);
  settings_.SetImages(pictures::kSettingsNormal, pictures::kSettingsHover,
                      pictures::kSettingsPressed, pictures::kSettingsNormal);

  connect_.Create(main, ToRect(ml::kConnectButton), kCommandConnect);
  SetConnectLook(ConnectLook::kIdle, true);

  picker_.Create(main, ToRect(ml::kDevicePicker), 0, Utf8ToAnsi(kNoDeviceText).c_str());
  picker_.SetListener(this);

  refresh_.Create(main, ToRect(ml::kRefreshButton), kCommandRefresh,
                  Utf8ToAnsi(kRefreshText).c_str());
  refresh_.SetImages(pictures::kRefreshNormal, pictures::kRefreshHover, pictures::kRefreshPressed,
                     pictures::kRefreshDisabled);
  StyleLink(refresh_);
  refresh_.SetGap(6);

  help_.Create(main, ToRect(ml::kNoDeviceHelpButton), kCommandNoDeviceHelp,
               Utf8ToAnsi(kNoDeviceHelpText).c_str());
  StyleLink(help_);
  ::ShowWindow(help_, SW_HIDE);

  loading_.Create(main, ToRect(ml::kLoadingOverlay));
}

void MainDlgControls::BeginLoading() {
  hidden_.clear();
  for (HWND child = ::GetWindow(main_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (child == loading_.m_hWnd) continue;
    // IsWindowVisible is false for every child while the dialog itself is hidden.
    if (::GetWindowLongPtrA(child, GWL_STYLE) & WS_VISIBLE) hidden_.push_back(child);
  }
  for (HWND child : hidden_) ::ShowWindow(child, SW_HIDE);
  ::SetWindowPos(loading_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void MainDlgControls::EndLoading() {
  for (HWND child : hidden_)
    if (::IsWindow(child)) ::ShowWindow(child, SW_SHOWNA);
  hidden_.clear();
  if (loading_.IsWindow()) ::ShowWindow(loading_, SW_HIDE);
}

void MainDlgControls::SetConnectLook(ConnectLook look, bool enabled) {
  switch (look) {
    case ConnectLook::kIdle:
      connect_.SetImages(pictures::kConnectNormal, pictures::kConnectHover,
                         pictures::kConnectPressed, pictures::kConnectNormal);
      connect_.SetIcon(pictures::kConnectIcon, false);
      connect_.SetText(Utf8ToAnsi(kConnectText).c_str());
      connect_.SetTextColor(RGB(255, 255, 255));
      break;
    case ConnectLook::kConnecting:
      connect_.SetImages(pictures::kConnectNormal, pictures::kConnectHover,
                         pictures::kConnectPressed, pictures::kConnectNormal);
      connect_.SetIcon(pictures::kConnectingIcon, true);
      connect_.SetText(Utf8ToAnsi(kConnectingText).c_str());
      connect_.SetTextColor(RGB(255, 255, 255));
      break;
    case ConnectLook::kConnected:
      connect_.SetImages(pictures::kDisconnectNormal, pictures::kDisconnectHover,
                         pictures::kDisconnectPressed, pictures::kDisconnectNormal);
      connect_.SetIcon(pictures::kConnectedIcon, false);
      connect_.SetText(Utf8ToAnsi(kDisconnectText).c_str());
      connect_.SetTextColor(RGB(89, 89, 89));
      break;
  }
  ::EnableWindow(connect_, enabled);
}

void MainDlgControls::PlaceCaptionButtons(int client_width) {
  const auto place = [client_width](HWND button, int offset) {
    const ml::Rect r = ml::CaptionButton(client_width, offset);
    ::MoveWindow(button, r.left, r.top, r.width(), r.height(), TRUE);
  };
  place(close_, ml::kCloseOffset);
  place(minimise_, ml::kMinimiseOffset);
  place(settings_, ml::kSettingsOffset);
}

void MainDlgControls::OnComboSelect(ComboBox*, const char*) {}

}  // namespace vl
