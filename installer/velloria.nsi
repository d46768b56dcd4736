; setup.exe: installs Velloria PC into Program Files, registers both cameras for 32-bit capture
; programs (and, on 64-bit Windows, for 64-bit ones), makes the desktop shortcut, the Start-menu
; folder and the per-user uninstall entry that Uninstall.exe removes, and offers to start the
; program. "/S" installs silently; "/D=folder" (last on the command line) picks the folder.
;
; Built by scripts/build:  makensis -DDIST=<dist folder> -DOUTFILE=<setup.exe> -DICON=<.ico>

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

; The version is the program's own.
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
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${MAIN_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "运行${PRODUCT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "SimpChinese"

; A running program holds its files: ask it to close (a hung one cannot hold the installer).
Function CloseRunningProgram
  FindWindow $0 "" "${PRODUCT}"
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
