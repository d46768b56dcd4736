#include "online/download_update_wnd.h"

#include <system_error>
#include <thread>

#include "common/text_convert.h"
#include "online/download_progress.h"
#include "online/program_version_win.h"
#include "online/remote_config.h"
#include "online/signature_check_win.h"

namespace vl {

CDownloadUpdate::~CDownloadUpdate() {
  if (IsWindow()) ::DestroyWindow(m_hWnd);
}

bool CDownloadUpdate::Start(HWND parent, const std::string& url) {
  if (running() || prompts_ == nullptr) return false;
  const RECT rc = {0, 0, 0, 0};
  if (Create(parent, rc, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN) ==
      nullptr)
    return false;
  if (!StartBackgroundDownload(url)) {
    DestroyWindow();
    return false;
  }
  return true;
}

bool CDownloadUpdate::StartBackgroundDownload(const std::string& url) {
  prompts_->ShowBalloon(Utf8ToAnsi("已切换至后台更新，下载完毕后将提示您安装"),
                        Utf8ToAnsi("软件更新"));
  state_ = std::make_shared<UpdateDownloadState>();
  state_->url = url;
  // The offer this address came with: the configuration thread stored it in the record before
  // it handed the address over, and waits while this runs.
  const RemoteConfig offer = GetRemoteConfig();
  if (offer.appupdate_url == url) state_->offered_version = offer.appupdate_version;
  state_->program_version = GetProgramVersion();
  state_->pinned_key_sha256 = PublisherKeySha256();
  try {
    std::thread([state = state_, prompts = prompts_, keep_alive = keep_alive_, window = m_hWnd] {
      const bool started = RunUpdateDownload(*state, *prompts);
      ::PostMessageA(window, kDownloadEnded, started ? 1 : 0, 0);
    }).detach();
  } catch (const std::system_error&) {
    return false;
  }
  SetTimer(kProgressTimer, kProgressPeriodMs);
  return true;
}

LRESULT CDownloadUpdate::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  ShowWindow(SW_HIDE);
  return 0;
}

LRESULT CDownloadUpdate::OnTimer(UINT, WPARAM, LPARAM, BOOL&) {
  if (state_ && prompts_)
    prompts_->ShowBalloon(ProgressBalloonText(state_->total, state_->percent),
                          Utf8ToAnsi("软件更新"));
  return 0;
}

LRESULT CDownloadUpdate::OnDownloadEnded(UINT, WPARAM started, LPARAM, BOOL&) {
  KillTimer(kProgressTimer);
  DestroyWindow();
  if (started == 1 && prompts_)
    prompts_->ShowBalloon(Utf8ToAnsi("更新下载完毕"), Utf8ToAnsi("软件更新"));
  return 0;
}

}  // namespace vl
