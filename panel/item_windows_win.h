// The windows of the picture items: circle items (a disc with a caption below), decoration
// items (a picture, framed when selected) and filter items (a square with a coloured caption
// band). A left-button release is a click, a double-click message a double-click; filter items
// also light up while the pointer rests on them.
#pragma once

#include "panel/control_window_win.h"
#include "panel/dui_items.h"

namespace vl {

class PanelPictures;

// What the three share: the picture from the control, painting on white, the click events.
class ItemWindow : public ControlWindow {
 public:
  ItemWindow(DUIPictureItem& item, const PanelPictures& pictures)
      : ControlWindow(item), item_(item), pictures_(pictures) {}

  BEGIN_MSG_MAP(ItemWindow)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_LBUTTONUP, OnLeftButtonUp)
  MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLeftButtonDoubleClick)
  MESSAGE_HANDLER(WM_GETTEXT, OnGetText)
  MESSAGE_HANDLER(WM_GETTEXTLENGTH, OnGetText)
  CHAIN_MSG_MAP(ControlWindow)
  END_MSG_MAP()

 protected:
  // Paints the item into `dc`, a white picture of the client size.
  virtual void Paint(HDC dc, const RECT& client) = 0;
  // The item's picture centred in (0, 0)-(w, w).
  void DrawPictureInSquare(HDC dc, int w);
  const PanelPictures& pictures() const { return pictures_; }

 private:
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&) {
    item_.OnClick();
    return 0;
  }
  LRESULT OnLeftButtonDoubleClick(UINT, WPARAM, LPARAM, BOOL&) {
    item_.OnDoubleClick();
    return 0;
  }
  LRESULT OnGetText(UINT msg, WPARAM w, LPARAM l, BOOL&);

  DUIPictureItem& item_;
  const PanelPictures& pictures_;
};

class CircleItemWindow : public ItemWindow {
 public:
  static constexpr COLORREF kCaptionColour = 0x333333;
  CircleItemWindow(DUICircleItem& item, const PanelPictures& pictures)
      : ItemWindow(item, pictures), circle_(item) {}

 private:
  void Paint(HDC dc, const RECT& client) override;
  DUICircleItem& circle_;
};

class DecorItemWindow : public ItemWindow {
 public:
  DecorItemWindow(DUIDecorItem& item, const PanelPictures& pictures)
      : ItemWindow(item, pictures), decor_(item) {}

 private:
  void Paint(HDC dc, const RECT& client) override;
  DUIDecorItem& decor_;
};

class FilterItemWindow : public ItemWindow {
 public:
  static constexpr COLORREF kPlainCaptionColour = 0x4C4C4C;
  static constexpr int kBandHeight = 22;
  FilterItemWindow(DUIFilterItem& item, const PanelPictures& pictures)
      : ItemWindow(item, pictures), filter_(item) {}
  ~FilterItemWindow() override {
    CancelTracking();
    DestroyOwnWindow();
  }

  bool hover() const { return hover_; }

 protected:
  void BeforeChildren() override;

  BEGIN_MSG_MAP(FilterItemWindow)
  MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
  MESSAGE_HANDLER(WM_MOUSEHOVER, OnMouseHover)
  MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
  MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  CHAIN_MSG_MAP(ItemWindow)
  END_MSG_MAP()

 private:
  void Paint(HDC dc, const RECT& client) override;
  LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseHover(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    CancelTracking();
    handled = FALSE;
    return 0;
  }
  // Ends hover and leave tracking: the system must not track a window that goes away.
  void CancelTracking();

  DUIFilterItem& filter_;
  bool hover_ = false;
  bool is_cancel_at_creation_ = false;
};

}  // namespace vl
