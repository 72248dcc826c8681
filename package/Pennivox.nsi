; The Pennivox installer: per user, no administrator, 64-bit. make_package.py runs makensis with
;   PV_VERSION  MAJOR.MINOR.PATCH      PV_FILES  the package's file list (files.nsh)
;   PV_ICON     the program's icon     PV_OUT    the setup program to write
; Silent: /S (defaults), /D=FOLDER (last on the line). The uninstaller keeps the user's
; dictionaries, learnt words and settings unless asked; /S /REMOVEUSERDATA removes them silently.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include "${PV_FILES}"

!define PV_NAME "Pennivox"
!define PV_PUBLISHER "Pennivox"
!define PV_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pennivox"
; The value the General page's "Start Pennivox with Windows" (Options) manages: same key, name and text.
!define PV_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define PV_RUN_VALUE "Pennivox"
!define PV_CONTROLLER_CLASS "PennivoxController"
!define PV_EXIT_COMMAND 32772
; Sizes and times of the bundled dictionaries as installed: an update replaces only those unchanged.
!define PV_INSTALLED_INI "$INSTDIR\Installed.ini"
!define PV_WAIT_EXIT_MS 15000

Name "${PV_NAME} ${PV_VERSION}"
OutFile "${PV_OUT}"
InstallDir "$LOCALAPPDATA\Programs\Pennivox"
InstallDirRegKey HKCU "${PV_UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PV_NAME} ${PV_VERSION}"

VIProductVersion "${PV_VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PV_NAME}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PV_PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PV_NAME} ${PV_VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${PV_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${PV_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PV_PUBLISHER}"

Var StartMenuShortcut
Var DesktopShortcut
Var StartWithWindows
Var StartMenuBox
Var DesktopBox
Var StartWithWindowsBox
Var WasRunning
Var RemoveUserData

!define MUI_ICON "${PV_ICON}"
!define MUI_UNICON "${PV_ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TITLE "$(PV_WELCOME_TITLE)"
!define MUI_WELCOMEPAGE_TEXT "$(PV_WELCOME_TEXT)"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Pennivox.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(PV_RUN_NOW)"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom OptionsPage OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!include "${__FILEDIR__}\Languages.nsh"

; ---------------------------------------------------------------------------------------------
; Shared by the installer and the uninstaller (un. prefix)

; Asks a running Pennivox to exit as its tray menu's Exit does and waits for it to end. One that
; shows a dialog, or does not end, is reported and left alone: the caller stops.
!macro PV_DEFINE_CLOSE_RUNNING UN
Function ${UN}CloseRunning
  StrCpy $WasRunning 0
  retry:
  FindWindow $0 "${PV_CONTROLLER_CLASS}"
  ${If} $0 = 0
    Return
  ${EndIf}
  DetailPrint "$(PV_CLOSING)"
  ; A dialog or message box of the program disables its window; the tray offers no Exit then.
  System::Call "user32::IsWindowEnabled(p r0) i .r1"
  ${If} $1 = 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(PV_DIALOG_OPEN)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 3
    Abort "$(PV_DIALOG_ABORT)"
  ${EndIf}
  System::Call "user32::GetWindowThreadProcessId(p r0, *i .r2)"
  System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3"  ; SYNCHRONIZE
  System::Call "user32::PostMessage(p r0, i 0x111, p ${PV_EXIT_COMMAND}, p 0)"
  ${If} $3 != 0
    System::Call "kernel32::WaitForSingleObject(p r3, i ${PV_WAIT_EXIT_MS}) i .r4"
    System::Call "kernel32::CloseHandle(p r3)"
  ${Else}
    StrCpy $4 1
  ${EndIf}
  ${If} $4 <> 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(PV_NOT_ENDED)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 3
    Abort "$(PV_NOT_ENDED_ABORT)"
  ${EndIf}
  StrCpy $WasRunning 1
FunctionEnd
!macroend
!insertmacro PV_DEFINE_CLOSE_RUNNING ""
!insertmacro PV_DEFINE_CLOSE_RUNNING "un."

; Deletes a file; one in use (the hook library stays mapped in programs that had the hook) cannot
; be deleted but may be renamed: it goes to the temporary folder, and the folder is free.
!macro PV_DEFINE_DELETE_OR_MOVE_ASIDE UN
Function ${UN}DeleteOrMoveAside
  Exch $0
  Push $1
  ClearErrors
  Delete $0
  ${If} ${Errors}
  ${AndIf} ${FileExists} $0
    GetTempFileName $1
    Delete $1
    ClearErrors
    Rename $0 $1
    ${If} ${Errors}
      DetailPrint "$0 is in use and stays."
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro PV_DEFINE_DELETE_OR_MOVE_ASIDE ""
!insertmacro PV_DEFINE_DELETE_OR_MOVE_ASIDE "un."

