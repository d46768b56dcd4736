#include "online/online_host_win.h"

#include <mutex>

#include "online/help_dlg.h"
#include "online/online_context.h"
#include "online/program_version_win.h"
#include "online/remote_config.h"
#include "online/remote_config_fetch_win.h"
#include "online/setting_dlg.h"

namespace vl {

// What the fetch and download threads use of the host, owned jointly with them: a thread that
// is still waiting for a slow server when the window closes finds it all still there.
struct OnlineHost::Shared {
  explicit Shared(BalloonSink sink) : balloons(std::move(sink)) {}

  // Balloons go to the window until the host goes; then they are dropped.
  void ShowBalloon(const std::string& text, const std::string& title) {
    std::lock_guard<std::mutex> hold(balloon_lock);
    if (balloons) balloons(text, title);
  }
  void Close() {
    std::lock_guard<std::mutex> hold(balloon_lock);
    balloons = nullptr;
    if (link) link->Close();
  }

  std::mutex balloon_lock;
  BalloonSink balloons;
  ShellPrompts shell{
      [this](const std::string& text, const std::string& title) { ShowBalloon(text, title); }};
  std::shared_ptr<ISettingsStore> settings;  // when the host was given it to share
  std::unique_ptr<MainWindowLink> link;
};

OnlineHost::OnlineHost(ISettingsStore& settings, BalloonSink balloons)
    : shared_(std::make_shared<Shared>(std::move(balloons))),
      settings_(settings),
      prompts_(&shared_->shell) {}

OnlineHost::OnlineHost(std::shared_ptr<ISettingsStore> settings, BalloonSink balloons)
    : OnlineHost(*settings, std::move(balloons)) {
  shared_->settings = std::move(settings);
}

OnlineHost::~OnlineHost() {
  // The fetch thread may outlive the window: leave later fetches a context without the window,
  // and the running ones what they hold, cut off from the window.
  SetOnlineContext(OnlineContext());
  shared_->Close();
}

void OnlineHost::LoadCachedRemoteConfig() {
  vl::LoadCachedRemoteConfig(settings_);
}

void OnlineHost::Start(HWND main_window, const std::string& program_directory,
                       const std::string& config_endpoint, const std::string& picture_directory) {
  window_ = main_window;
  shared_->link = std::make_unique<MainWindowLink>(main_window);
  download_.SetPrompts(prompts_, shared_);
  OnlineContext context;
  context.prompts = prompts_;
  context.settings = &settings_;
  context.downloads = shared_->link.get();
  std::shared_ptr<Shared> shared = shared_;
  context.help_picture_changed = [shared] { shared->link->HelpPictureChanged(); };
  context.keep_alive = shared_;
  context.config_endpoint = config_endpoint;
  context.program_directory = program_directory;
  context.picture_directory = picture_directory;
  context.program_version = GetProgramVersion();
  SetOnlineContext(std::move(context));
  StartRemoteConfigFetch(false);
}

bool OnlineHost::StartUpdateDownload(HWND main_window, const char* url) {
  if (url == nullptr) return false;
  download_.SetPrompts(prompts_, shared_);
  return download_.Start(main_window, url);
}

INT_PTR OnlineHost::ShowSettings(HWND owner) {
  Setting dialog(*prompts_, [] { StartRemoteConfigFetch(true); });
  return dialog.DoModal(owner);
}

INT_PTR OnlineHost::ShowHelp(HWND owner) {
  HelpDlg dialog(*prompts_);
  return dialog.DoModal(owner);
}

LRESULT OnlineHost::OnUpdateOffer(UINT, WPARAM, LPARAM lparam, BOOL&) {
  // Any program on the desktop can send this message with any number: only an address that this
  // process's update check is sending (and waits with) is read.
  if (!IsUpdateOfferFromThisProcess(lparam)) return 0;
  // The address stays the sender's (it waits for this message); the download window copies it.
  StartUpdateDownload(window_, reinterpret_cast<const char*>(lparam));
  return 0;
}

LRESULT OnlineHost::OnSettingsCommand(WORD, WORD, HWND, BOOL&) {
  HWND active = ::GetActiveWindow();
  ShowSettings(active != nullptr ? active : window_);
  return 0;
}

LRESULT OnlineHost::OnHelpCommand(WORD, WORD, HWND, BOOL&) {
  ShowHelp(window_);
  return 0;
}

}  // namespace vl
