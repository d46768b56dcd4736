#include "panel/page_windows_win.h"

#include "common/text_convert.h"
#include "widgets/buffered_paint.h"
#include "widgets/picture_ids.h"

namespace vl {
namespace {

// Text colours of the page's buttons: grey, light pink (hover), dark pink (pressed), grey.
constexpr COLORREF kButtonGrey = 0x808080;
constexpr COLORREF kButtonHover = 0x9C6CFA;
constexpr COLORREF kButtonPressed = 0x7E52D6;

void SetUpButton(CIconButton& button, int font_size) {
  button.SetTextColors(kButtonGrey, kButtonHover, kButtonPressed, kButtonGrey);
  button.SetFontSize(font_size);
  button.SetGap(5);
}

}  // namespace

LRESULT PageListWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);
  const RECT& rc = paint.client();
  DrawPanelText(paint.dc(), page_.name(), RECT{20, 32, rc.right, rc.bottom}, 14, kPageTitleColour,
                DT_LEFT | DT_TOP | DT_SINGLELINE);
  return 0;
}

void PageAdjustWindow::BeforeChildren() {
  RECT rc{};
  ::GetClientRect(m_hWnd, &rc);
  back_.Create(m_hWnd, RECT{18, 26, 118, 48}, DUIPageAdjust::kBackCommand,
               Utf8ToAnsi("返回").c_str());
  back_.SetImages(pictures::kBackArrowNormal, pictures::kBackArrowHover,
                  pictures::kBackArrowPressed, pictures::kBackArrowNormal);
  SetUpButton(back_, 14);
  reset_.Create(m_hWnd, RECT{rc.right - 100, 26, rc.right, 48}, DUIPageAdjust::kResetCommand,
                Utf8ToAnsi("重置参数").c_str());
  reset_.SetImages(pictures::kResetNormal, pictures::kResetHover, pictures::kResetPressed,
                   pictures::kResetNormal);
  SetUpButton(reset_, 12);
}

LRESULT PageAdjustWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  BufferedPaint paint(m_hWnd);
  const RECT& rc = paint.client();
  const bool large = page_.style() == 1;
  DrawPanelText(paint.dc(), page_.name(), RECT{20, large ? 80 : 82, rc.right, rc.bottom},
                large ? 18 : 14, kPageTitleColour, DT_LEFT | DT_TOP | DT_SINGLELINE);
  return 0;
}

}  // namespace vl
