// The settings panel: a borderless about-and-update dialog with the program's version, an
// update-check link and a link to the companion phone application.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/win/handles.h"
#include "common/win/window_impl.h"
#include "online/online_resource.h"
#include "online/user_prompts.h"
#include "widgets/icon_button.h"
#include "widgets/image_button.h"

namespace vl {

// Result 0 (closed with its close button).
class Setting : public win::CDialogImpl<Setting> {
 public:
  enum { IDD = IDD_SETTING };
  enum { kCloseId = 2, kCheckUpdateId = 3, kDownloadAppId = 4 };
  static constexpr int kWidth = 460;
  static constexpr int kHeight = 330;

  // `check_for_update` starts the configuration fetch that reports on updates.
  Setting(IUserPrompts& prompts, std::function<void()> check_for_update)
      : prompts_(prompts), check_for_update_(std::move(check_for_update)) {}

  const std::string& version_text() const { return version_text_; }
  const CIconButton& download_link() const { return download_link_; }

  BEGIN_MSG_MAP(Setting)
  MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  COMMAND_ID_HANDLER(kCloseId, OnClose)
  COMMAND_ID_HANDLER(IDCANCEL, OnClose)
  COMMAND_ID_HANDLER(kCheckUpdateId, OnCheckUpdate)
  COMMAND_ID_HANDLER(kDownloadAppId, OnDownloadApp)
  END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnClose(WORD, WORD, HWND, BOOL&);
  LRESULT OnCheckUpdate(WORD, WORD, HWND, BOOL&);
  LRESULT OnDownloadApp(WORD, WORD, HWND, BOOL&);

  IUserPrompts& prompts_;
  std::function<void()> check_for_update_;
  win::UniqueBitmap name_picture_, slogan_picture_, logo_picture_;
  ImageButton close_;
  CIconButton update_link_, download_link_;
  RECT logo_ = {};
  std::string version_text_;
};

}  // namespace vl
