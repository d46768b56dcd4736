#include "online/setting_dlg.h"

#include "common/text_convert.h"
#include "online/product_pages.h"
#include "online/program_version_win.h"
#include "online/remote_config.h"
#include "widgets/buffered_paint.h"
#include "widgets/font_cache.h"
#include "widgets/image_loader.h"
#include "widgets/picture_ids.h"

namespace vl {
namespace {

constexpr COLORREF kLinkColour = RGB(231, 89, 137);
constexpr COLORREF kLinkPressedColour = RGB(213, 82, 125);
constexpr COLORREF kLinkDisabledColour = RGB(114, 114, 114);
constexpr COLORREF kVersionColour = RGB(153, 151, 151);
constexpr COLORREF kFrameColour = RGB(224, 224, 224);
constexpr int kFontSize = 12;
constexpr int kLogoSize = 68;
constexpr int kLogoTop = 72;

void DrawCentred(HDC dc, HBITMAP picture, int width, int top, HDC scratch) {
  if (picture == nullptr) return;
  const SIZE size = BitmapSize(picture);
  DrawAlphaBitmap(dc, picture, (width - size.cx) / 2, top, 255, scratch);
}

}  // namespace

LRESULT Setting::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  // Borderless, 460 x 330, centred on its owner, with rounded corners.
  RECT owner = {};
  HWND parent = ::GetWindow(m_hWnd, GW_OWNER);
  if (parent == nullptr || !::GetWindowRect(parent, &owner))
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &owner, 0);
  SetWindowPos(nullptr, owner.left + (owner.right - owner.left - kWidth) / 2,
               owner.top + (owner.bottom - owner.top - kHeight) / 2, kWidth, kHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowRgn(m_hWnd, ::CreateRoundRectRgn(0, 0, kWidth + 1, kHeight + 1, 4, 4), TRUE);

  // The whole version, however long its fields.
  version_text_ = Utf8ToAnsi("当前版本号：") + GetProgramVersion();

  name_picture_ = LoadPngResourceBitmap(pictures::kAboutName);
  slogan_picture_ = LoadPngResourceBitmap(pictures::kAboutSlogan);
  logo_picture_ = LoadPngResourceBitmap(pictures::kAboutLogo);

  RECT client;
  GetClientRect(&client);
  const RECT close_rc = {client.right - 5 - 34, 4, client.right - 5, 4 + 34};
  close_.Create(m_hWnd, close_rc, kCloseId);
  close_.SetImages(pictures::kCloseNormal, pictures::kCloseHover, pictures::kClosePressed,
                   pictures::kCloseNormal);
  close_.SetParentDrawn(true, m_hWnd);

  const RECT update_rc = {16, client.bottom - 28, 71, client.bottom - 16};
  update_link_.Create(m_hWnd, update_rc, kCheckUpdateId, Utf8ToAnsi("检查更新").c_str());
  const RemoteConfig config = GetRemoteConfig();
  const std::string app = config.app_name.empty() ? "Quillet" : config.app_name;
  const RECT download_rc = {update_rc.right + 13, update_rc.top, update_rc.right + 13 + 100,
                            update_rc.bottom};
  download_link_.Create(m_hWnd, download_rc, kDownloadAppId, (Utf8ToAnsi("下载") + app).c_str());
  for (CIconButton* link : {&update_link_, &download_link_}) {
    link->SetFontSize(kFontSize);
    link->SetTextColors(kLinkColour, kLinkColour, kLinkPressedColour, kLinkDisabledColour);
  }

  logo_.left = (client.right - kLogoSize) / 2;
  logo_.right = logo_.left + kLogoSize;
  logo_.top = kLogoTop;
  logo_.bottom = kLogoTop + kLogoSize;
  return TRUE;
}

LRESULT Setting::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);
  HDC dc = paint.dc();
  const RECT& client = paint.client();
  DrawCentred(dc, name_picture_.get(), client.right, logo_.bottom + 20, paint.scratch());
  DrawCentred(dc, slogan_picture_.get(), client.right, logo_.bottom + 58, paint.scratch());
  if (logo_picture_)
    DrawAlphaBitmap(dc, logo_picture_.get(), logo_.left, logo_.top, 255, paint.scratch());
  if (close_.IsWindow()) close_.PaintInto(dc);

  win::ScopedSelect font(dc, GetCachedFont(kFontSize));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kVersionColour);
  RECT version = {166, client.bottom - 28, client.right - 16, client.bottom - 14};
  DrawTextA(dc, version_text_.c_str(), static_cast<int>(version_text_.size()), &version,
            DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);

  // A one-pixel frame along the rounded shape.
  win::UniqueRegion shape(CreateRoundRectRgn(0, 0, client.right + 1, client.bottom + 1, 4, 4));
  win::UniqueBrush frame(CreateSolidBrush(kFrameColour));
  FrameRgn(dc, shape.get(), frame.get(), 1, 1);
  return 0;
}

LRESULT Setting::OnClose(WORD, WORD, HWND, BOOL&) {
  EndDialog(0);
  return 0;
}

LRESULT Setting::OnCheckUpdate(WORD, WORD, HWND, BOOL&) {
  // The dialog stays open; the answer comes as the update question or "未检查到有更新！".
  if (check_for_update_) check_for_update_();
  return 0;
}

LRESULT Setting::OnDownloadApp(WORD, WORD, HWND, BOOL&) {
  const std::string url = GetRemoteConfig().app_url;
  if (!OpenWebAddress(prompts_, url)) OpenWebAddress(prompts_, kProductHomePageUrl);
  return 0;
}

}  // namespace vl