; $0 = "size time-high time-low" of a file, or "" when it is missing.
!macro PV_DEFINE_FILE_STAMP UN
Function ${UN}FileStamp
  Exch $0
  Push $1
  Push $2
  Push $3
  ClearErrors
  FileOpen $1 $0 r
  ${If} ${Errors}
    StrCpy $0 ""
  ${Else}
    FileSeek $1 0 END $2
    FileClose $1
    GetFileTime $0 $1 $3
    StrCpy $0 "$2 $1 $3"
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro PV_DEFINE_FILE_STAMP ""
!insertmacro PV_DEFINE_FILE_STAMP "un."

; $0 = 1 when Libs\NAME is as the installer left it.
!macro PV_BUNDLED_UNCHANGED UN NAME
  Push "$INSTDIR\Libs\${NAME}"
  Call ${UN}FileStamp
  Pop $1
  ReadINIStr $2 "${PV_INSTALLED_INI}" "Bundled" "${NAME}"
  StrCpy $0 0
  ${If} $1 != ""
  ${AndIf} $1 == $2
    StrCpy $0 1
  ${EndIf}
!macroend

; ---------------------------------------------------------------------------------------------
; Installer

!macro PV_PUT_PROGRAM_FILE NAME SOURCE
  Push "$INSTDIR\${NAME}"
  Call DeleteOrMoveAside
  File "/oname=$INSTDIR\${NAME}" "${SOURCE}"
!macroend

!macro PV_PUT_BUNDLED NAME SOURCE
  !insertmacro PV_BUNDLED_UNCHANGED "" "${NAME}"
  ${If} $1 == ""
  ${OrIf} $0 = 1
    File "/oname=$INSTDIR\Libs\${NAME}" "${SOURCE}"
    Push "$INSTDIR\Libs\${NAME}"
    Call FileStamp
    Pop $1
    WriteINIStr "${PV_INSTALLED_INI}" "Bundled" "${NAME}" $1
  ${Else}
    DetailPrint "$(PV_KEPT) Libs\${NAME}"
  ${EndIf}
!macroend

!macro PV_PUT_USER_FILE NAME SOURCE
  ${IfNot} ${FileExists} "$INSTDIR\Libs\${NAME}"
    File "/oname=$INSTDIR\Libs\${NAME}" "${SOURCE}"
  ${EndIf}
!macroend

; $0 = 1 when the Run value names this folder's Pennivox.exe (quoted or not).
Function RunValueIsOurs
  ReadRegStr $1 HKCU "${PV_RUN_KEY}" "${PV_RUN_VALUE}"
  StrCpy $0 0
  ${If} $1 == '"$INSTDIR\Pennivox.exe"'
  ${OrIf} $1 == "$INSTDIR\Pennivox.exe"
    StrCpy $0 1
  ${EndIf}
FunctionEnd

Function .onInit
  SetShellVarContext current
  StrCpy $StartMenuShortcut ${BST_CHECKED}
  StrCpy $DesktopShortcut ${BST_UNCHECKED}
  StrCpy $StartWithWindows ${BST_CHECKED}
  ; An update offers what the installed copy has now (the user may have changed it since).
  ${If} ${FileExists} "$INSTDIR\Pennivox.exe"
  ${AndIf} ${FileExists} "$INSTDIR\Uninstall.exe"
    ${IfNot} ${FileExists} "$SMPROGRAMS\${PV_NAME}.lnk"
      StrCpy $StartMenuShortcut ${BST_UNCHECKED}
    ${EndIf}
    ${If} ${FileExists} "$DESKTOP\${PV_NAME}.lnk"
      StrCpy $DesktopShortcut ${BST_CHECKED}
    ${EndIf}
    Call RunValueIsOurs
    ${If} $0 = 0
      StrCpy $StartWithWindows ${BST_UNCHECKED}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "$(PV_OPTIONS_TITLE)" "$(PV_OPTIONS_SUBTITLE)"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateCheckbox} 0 0 100% 12u "$(PV_START_MENU)"
  Pop $StartMenuBox
  ${NSD_SetState} $StartMenuBox $StartMenuShortcut
  ${NSD_CreateCheckbox} 0 18u 100% 12u "$(PV_DESKTOP)"
  Pop $DesktopBox
  ${NSD_SetState} $DesktopBox $DesktopShortcut
  ${NSD_CreateCheckbox} 0 36u 100% 12u "$(PV_WITH_WINDOWS)"
  Pop $StartWithWindowsBox
  ${NSD_SetState} $StartWithWindowsBox $StartWithWindows
  ${NSD_CreateLabel} 12u 54u 280u 36u "$(PV_SAME_CHOICE)"
  Pop $0
  nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
  ${NSD_GetState} $StartMenuBox $StartMenuShortcut
  ${NSD_GetState} $DesktopBox $DesktopShortcut
  ${NSD_GetState} $StartWithWindowsBox $StartWithWindows
