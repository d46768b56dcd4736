// The connection help ("使用帮助"): what to check when no phone is found, with links to the adb
// driver and to help on enabling USB debugging; and the one-line question it asks for the
// phone model.
#pragma once

#include <windows.h>

#include <string>

#include "common/win/handles.h"
#include "common/win/window_impl.h"
#include "online/online_resource.h"
#include "online/user_prompts.h"
#include "widgets/text_button.h"

namespace vl {

// "打开USB调试模式": result IDOK with the entered text, IDCANCEL when closed.
class InputBox : public win::CDialogImpl<InputBox> {
 public:
  enum { IDD = IDD_INPUTBOX };
  const std::string& text() const { return text_; }

  BEGIN_MSG_MAP(InputBox)
  COMMAND_ID_HANDLER(IDOK, OnOk)
  COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
  END_MSG_MAP()

 private:
  LRESULT OnOk(WORD, WORD, HWND, BOOL&);
  LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
  std::string text_;
};

// Result IDOK ("我知道了" or Return) or IDCANCEL (closed, or after "详细教程"). Its two buttons
// are the toolkit's (the template's push buttons give way to them, with their identifiers and
// texts): "我知道了" pink like the connect button, "详细教程" white with an outline, both at the
// right of the grey button band, which paints them.
class HelpDlg : public win::CDialogImpl<HelpDlg> {
 public:
  enum { IDD = IDD_HELP };
  static constexpr int kButtonBandHeight = 60;
  static constexpr COLORREF kLinkColour = RGB(0, 0, 221);
  static constexpr int kButtonWidth = 96;
  static constexpr int kButtonHeight = 36;
  static constexpr int kButtonMargin = 16;  // from the band's right edge
  static constexpr int kButtonGap = 12;

  explicit HelpDlg(IUserPrompts& prompts) : prompts_(prompts) {}

  BEGIN_MSG_MAP(HelpDlg)
  MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColorStatic)
  MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
  COMMAND_ID_HANDLER(IDC_HELP_TUTORIAL, OnTutorial)
  COMMAND_ID_HANDLER(IDC_HELP_ADB_DRIVER, OnAdbDriver)
  COMMAND_ID_HANDLER(IDC_HELP_DEBUG_MODE, OnDebugMode)
  COMMAND_ID_HANDLER(IDOK, OnOk)
  COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
  END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnCtlColorStatic(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTutorial(WORD, WORD, HWND, BOOL&);
  LRESULT OnAdbDriver(WORD, WORD, HWND, BOOL&);
  LRESULT OnDebugMode(WORD, WORD, HWND, BOOL&);
  LRESULT OnOk(WORD, WORD, HWND, BOOL&);
  LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

  // Puts `button` in the place of the template's push button `id`, with its text.
  void ReplaceButton(int id, TextButton& button, const RECT& rc);

  IUserPrompts& prompts_;
  win::UniqueBrush white_;
  TextButton ok_;
  TextButton tutorial_;
};

}  // namespace vl
