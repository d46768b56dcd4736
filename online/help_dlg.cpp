#include "online/help_dlg.h"

#include "common/text_convert.h"
#include "online/product_pages.h"
#include "online/remote_config.h"
#include "online/url_parts.h"
#include "widgets/buffered_paint.h"
#include "widgets/picture_ids.h"

namespace vl {

LRESULT InputBox::OnOk(WORD, WORD, HWND, BOOL&) {
  HWND edit = GetDlgItem(IDC_INPUT_EDIT);
  const int length = ::GetWindowTextLengthA(edit);
  std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  const int copied = ::GetWindowTextA(edit, &text[0], static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  text_ = text;
  EndDialog(IDOK);
  return 0;
}

LRESULT InputBox::OnCancel(WORD, WORD, HWND, BOOL&) {
  EndDialog(IDCANCEL);
  return 0;
}

LRESULT HelpDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  const RemoteConfig config = GetRemoteConfig();
  if (config.adb_drive_url.empty()) ::ShowWindow(GetDlgItem(IDC_HELP_ADB_DRIVER), SW_HIDE);
  if (config.open_debug_mode_url.empty()) ::ShowWindow(GetDlgItem(IDC_HELP_DEBUG_MODE), SW_HIDE);
  white_.reset(CreateSolidBrush(RGB(255, 255, 255)));
  // The buttons, right-aligned and vertically centred in the band.
  RECT client{};
  GetClientRect(&client);
  const int top = client.bottom - kButtonBandHeight + (kButtonBandHeight - kButtonHeight) / 2;
  const RECT ok = {client.right - kButtonMargin - kButtonWidth, top, client.right - kButtonMargin,
                   top + kButtonHeight};
  const RECT tutorial = {ok.left - kButtonGap - kButtonWidth, top, ok.left - kButtonGap,
                         top + kButtonHeight};
  ReplaceButton(IDOK, ok_, ok);
  ok_.SetImages(pictures::kConnectNormal, pictures::kConnectHover, pictures::kConnectPressed,
                pictures::kConnectNormal);
  ok_.SetTextColors(RGB(255, 255, 255), RGB(255, 255, 255));
  ReplaceButton(IDC_HELP_TUTORIAL, tutorial_, tutorial);
  tutorial_.SetImages(pictures::kDisconnectNormal, pictures::kDisconnectHover,
                      pictures::kDisconnectPressed, pictures::kDisconnectNormal);
  tutorial_.SetTextColors(RGB(89, 89, 89), RGB(190, 190, 190));
  return TRUE;
}

void HelpDlg::ReplaceButton(int id, TextButton& button, const RECT& rc) {
  std::string text;
  if (HWND original = GetDlgItem(id)) {
    char buffer[64] = {};
    ::GetWindowTextA(original, buffer, sizeof buffer);
    text = buffer;
    ::DestroyWindow(original);
  }
  button.Create(m_hWnd, rc, static_cast<UINT>(id), text.c_str());
  // Drawn by the dialog onto its band, so that the rounded corners show the band's grey.
  button.SetParentDrawn(true, m_hWnd);
}

LRESULT HelpDlg::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);
  RECT band = paint.client();
  band.top = band.bottom - kButtonBandHeight;
  FillSolid(paint.dc(), band, RGB(240, 240, 240));
  for (TextButton* button : {&tutorial_, &ok_})
    if (button->IsWindow()) button->PaintInto(paint.dc());
  return 0;
}

LRESULT HelpDlg::OnCtlColorStatic(UINT, WPARAM w, LPARAM l, BOOL&) {
  HDC dc = reinterpret_cast<HDC>(w);
  SetBkMode(dc, TRANSPARENT);
  const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(l));
  if (id == IDC_HELP_ADB_DRIVER || id == IDC_HELP_DEBUG_MODE) SetTextColor(dc, kLinkColour);
  return reinterpret_cast<LRESULT>(white_.get());
}

LRESULT HelpDlg::OnSetCursor(UINT, WPARAM w, LPARAM, BOOL&) {
  const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(w));
  const bool link = id == IDC_HELP_ADB_DRIVER || id == IDC_HELP_DEBUG_MODE;
  ::SetCursor(::LoadCursor(nullptr, link ? IDC_HAND : IDC_ARROW));
  return TRUE;
}

LRESULT HelpDlg::OnTutorial(WORD, WORD, HWND, BOOL&) {
  OpenWebAddress(prompts_, kIosHelpPageUrl);
  EndDialog(IDCANCEL);
  return 0;
}

LRESULT HelpDlg::OnAdbDriver(WORD code, WORD, HWND, BOOL&) {
  if (code == STN_CLICKED) OpenWebAddress(prompts_, GetRemoteConfig().adb_drive_url);
  return 0;
}

LRESULT HelpDlg::OnDebugMode(WORD code, WORD, HWND, BOOL&) {
  if (code != STN_CLICKED) return 0;
  const std::string url = GetRemoteConfig().open_debug_mode_url;
  if (url.find(kSearchHost) == std::string::npos) {
    OpenWebAddress(prompts_, url);
    return 0;
  }
  // A search address: the phone model and the phrase become its search words, encoded so that
  // blanks and quotes stay inside the address.
  InputBox question;
  if (question.DoModal(m_hWnd) == IDOK)
    OpenWebAddress(prompts_,
                   url + EncodeQueryWords(question.text() + Utf8ToAnsi(" 打开USB调试模式")));
  return 0;
}

LRESULT HelpDlg::OnOk(WORD, WORD, HWND, BOOL&) {
  EndDialog(IDOK);
  return 0;
}

LRESULT HelpDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
  EndDialog(IDCANCEL);
  return 0;
}

}  // namespace vl
