; The installer and uninstaller of Vornix Internet Optimizer, one per
; architecture. scripts/package.sh runs makensis with these defines, taken
; from resources/VersionInfo.h, the instance mutex's header, the console
; tool's exit codes (console/CommandLine.h) and the Release build:
;   ARCH          win64 (amd64 stubs, 64-bit Program Files and registry view)
;                 or win32 (x86 stubs)
;   BIN_DIR       the folder holding VornixInternetOptimizer.exe and vornix.exe
;   OUT_FILE      the installer to write
;   PRODUCT PUBLISHER COPYRIGHT VERSION VERSION_QUAD
;   MUTEX         the one-instance mutex of the window and vornix.exe
;   TOOL_DONE TOOL_NO_BACKUP TOOL_BESIDE_COPIES
;                 exit codes of `vornix.exe backup` and `vornix.exe restore`:
;                 a backup the running Windows can restore, or restored;
;                 nothing of the machine's own values held (no backup of
;                 either family, no copy set aside); a backup the running
;                 Windows can restore with copies set aside beside it
;                 (`backup`)
;   ICON          the program's icon
; The source is UTF-8: makensis -INPUTCHARSET UTF8. A define left out is an
; error, not a literal "${NAME}" compared against.

!pragma warning error 6000

Unicode true
!if "${ARCH}" == "win64"
  Target amd64-unicode
!else if "${ARCH}" == "win32"
  Target x86-unicode
!else
  !error "ARCH must be win64 or win32"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define APP_EXE "VornixInternetOptimizer.exe"
!define TOOL_EXE "vornix.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The program's product key with its backup store. Both builds of the
; program keep it in the 32-bit view of SOFTWARE. Only the program reads
; the store: the uninstaller asks `vornix.exe backup`.
!define PRODUCT_KEY "SOFTWARE\${PRODUCT}"
; Uninstaller exit code when the program was removed but the product key is
; kept: the original TCP/IP settings were not restored, or copies set aside
; by `vornix.exe backup --set-aside` are kept in it.
!define EXIT_NOT_RESTORED 3

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION}"
!if "${ARCH}" == "win64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; A reinstall goes where the last install went (read in this installer's
; own registry view, where it wrote the entry).
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${APP_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "运行 ${PRODUCT}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; --- shared checks ------------------------------------------------------------

; Administrator rights: the program and the uninstaller's restore write to
; HKEY_LOCAL_MACHINE. On Windows 2000/XP nothing elevates a limited user, so
; the account is checked. Aborts with exit code 2.
!macro RequireAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "需要管理员权限。请以管理员身份运行。" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

; The window or vornix.exe running (their mutex exists, or exists and
; belongs to another user) would keep its executable in use and could be
; changing the TCP/IP values. Retry until it is closed, or abort with exit
; code 2 (at once when silent).
!macro RequireNotRunning
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${MUTEX}") p .r0 ?e'
    Pop $1
    ${If} $0 P<> 0
      System::Call 'kernel32::CloseHandle(p r0)'
    ${ElseIf} $1 <> 5  ; ERROR_ACCESS_DENIED: another user's instance
      ${Break}
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} 的窗口或 vornix.exe 正在运行。请先关闭它，然后单击“重试”。" /SD IDCANCEL IDRETRY`
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${Loop}
!macroend

; --- installer ----------------------------------------------------------------

Function .onInit
!if "${ARCH}" == "win64"
  SetRegView 64
!endif
  !insertmacro RequireAdmin
  !insertmacro RequireNotRunning
FunctionEnd

Section "Install" SecInstall
  SetOutPath "$INSTDIR"
  File "${BIN_DIR}\${APP_EXE}"
  File "${BIN_DIR}\${TOOL_EXE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${APP_EXE}"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${APP_EXE},0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  ; Run in place (_?=), so that the exit code a deployment tool reads is the
  ; uninstall's own: otherwise the uninstaller copies itself to the
  ; temporary folder, starts that copy and exits 0 at once.
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  ; In KB: the executables and the uninstaller, not whatever else the chosen
  ; folder may hold.
  SectionGetSize ${SecInstall} $0
  ${GetSize} "$INSTDIR" "/M=${UNINSTALLER} /S=0K /G=0" $1 $2 $3
  IntOp $0 $0 + $1
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
SectionEnd

; --- uninstaller --------------------------------------------------------------

; The product key as the user finds it in the registry editor: the program
; keeps it in the 32-bit view, which 64-bit Windows shows under WOW6432Node.
Var ProductKeyShown

Function un.onInit
!if "${ARCH}" == "win64"
  SetRegView 64