FunctionEnd

Section "Program"
  SetShellVarContext current
  Call CloseRunning
  SetOutPath "$INSTDIR"
  !insertmacro PV_INSTALL_PROGRAM_FILES
  SetOutPath "$INSTDIR\Libs"
  !insertmacro PV_INSTALL_BUNDLED
  !insertmacro PV_INSTALL_USER_FILES
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  Delete "$SMPROGRAMS\${PV_NAME}.lnk"
  ${If} $StartMenuShortcut = ${BST_CHECKED}
    CreateShortcut "$SMPROGRAMS\${PV_NAME}.lnk" "$INSTDIR\Pennivox.exe" "" "$INSTDIR\Pennivox.exe" 0
  ${EndIf}
  Delete "$DESKTOP\${PV_NAME}.lnk"
  ${If} $DesktopShortcut = ${BST_CHECKED}
    CreateShortcut "$DESKTOP\${PV_NAME}.lnk" "$INSTDIR\Pennivox.exe" "" "$INSTDIR\Pennivox.exe" 0
  ${EndIf}
  ${If} $StartWithWindows = ${BST_CHECKED}
    WriteRegStr HKCU "${PV_RUN_KEY}" "${PV_RUN_VALUE}" '"$INSTDIR\Pennivox.exe"'
  ${Else}
    Call RunValueIsOurs
    ${If} $0 = 1
      DeleteRegValue HKCU "${PV_RUN_KEY}" "${PV_RUN_VALUE}"
    ${EndIf}
  ${EndIf}

  WriteRegStr HKCU "${PV_UNINSTALL_KEY}" "DisplayName" "${PV_NAME}"
  WriteRegStr HKCU "${PV_UNINSTALL_KEY}" "DisplayVersion" "${PV_VERSION}"
  WriteRegStr HKCU "${PV_UNINSTALL_KEY}" "Publisher" "${PV_PUBLISHER}"
  WriteRegStr HKCU "${PV_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Pennivox.exe,0"
  WriteRegStr HKCU "${PV_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${PV_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${PV_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${PV_UNINSTALL_KEY}" "EstimatedSize" ${PV_SIZE_KB}
  WriteRegDWORD HKCU "${PV_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${PV_UNINSTALL_KEY}" "NoRepair" 1

  ; A silent update starts again what it closed; otherwise the finish page offers to start it.
  ${If} ${Silent}
  ${AndIf} $WasRunning = 1
    Exec '"$INSTDIR\Pennivox.exe"'
  ${EndIf}
SectionEnd

; ---------------------------------------------------------------------------------------------
; Uninstaller

!macro PV_REMOVE_PROGRAM_FILE NAME
  Push "$INSTDIR\${NAME}"
  Call un.DeleteOrMoveAside
!macroend

!macro PV_REMOVE_UNCHANGED_BUNDLED NAME
  !insertmacro PV_BUNDLED_UNCHANGED "un." "${NAME}"
  ${If} $0 = 1
    Delete "$INSTDIR\Libs\${NAME}"
  ${EndIf}
!macroend

Function un.onInit
  SetShellVarContext current
  StrCpy $RemoveUserData 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEUSERDATA" $1
  ${IfNot} ${Errors}
    StrCpy $RemoveUserData 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.CloseRunning
  ${IfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION "$(PV_KEEP_DATA)" IDYES keep
    StrCpy $RemoveUserData 1
    keep:
  ${EndIf}

  !insertmacro PV_REMOVE_PROGRAM_FILES
  Delete "$SMPROGRAMS\${PV_NAME}.lnk"
  Delete "$DESKTOP\${PV_NAME}.lnk"
  ReadRegStr $1 HKCU "${PV_RUN_KEY}" "${PV_RUN_VALUE}"
  ${If} $1 == '"$INSTDIR\Pennivox.exe"'
  ${OrIf} $1 == "$INSTDIR\Pennivox.exe"
    DeleteRegValue HKCU "${PV_RUN_KEY}" "${PV_RUN_VALUE}"
  ${EndIf}

  ${If} $RemoveUserData = 1
    RMDir /r "$INSTDIR\Libs"
    Delete "$INSTDIR\Config.ini"
    Delete "$INSTDIR\AppConfig.ini"
  ${Else}
    ; Bundled dictionaries the user never changed are the program's; the rest is the user's.
    !insertmacro PV_REMOVE_BUNDLED
    RMDir "$INSTDIR\Libs"
  ${EndIf}
  Delete "${PV_INSTALLED_INI}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${PV_UNINSTALL_KEY}"
SectionEnd
