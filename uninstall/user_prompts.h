// The uninstaller's questions and messages to the user, behind a seam so that tests can answer
// them and record what was asked.
#pragma once

#include <windows.h>

namespace vl::uninstall {

class IUserPrompts {
 public:
  virtual ~IUserPrompts() = default;
  // Shows a message box (MB_* type flags) and returns the button pressed (IDOK, IDCANCEL,
  // IDRETRY, IDYES, IDNO), or 0 when the box could not be shown.
  virtual int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
};

// The real thing: MessageBoxW.
class MessageBoxPrompts : public IUserPrompts {
 public:
  int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override {
    return MessageBoxW(owner, text, caption, type);
  }
};

}  // namespace vl::uninstall