!endif
  !insertmacro RequireAdmin
  !insertmacro RequireNotRunning
  ${If} ${RunningX64}
    StrCpy $ProductKeyShown "HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\${PRODUCT}"
  ${Else}
    StrCpy $ProductKeyShown "HKEY_LOCAL_MACHINE\SOFTWARE\${PRODUCT}"
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; The product key holds the backup of the machine's own TCP/IP values, and
  ; any copy of a damaged backup that `vornix.exe backup --set-aside` moved
  ; aside. The program says what it holds (vornix.exe backup); only a
  ; certain answer lets the key go: nothing held at all, or a backup the
  ; program's own restore has put back with no copy beside it. Copies set
  ; aside are never deleted: the key stays, and the uninstaller says where.
  ; A crash, a missing vornix.exe or any other answer keeps the key too, so
  ; that a reinstalled program can still restore. A silent uninstall
  ; restores. Exit codes are compared as text: nsExec gives "error" when the
  ; tool cannot be started.
  DetailPrint "正在检查原始 TCP/IP 设置的备份……"
  nsExec::ExecToLog /OEM '"$INSTDIR\${TOOL_EXE}" backup'
  Pop $0
!if "${ARCH}" == "win64"
  SetRegView 32
!endif
  ${If} $0 == "${TOOL_NO_BACKUP}"
    DeleteRegKey HKLM "${PRODUCT_KEY}"
  ${ElseIf} $0 == "${TOOL_DONE}"
  ${OrIf} $0 == "${TOOL_BESIDE_COPIES}"
    ${If} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON1 "是否先将 TCP/IP 设置还原为使用 ${PRODUCT} 优化之前的原始设置？" /SD IDYES IDYES`
      DetailPrint "正在还原原始 TCP/IP 设置……"
      nsExec::ExecToLog /OEM '"$INSTDIR\${TOOL_EXE}" restore'
      Pop $1
      ${If} $1 != "${TOOL_DONE}"
      ${AndIf} $1 != "${TOOL_NO_BACKUP}"
        DetailPrint "还原未完成（退出代码 $1）。"
        MessageBox MB_OK|MB_ICONEXCLAMATION \
          "未能还原原始 TCP/IP 设置（vornix.exe 退出代码：$1）。备份已保留在注册表项 $ProductKeyShown 中：重新安装 ${PRODUCT} 后，仍可使用“还原系统设置”将其还原。" \
          /SD IDOK
        SetErrorLevel ${EXIT_NOT_RESTORED}
      ${ElseIf} $0 == "${TOOL_BESIDE_COPIES}"
        MessageBox MB_OK|MB_ICONINFORMATION \
          "TCP/IP 设置已还原。另有移到一旁的损坏备份，可能保存着更早的原始设置，已保留在注册表项 $ProductKeyShown 中，没有删除。" \
          /SD IDOK
        SetErrorLevel ${EXIT_NOT_RESTORED}
      ${Else}
        DeleteRegKey HKLM "${PRODUCT_KEY}"
      ${EndIf}
    ${Else}
      MessageBox MB_OK|MB_ICONINFORMATION \
        "原始 TCP/IP 设置的备份已保留在注册表项 $ProductKeyShown 中。重新安装 ${PRODUCT} 后，仍可使用“还原系统设置”将其还原。" \
        /SD IDOK
      ${If} $0 == "${TOOL_BESIDE_COPIES}"
        SetErrorLevel ${EXIT_NOT_RESTORED}
      ${EndIf}
    ${EndIf}
  ${Else}
    DetailPrint "无法确认原始 TCP/IP 设置的备份可以还原（vornix.exe backup 退出代码：$0）。"
    MessageBox MB_OK|MB_ICONEXCLAMATION \
      "未能还原原始 TCP/IP 设置：无法确认备份可以在此 Windows 上还原（vornix.exe backup 退出代码：$0）。备份已保留在注册表项 $ProductKeyShown 中，没有删除；移到一旁的备份（如有）也在其中。" \
      /SD IDOK
    SetErrorLevel ${EXIT_NOT_RESTORED}
  ${EndIf}
!if "${ARCH}" == "win64"
  SetRegView 64
!endif

  ; Everything the program puts beside itself: the visual-style manifest the
  ; window writes on Windows 2000/XP (hidden, system, read-only) and the
  ; temporary file it writes it through. Delete clears read-only first.
  Delete "$INSTDIR\${APP_EXE}"
  Delete "$INSTDIR\${TOOL_EXE}"
  Delete "$INSTDIR\${APP_EXE}.manifest"
  Delete "$INSTDIR\${APP_EXE}.manifest.tmp"
  ; Run in place (the registered quiet uninstall), the uninstaller cannot
  ; delete itself: it steps aside under another name, which goes at the next
  ; restart with the folder, so that a reinstall before then keeps its own
  ; uninstaller. Where the running program cannot be renamed (Wine), it goes
  ; at the restart under its own name. Run from its copy in the temporary
  ; folder, it deletes itself and the folder at once.
  Delete "$INSTDIR\${UNINSTALLER}.old"
  Rename "$INSTDIR\${UNINSTALLER}" "$INSTDIR\${UNINSTALLER}.old"
  Delete /REBOOTOK "$INSTDIR\${UNINSTALLER}.old"
  Delete /REBOOTOK "$INSTDIR\${UNINSTALLER}"
  RMDir /REBOOTOK "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
