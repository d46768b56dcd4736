; setup.exe: installs Velloria PC into Program Files, registers both cameras for 32-bit capture
; programs (and, on 64-bit Windows, for 64-bit ones), makes the desktop shortcut, the Start-menu
; folder and the per-user uninstall entry that Uninstall.exe removes, and offers to start the
; program (as the desktop's user, never elevated). "/S" installs silently; "/D=folder" (last on
; the command line) picks the folder; a folder outside Program Files gets Program Files'
; protection: only administrators may write in it.
;
; Built by scripts/build:  makensis -DDIST=<dist folder> -DOUTFILE=<setup.exe> -DICON=<.ico>
;   -DDESKTOP_RUN=<desktop_run.exe> and either -DRELEASE (the program pins the real publisher)
;   or -DTEST_BUILD (a test build's program: marked as such, never to be shipped).
; A test build may add -DTARGET_AMD64: a 64-bit installer of the 64-bit program (DIST's win32/
; then holds that program), for machines that run no 32-bit code. Releases are 32-bit.

!ifdef TARGET_AMD64
  !ifndef TEST_BUILD
    !error "TARGET_AMD64 is for test builds only"
  !endif
  Target amd64-unicode
!endif
Unicode true
; The name setup.exe is what users download; Windows treating it as an installer is intended.
!pragma warning disable 9000
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "x64.nsh"

!ifndef DIST
  !error "define DIST (the folder holding win32/ and win64/)"
!endif
!ifndef OUTFILE
  !error "define OUTFILE"
!endif
!ifndef ICON
  !error "define ICON"
!endif
!ifndef DESKTOP_RUN
  !error "define DESKTOP_RUN (installer/desktop_run.cpp, built in the win32 tree)"
!endif
!ifndef RELEASE
  !ifndef TEST_BUILD
    !error "define RELEASE (a release build, with the publisher's key) or TEST_BUILD"
  !endif
!endif

; The main program's window class, from the one header that names it.
!searchparse /file "${__FILEDIR__}/../common/main_window_class.h" \
  '#define VL_MAIN_WINDOW_CLASS "' MAIN_WINDOW_CLASS '"'

; The version is the program's own (which the build takes from the project's one version).
!getdllversion "${DIST}/win32/Lumaroo.exe" VL_VERSION_
!define VERSION "${VL_VERSION_1}.${VL_VERSION_2}.${VL_VERSION_3}.${VL_VERSION_4}"

!define PRODUCT "Velloria"
!define PUBLISHER "Velloria"
!define MAIN_EXE "Lumaroo.exe"
!define UNINSTALL_EXE "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumaroo"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
!ifdef TEST_BUILD
  BrandingText "${PRODUCT} ${VERSION} 测试版"
!else
  BrandingText "${PRODUCT} ${VERSION}"
!endif
ShowInstDetails nevershow

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PUBLISHER}"
; The program starts a downloaded update only when it carries this name (and the offered version).
VIAddVersionKey /LANG=2052 "OriginalFilename" "setup.exe"

!define MUI_ICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "运行${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION RunAsDesktopUser
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "SimpChinese"

; The installer runs elevated; the program talks to the network and must not. The desktop's shell
; (running as the signed-in user) starts it; without one, it is not started at all.
Function RunAsDesktopUser
  InitPluginsDir
  File "/oname=$PLUGINSDIR\desktop_run.exe" "${DESKTOP_RUN}"
  ExecWait '"$PLUGINSDIR\desktop_run.exe" "$INSTDIR\${MAIN_EXE}"'
FunctionEnd

; True ($0 = 1) when $INSTDIR lies in the folder $1 (compared without case).
Function InstDirIsWithin
  StrCpy $0 0
  StrLen $2 $1
  StrCpy $3 $INSTDIR $2
  StrCmp $3 $1 0 done
  StrCpy $3 $INSTDIR 1 $2
  StrCmp $3 "" within
  StrCmp $3 "\" within done
  within:
  StrCpy $0 1
  done:
FunctionEnd

; Program Files lets only administrators write, and the cameras (registered for every program)
; and the elevated uninstaller load files from the installation: a folder chosen elsewhere gets
; the same protection before anything is put into it. Administrators and the system may change
; it, users and app containers read and run it.
Function ProtectFolderOutsideProgramFiles
  StrCpy $1 $PROGRAMFILES32
  Call InstDirIsWithin
  StrCmp $0 1 done
  StrCpy $1 $PROGRAMFILES64
  Call InstDirIsWithin
  StrCmp $0 1 done
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICI;0x1200a9;;;AC)", i 1, *p .r1, p 0) i .r0'
  StrCmp $0 0 failed
  System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r2, *p .r3, *i .r4) i .r0'
  ; DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, on the folder and below.
  System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000004, p 0, p 0, p r3, p 0) i .r0'
  System::Call 'kernel32::LocalFree(p r1)'
  StrCmp $0 0 done
  failed:
  MessageBox MB_OK|MB_ICONSTOP "无法设置安装文件夹“$INSTDIR”的权限，请选择其他文件夹。" /SD IDOK
  Abort
  done:
FunctionEnd

; A running program holds its files: ask it to close (a hung one cannot hold the installer).
; It is found by its own window class: a title alone also matches other windows.
Function CloseRunningProgram
  FindWindow $0 "${MAIN_WINDOW_CLASS}" "${PRODUCT}"
  ${If} $0 <> 0
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${PRODUCT}正在运行，安装前将关闭它。" /SD IDOK IDOK close
    Abort
    close:
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=3000
    Sleep 1000
  ${EndIf}
FunctionEnd

; Registers one camera module in this (32-bit) process.
!macro RegisterCamera32 file
  ClearErrors
  RegDLL "$INSTDIR\${file}"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION "$INSTDIR\${file} 注册失败" /SD IDOK
  ${EndIf}
!macroend

; Registers one 64-bit camera module through the system's 64-bit regsvr32.
!macro RegisterCamera64 file
  ${DisableX64FSRedirection}
  ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\x64\${file}"' $0
  ${EnableX64FSRedirection}
  ${If} $0 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "$INSTDIR\x64\${file} 注册失败" /SD IDOK
  ${EndIf}
!macroend

Section "${PRODUCT}"
  Call CloseRunningProgram
  SetShellVarContext current

  CreateDirectory "$INSTDIR"
  Call ProtectFolderOutsideProgramFiles
  SetOutPath "$INSTDIR"
  File /r "${DIST}/win32/*"
  CreateDirectory "$INSTDIR\adb"
  ${If} ${RunningX64}
    SetOutPath "$INSTDIR\x64"
    File /r "${DIST}/win64/*"
  ${EndIf}
  SetOutPath "$INSTDIR"

  !insertmacro RegisterCamera32 "vlux_horizontal.dll"
  !insertmacro RegisterCamera32 "vlux_vertical.dll"
  ${If} ${RunningX64}
    !insertmacro RegisterCamera64 "vlux_horizontal.dll"
    !insertmacro RegisterCamera64 "vlux_vertical.dll"
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${MAIN_EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALL_EXE}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\${MAIN_EXE}"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${MAIN_EXE}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\卸载${PRODUCT}.lnk" "$INSTDIR\${UNINSTALL_EXE}"
SectionEnd
