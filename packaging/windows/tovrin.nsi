; The Windows installer: for the current user, without administrator rights.
; Made by cmake/make-setup.cmake (the `tovrin_setup` target), which passes:
;   VERSION   2.0.5           EXE       tovrin205.exe
;   TITLE     Tovrin          COMPANY   Ardelon        APP_ID  com.ardelon.Tovrin
;   FILES_NSH the program's files, as macros that install and remove them
;   ICON      the program's .ico                       OUTFILE the setup .exe
; Switches: /S installs silently; /AUTOSTART=1 (or 0) turns "Start Tovrin when I
; sign in" on (or off); /D=<folder> installs elsewhere. Without /AUTOSTART the
; check box starts as the last install left it, off on a new machine.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include ${FILES_NSH}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP_ID}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MENU_FOLDER "$SMPROGRAMS\${TITLE}"
; The running copy's hidden window (src/platform/win/WinRunningCopy.cpp) and mutex.
!define RUNNING_COPY_CLASS "${APP_ID}.RunningCopy"
!define RUNNING_COPY_MUTEX "Local\${APP_ID}"

Name "${TITLE}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${TITLE}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${TITLE} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${TITLE}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${COMPANY}"
VIAddVersionKey "FileDescription" "${TITLE} ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 1999 ${COMPANY}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${TITLE} now"
!define MUI_FINISHPAGE_RUN_NOTCHECKED

Var Autostart         ; 1 or 0
Var AutostartCheckBox

Page custom StartUpPage StartUpPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Files in use cannot be replaced or removed: the running copy is asked to end
; (WM_CLOSE to its window), and is given ten seconds before the user is asked.
!macro END_RUNNING_COPY un
Function ${un}EndRunningCopy
  retry:
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_COPY_MUTEX}") p.r0'
    ${If} $0 P= 0
      Return
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    System::Call 'user32::FindWindowExW(p -3, p 0, w "${RUNNING_COPY_CLASS}", p 0) p.r2'
    ${If} $2 P<> 0
      System::Call 'user32::PostMessageW(p r2, i 0x0010, p 0, p 0)'
    ${EndIf}
    Sleep 250
    IntOp $1 $1 + 1
  ${LoopWhile} $1 < 40
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "${TITLE} is still running. End it (Exit in its tray menu, or File > Exit) and choose Retry." \
    /SD IDCANCEL IDRETRY retry
  SetErrorLevel 2
  Quit
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

Function .onInit
  SetShellVarContext current
  ; The last install's choice, unless the command line says otherwise.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${TITLE}"
  ${If} $0 == ""
    StrCpy $Autostart 0
  ${Else}
    StrCpy $Autostart 1
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART=" $1
  ${IfNot} ${Errors}
    ${If} $1 == 1
      StrCpy $Autostart 1
    ${ElseIf} $1 == 0
      StrCpy $Autostart 0
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "/AUTOSTART takes 1 or 0, not '$1'." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function StartUpPage
  !insertmacro MUI_HEADER_TEXT "Start-up" "Choose whether ${TITLE} starts by itself."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u \
    "${TITLE} waits in the notification area for your conversions. It can start each time you sign in to Windows."
  Pop $0
  ${NSD_CreateCheckBox} 0 32u 100% 12u "&Start ${TITLE} when I sign in"
  Pop $AutostartCheckBox
  ${If} $Autostart == 1
    ${NSD_Check} $AutostartCheckBox
  ${EndIf}
  ${NSD_SetFocus} $AutostartCheckBox
  nsDialogs::Show
FunctionEnd

Function StartUpPageLeave
  ${NSD_GetState} $AutostartCheckBox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $Autostart 1
  ${Else}
    StrCpy $Autostart 0
  ${EndIf}
FunctionEnd

; The Start-menu shortcuts, each given to `action` (ADD_SHORTCUT or REMOVE_SHORTCUT);
; the keys can be changed in the shortcut's Properties.
!macro SHORTCUTS action
  !insertmacro ${action} "${TITLE}" "" "" "Change the case of text"
  !insertmacro ${action} "Clipboard to UPPERCASE" "--upper" "CONTROL|ALT|U" "Convert the clipboard's text to UPPERCASE"
  !insertmacro ${action} "Clipboard to lowercase" "--lower" "CONTROL|ALT|L" "Convert the clipboard's text to lowercase"
  !insertmacro ${action} "Clipboard to rAnDOm" "--random" "CONTROL|ALT|R" "Convert the clipboard's text to rAnDOm case"
  !insertmacro ${action} "Selection to UPPERCASE" "--upper --in-place" "CONTROL|ALT|SHIFT|U" \
    "Convert the selected text to UPPERCASE where it is"
  !insertmacro ${action} "Selection to lowercase" "--lower --in-place" "CONTROL|ALT|SHIFT|L" \
    "Convert the selected text to lowercase where it is"
  !insertmacro ${action} "Selection to rAnDOm" "--random --in-place" "CONTROL|ALT|SHIFT|R" \
    "Convert the selected text to rAnDOm case where it is"
!macroend
; One already there is kept: its key may be the user's choice.
!macro ADD_SHORTCUT name args key description
  ${IfNot} ${FileExists} "${MENU_FOLDER}\${name}.lnk"
    CreateShortcut "${MENU_FOLDER}\${name}.lnk" "$INSTDIR\${EXE}" "${args}" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL \
      "${key}" "${description}"
  ${EndIf}
!macroend
!macro REMOVE_SHORTCUT name args key description
  Delete "${MENU_FOLDER}\${name}.lnk"
!macroend

Section
  Call EndRunningCopy
  ; An earlier install removes its files first (those this one has not would stay
  ; behind for ever); in the same folder it keeps its shortcuts and start-up value.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    ${If} $0 == $INSTDIR
      ExecWait '"$0\uninstall.exe" /S /UPGRADE _?=$0'
    ${Else}
      ExecWait '"$0\uninstall.exe" /S _?=$0'
      Delete "$0\uninstall.exe"
      RMDir "$0"
    ${EndIf}
  ${EndIf}

  !insertmacro TOVRIN_INSTALL_FILES
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${MENU_FOLDER}"
  !insertmacro SHORTCUTS ADD_SHORTCUT

  ${If} $Autostart == 1
    WriteRegStr HKCU "${RUN_KEY}" "${TITLE}" '"$INSTDIR\${EXE}"'
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "${TITLE}"
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${TITLE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; Everything the installer put there goes; the settings under
; HKCU\Software\${COMPANY}\${TITLE} stay, for a later install.
Section "Uninstall"
  Call un.EndRunningCopy
  ; /UPGRADE: a new install in this folder replaces the files and keeps the rest.
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/UPGRADE" $2
  ${If} ${Errors}
    !insertmacro SHORTCUTS REMOVE_SHORTCUT
    RMDir "${MENU_FOLDER}"
    ; Only the value this program wrote: another program's start-up stays.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${TITLE}"
    ${If} $0 == '"$INSTDIR\${EXE}"'
      DeleteRegValue HKCU "${RUN_KEY}" "${TITLE}"
    ${EndIf}
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}

  !insertmacro TOVRIN_REMOVE_FILES
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
