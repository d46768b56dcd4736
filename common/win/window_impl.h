// Window implementation bases: a C++ object per window whose message map handles its messages.
//
// CWindowImpl<T>: a window of a class registered by the framework (the class name comes from
// T::GetWndClassName(), defaulting to one derived from the type). CDialogImpl<T>: a dialog made
// from the dialog template T::IDD. Both route every message through the object's message map;
// unhandled messages get the default window or dialog handling.
#pragma once

#include <windows.h>

#include <cstdio>

#include "common/win/message_map.h"
#include "common/win/window.h"

namespace vl::win {

class CWindowImplBase : public CWindow, public CMessageMap {
 public:
  virtual ~CWindowImplBase();
  CWindowImplBase(const CWindowImplBase&) = delete;
  CWindowImplBase& operator=(const CWindowImplBase&) = delete;

  // Called after the window received its last message (WM_NCDESTROY); the object may delete
  // itself here.
  virtual void OnFinalMessage(HWND) {}

 protected:
  CWindowImplBase() = default;
  // Creates a window of the given registered class with this object as its handler.
  HWND CreateWithClass(const char* class_name, UINT class_style, HBRUSH background, HWND parent,
                       const RECT& rc, const char* title, DWORD style, DWORD ex_style, UINT id);
  LRESULT DefWindowProc(UINT msg, WPARAM w, LPARAM l);

 private:
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM w, LPARAM l);
};

template <typename T>
class CWindowImpl : public CWindowImplBase {
 public:
  static const char* GetWndClassName() { return nullptr; }
  static UINT GetWndClassStyle() { return CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS; }
  static HBRUSH GetWndBackground() { return nullptr; }

  HWND Create(HWND parent, const RECT& rc, const char* title = nullptr,
              DWORD style = WS_CHILD | WS_VISIBLE, DWORD ex_style = 0, UINT id = 0) {
    const char* name = T::GetWndClassName();
    return CreateWithClass(name ? name : typeid_name(), T::GetWndClassStyle(),
                           T::GetWndBackground(), parent, rc, title, style, ex_style, id);
  }

 private:
  // One class name per window type, without RTTI: the address of a per-type static.
  static const char* typeid_name() {
    static char name[40];
    if (!name[0]) std::snprintf(name, sizeof name, "VelloriaWnd%p", static_cast<void*>(&name));
    return name;
  }
};

class CDialogImplBase : public CWindow, public CMessageMap {
 public:
  virtual ~CDialogImplBase();
  CDialogImplBase(const CDialogImplBase&) = delete;
  CDialogImplBase& operator=(const CDialogImplBase&) = delete;

  virtual void OnFinalMessage(HWND) {}

 protected:
  CDialogImplBase() = default;
  HWND CreateFromTemplate(HINSTANCE instance, int template_id, HWND parent, LPARAM init_param);
  INT_PTR DoModalFromTemplate(HINSTANCE instance, int template_id, HWND parent, LPARAM init_param);

 private:
  static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM w, LPARAM l);
};

template <typename T>
class CDialogImpl : public CDialogImplBase {
 public:
  // Modeless dialog from template T::IDD of the program's module.
  HWND Create(HWND parent, LPARAM init_param = 0) {
    return CreateFromTemplate(::GetModuleHandleA(nullptr), T::IDD, parent, init_param);
  }
  // Modal dialog; returns the EndDialog result.
  INT_PTR DoModal(HWND parent = ::GetActiveWindow(), LPARAM init_param = 0) {
    return DoModalFromTemplate(::GetModuleHandleA(nullptr), T::IDD, parent, init_param);
  }
  BOOL EndDialog(INT_PTR result) { return ::EndDialog(m_hWnd, result); }
};

}  // namespace vl::win
