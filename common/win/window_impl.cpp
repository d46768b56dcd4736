#include "common/win/window_impl.h"

namespace vl::win {

// ---- CWindowImplBase ----------------------------------------------------------------------

CWindowImplBase::~CWindowImplBase() {
  // A window that outlives its object would dispatch into freed memory: detach it first.
  if (m_hWnd && ::IsWindow(m_hWnd)) {
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hWnd);
  }
}

HWND CWindowImplBase::CreateWithClass(const char* class_name, UINT class_style, HBRUSH background,
                                      HWND parent, const RECT& rc, const char* title, DWORD style,
                                      DWORD ex_style, UINT id) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(instance, class_name, &wc)) {
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.style = class_style;
    wc.lpfnWndProc = &CWindowImplBase::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = class_name;
    if (!::RegisterClassExA(&wc)) return nullptr;
  }
  const HMENU menu =
      (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
  return ::CreateWindowExA(ex_style, class_name, title, style, rc.left, rc.top, rc.right - rc.left,
                           rc.bottom - rc.top, parent, menu, instance, this);
}

LRESULT CWindowImplBase::DefWindowProc(UINT msg, WPARAM w, LPARAM l) {
  return ::DefWindowProcA(m_hWnd, msg, w, l);
}

LRESULT CALLBACK CWindowImplBase::WindowProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<CWindowImplBase*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<CWindowImplBase*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams);
    if (self) {
      self->m_hWnd = wnd;
      ::SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  if (!self) return ::DefWindowProcA(wnd, msg, w, l);
  LRESULT result = 0;
  if (!self->ProcessWindowMessage(wnd, msg, w, l, result))
    result = ::DefWindowProcA(wnd, msg, w, l);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
    self->OnFinalMessage(wnd);
  }
  return result;
}

// ---- CDialogImplBase ----------------------------------------------------------------------

namespace {
struct DialogInit {
  CDialogImplBase* self;
  LPARAM param;
};
}  // namespace

CDialogImplBase::~CDialogImplBase() {
  if (m_hWnd && ::IsWindow(m_hWnd)) {
    ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    ::DestroyWindow(m_hWnd);
  }
}

HWND CDialogImplBase::CreateFromTemplate(HINSTANCE instance, int template_id, HWND parent,
                                         LPARAM init_param) {
  DialogInit init{this, init_param};
  return ::CreateDialogParamA(instance, MAKEINTRESOURCEA(template_id), parent,
                              &CDialogImplBase::DialogProc, reinterpret_cast<LPARAM>(&init));
}

INT_PTR CDialogImplBase::DoModalFromTemplate(HINSTANCE instance, int template_id, HWND parent,
                                             LPARAM init_param) {
  DialogInit init{this, init_param};
  return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(template_id), parent,
                           &CDialogImplBase::DialogProc, reinterpret_cast<LPARAM>(&init));
}

INT_PTR CALLBACK CDialogImplBase::DialogProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<CDialogImplBase*>(::GetWindowLongPtrA(wnd, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    auto* init = reinterpret_cast<DialogInit*>(l);
    self = init->self;
    l = init->param;
    self->m_hWnd = wnd;
    ::SetWindowLongPtrA(wnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return FALSE;
  LRESULT result = 0;
  const BOOL handled = self->ProcessWindowMessage(wnd, msg, w, l, result);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrA(wnd, DWLP_USER, 0);
    self->m_hWnd = nullptr;
    self->OnFinalMessage(wnd);
    return handled;
  }
  if (!handled) return FALSE;
  switch (msg) {
    // These return their result directly instead of through DWLP_MSGRESULT.
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return static_cast<INT_PTR>(result);
    default:
      ::SetWindowLongPtrA(wnd, DWLP_MSGRESULT, result);
      return TRUE;
  }
}

}  // namespace vl::win
