// Names by which the uninstaller recognises what the installation put on the machine.
#pragma once

namespace vl::uninstall {

inline constexpr wchar_t kMainImageName[] = L"Lumaroo.exe";
inline constexpr wchar_t kAdbImageName[] = L"adb.exe";
// adb lives in this subfolder of the installation.
inline constexpr wchar_t kAdbFolderName[] = L"adb";
inline constexpr wchar_t kMainWindowTitle[] = L"Velloria";

inline constexpr wchar_t kUninstallKeyPath[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr wchar_t kUninstallEntryName[] = L"Lumaroo";
// The installation folder, as the installer records it in the entry.
inline constexpr wchar_t kInstallLocationValue[] = L"InstallLocation";
inline constexpr wchar_t kDesktopShortcut[] = L"\\Velloria.lnk";
inline constexpr wchar_t kStartMenuFolder[] = L"\\Velloria";
// Never deleted, wherever it lies below a removed folder (compared on the lower-cased path).
inline constexpr wchar_t kSparedFileName[] = L"uninstall.bat";

// The camera modules, 32-bit beside the program and 64-bit in their own subfolder.
inline constexpr const wchar_t* kCameraModules[] = {L"vlux_horizontal.dll", L"vlux_vertical.dll"};
inline constexpr wchar_t kCameraModules64Folder[] = L"x64";

}  // namespace vl::uninstall
