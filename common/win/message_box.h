// Every message box of the program goes through here, so that tests can answer and record the
// prompts a user would see.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace vl::win {

// Texts are in the ANSI code page; the result is the button chosen (IDOK, IDYES, ...).
using MessageBoxHandler =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;

// Shows the box through the current handler (by default the system's MessageBoxA).
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// Replaces the handler for the whole process (null restores MessageBoxA); returns the previous
// one. Set on the UI thread before the boxes it should catch.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The same seam for UTF-16 texts (the uninstaller's, shown whatever the ANSI code page): the
// system's MessageBoxW unless a handler is set.
using WideMessageBoxHandler = std::function<int(HWND owner, const std::wstring& text,
                                                const std::wstring& caption, UINT type)>;
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
WideMessageBoxHandler SetWideMessageBoxHandler(WideMessageBoxHandler handler);

}  // namespace vl::win
