// A drop-down picker: the displayed text, an arrow, and a CComboBoxList that opens below it on
// a click (above it, or scrolling, where the screen has no room below). Picking an item shows its
// text and calls the listener's OnComboSelect; only a click in the list (or SetCurSel) changes the
// selection. WM_GETTEXT answers the displayed text.
#pragma once

#include <windows.h>

#include <string>

#include "common/win/handles.h"
#include "common/win/window_impl.h"
#include "widgets/combo_box_list.h"
#include "widgets/i_combo_box_listener.h"

namespace vl {

class ComboBox : public win::CWindowImpl<ComboBox> {
 public:
  enum HotState { kHotNormal = 1, kHotHover = 2, kHotPressed = 3 };
  static constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

  ComboBox() = default;
  ~ComboBox() override;
  static const char* GetWndClassName() { return "VelloriaComboBox"; }

  HWND Create(HWND parent, const RECT& rc, UINT id = 0, const char* text = nullptr,
              DWORD style = kChildStyle);

  void SetListener(IComboBoxListener* listener) { listener_ = listener; }
  // The displayed text, independent of the items (e.g. "未检测到设备").
  void SetText(const char* text);
  const std::string& text() const { return text_; }
  // Selects an item and shows its text; returns the index, or -1 when there is no such item.
  int SetCurSel(int index);
  int GetCurSel() const { return list_.GetSelected(); }
  void RemoveAll() { list_.RemoveAll(); }

  // The list's operations.
  int AddItem(const char* text) { return list_.AddItem(text); }
  void RemoveItem(int index) { list_.RemoveItem(index); }
  int Count() const { return list_.Count(); }
  int ItemHeight() const { return list_.ItemHeight(); }
  std::string GetItemText(int index) const { return list_.GetItemText(index); }
  int FindItem(int after, const char* text) const { return list_.FindItem(after, text); }

  bool list_open() const { return list_open_; }
  int hot_state() const { return hot_; }
  CComboBoxList& list() { return list_; }

  BEGIN_MSG_MAP(ComboBox)
  MESSAGE_HANDLER(WM_CREATE, OnCreate)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
  MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLeftButtonDown)
  MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLeftButtonDown)
  MESSAGE_HANDLER(WM_LBUTTONUP, OnLeftButtonUp)
  MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
  MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
  MESSAGE_HANDLER(WM_ENABLE, OnEnable)
  MESSAGE_HANDLER(CComboBoxList::kItemChosen, OnItemChosen)
  MESSAGE_HANDLER(CComboBoxList::kListClosed, OnListClosed)
  MESSAGE_HANDLER(CComboBoxList::kOutsideClickHandled, OnOutsideClickHandled)
  MESSAGE_HANDLER(WM_GETTEXT, OnGetText)
  MESSAGE_HANDLER(WM_GETTEXTLENGTH, OnGetText)
  MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  END_MSG_MAP()

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnLeftButtonDown(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEnable(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnItemChosen(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnListClosed(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnOutsideClickHandled(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnGetText(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

  void SetHot(int hot);
  void Repaint() {
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }

  CComboBoxList list_;
  std::string text_;
  IComboBoxListener* listener_ = nullptr;
  int hot_ = kHotNormal;
  bool list_open_ = false;
  bool list_above_ = false;  // the open list lies above the box
  bool tracking_leave_ = false;
  RECT text_rc_ = {};
  RECT arrow_rc_ = {};
  win::UniqueBitmap arrow_open_, arrow_open_hot_, arrow_closed_hot_, arrow_closed_;
};

}  // namespace vl
