#include "app/connection_workflow.h"

#include "common/text_convert.h"

namespace vl {
namespace {

// The window's texts, in UTF-8 here and shown in the ANSI code page.
constexpr char kNoDeviceText[] = "未检测到设备";
constexpr char kReadingText[] = "正在读取设备列表...";
constexpr char kNoDeviceBoxText[] = "无可用设备，请刷新设备列表";
constexpr char kNoDeviceBoxCaption[] = "无可用设备";
constexpr char kFailedCaption[] = "同步失败";
constexpr char kHintCaption[] = "提示";
constexpr char kPortraitHint[] = "请在直播平台中，切换摄像头为“Velloria（竖屏）”";
constexpr char kLandscapeHint[] = "请在直播平台中，切换摄像头为“Velloria（横屏）” ";
constexpr char kAdbMissingText[] =
    "未找到安卓手机连接组件adb\\adb.exe，无法检测安卓手机，请重新安装Velloria。";
constexpr char kDriverLinkLead[] = "\n安卓手机驱动下载：";

}  // namespace

ConnectionWorkflow::ConnectionWorkflow(IConnectionView& view, IStreamControl& stream,
                                       IDeviceSource& devices, IWorkflowTurns* turns)
    : view_(view), stream_(stream), devices_(devices), turns_(turns) {}

void ConnectionWorkflow::OnDeviceListArrived() {
  // The scanner's list, not the message's copy; kept as shown so that Connect picks exactly
  // the phone the user sees, whatever a later scan does to the scanner's list.
  shown_devices_ = devices_.GetEntries();
  std::vector<std::string> names;
  names.reserve(shown_devices_.size());
  int selected = shown_devices_.empty() ? -1 : 0;
  for (size_t i = 0; i < shown_devices_.size(); ++i) {
    names.push_back(shown_devices_[i].display_name);
    if (!current_device_.identifier.empty() &&
        shown_devices_[i].identifier == current_device_.identifier)
      selected = static_cast<int>(i);  // the last match wins
  }
  view_.ShowDevices(names, selected);
  if (shown_devices_.empty()) {
    view_.SetPickerText(Utf8ToAnsi(kNoDeviceText));
    view_.SetNoDeviceHelpVisible(true);
    if (turns_) turns_->OnEmptyDeviceList(refresh_count_);
  } else {
    view_.SetNoDeviceHelpVisible(false);
    refresh_count_ = 0;
  }
  view_.EndLoading();
  if (state_ == WorkflowState::kStarting) state_ = WorkflowState::kIdle;
  // Without adb the picker would only ever show iPhones: the user learns why once, behind the
  // list that is already shown.
  if (devices_.AdbMissing() && !adb_missing_told_) {
    adb_missing_told_ = true;
    std::string text = Utf8ToAnsi(kAdbMissingText);
    const std::string link = turns_ ? turns_->AndroidDriverLink() : std::string();
    if (!link.empty()) text += Utf8ToAnsi(kDriverLinkLead) + link;
    view_.ShowMessage(text, Utf8ToAnsi(kHintCaption));
  }
}

void ConnectionWorkflow::Refresh() {
  view_.SetPickerText(Utf8ToAnsi(kReadingText));
  devices_.StartScan();  // ignored while a scan runs
}

void ConnectionWorkflow::OnRefreshCommand() {
  Refresh();
  ++refresh_count_;
}

void ConnectionWorkflow::OnConnectCommand() {
  if (stream_.IsRunning())
    Disconnect();
  else
    Connect();
}

void ConnectionWorkflow::Connect() {
  const int index = view_.SelectedDevice();
  if (index < 0 || index >= static_cast<int>(shown_devices_.size())) {
    view_.ShowMessage(Utf8ToAnsi(kNoDeviceBoxText), Utf8ToAnsi(kNoDeviceBoxCaption));
    view_.SetConnectLook(ConnectLook::kIdle, true);
    return;
  }
  current_device_ = shown_devices_[static_cast<size_t>(index)];
  cancelled_ = false;
  view_.SetConnectLook(ConnectLook::kConnecting, false);
  state_ = WorkflowState::kConnecting;
  stream_.Start(current_device_);
}

void ConnectionWorkflow::Disconnect() {
  // A connection the user gives up (Enter while connecting) ends as a failed one (0x403): that
  // was asked for, not a failure to report.
  if (state_ == WorkflowState::kConnecting) cancelled_ = true;
  // The worker posts 0x402 before its thread ends; the rest of the look follows with it.
  stream_.Stop();
  view_.SetConnectLook(ConnectLook::kIdle, true);
}

void ConnectionWorkflow::OnConnected() {
  view_.SetConnectedLayout(true);
  if (turns_) turns_->OnConnectedLayout();
  view_.SetConnectLook(ConnectLook::kConnected, true);
  view_.SetPreviewPolling(true);
  state_ = WorkflowState::kConnected;
}

void ConnectionWorkflow::ApplyDisconnectedLook() {
  view_.SetConnectedLayout(false);
  if (turns_) turns_->OnDisconnectedLayout();
  view_.SetConnectLook(ConnectLook::kIdle, true);
  view_.SetPreviewPolling(false);
  state_ = WorkflowState::kIdle;
}

void ConnectionWorkflow::OnDisconnected() {
  cancelled_ = false;
  ApplyDisconnectedLook();
}

void ConnectionWorkflow::OnFailed() {
  // The idle look is back before the box appears.
  ApplyDisconnectedLook();
  const bool cancelled = cancelled_;
  cancelled_ = false;
  if (!cancelled) view_.ShowMessage(stream_.GetErrorText(), Utf8ToAnsi(kFailedCaption));
}

void ConnectionWorkflow::ToggleOrientation() {
  portrait_ = !portrait_;
  view_.SetOrientationLook(portrait_);
  stream_.SetPortrait(portrait_ ? 1 : 0);
  view_.ShowMessage(Utf8ToAnsi(portrait_ ? kPortraitHint : kLandscapeHint),
                    Utf8ToAnsi(kHintCaption));
}

void ConnectionWorkflow::ToggleMirror() {
  mirror_ = !mirror_;
  stream_.SetMirror(mirror_ ? 1 : 0, flip_ ? 1 : 0);
}

void ConnectionWorkflow::ToggleFlip() {
  flip_ = !flip_;
  stream_.SetMirror(mirror_ ? 1 : 0, flip_ ? 1 : 0);
}

}  // namespace vl
