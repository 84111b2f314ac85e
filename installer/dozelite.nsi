; Dozelite setup: installs the program and its help file, a Start menu entry, optionally
; the log-on "Run" entry, and an uninstaller registered with Windows. Two modes:
;   "Just for me"  - %LOCALAPPDATA%\Programs\Dozelite, uninstall entry and shortcut of the
;                    current user (HKCU); runs without administrator rights.
;   "For everyone" - the program files folder, uninstall entry and shortcut of the machine
;                    (HKLM); needs administrator rights and asks for them when chosen.
; Without a choice on the command line the mode follows the rights setup runs with.
; Built by "./dev package"; the defines below come from its command line.
;
; Setup options:       /S (silent), /CURRENTUSER or /ALLUSERS (the mode), /NOSTARTUP (no
;                      log-on entry), /D=<folder> (last, unquoted)
; Uninstaller options: /S (silent), /KEEPSETTINGS (keep HKCU\Software\Dozelite),
;                      /CURRENTUSER or /ALLUSERS (otherwise found from its own folder)
; Exit code 740 (elevation required): /ALLUSERS without administrator rights in silent mode.

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
; Elevation is asked for only when "For everyone" is chosen (see RestartElevated).
RequestExecutionLevel user

!ifndef VERSION
  !define VERSION "3.0"
!endif
!ifndef SOURCE_DIR
  !define SOURCE_DIR ".."
!endif
!ifndef BUILD_DIR
  !define BUILD_DIR "..\build\windows"
!endif
!ifndef OUTFILE
  !define OUTFILE "..\build\Dozelite-${VERSION}-setup.exe"
!endif
; The folder the shipped files come from (the program possibly signed); the build by default.
!ifndef STAGE_DIR
  !define STAGE_DIR "${BUILD_DIR}"
!endif
; With SIGN_COMMAND the uninstaller and the setup program are signed as makensis writes them:
; the command gets the file's path, and for the uninstaller also where to keep a copy of
; it next to the other shipped files.
!ifdef SIGN_COMMAND
  !uninstfinalize '${SIGN_COMMAND} "%1" "${STAGE_DIR}/uninstall.exe"' = 0
  !finalize '${SIGN_COMMAND} "%1"' = 0
!endif

!define PRODUCT "Dozelite"
!define PUBLISHER "The Dozelite developers"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Dozelite"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Dozelite"
; The running instance's main window, as the program registers it.
!define WINDOW_CLASS "DozeliteTrayIconClass"
!define WINDOW_TITLE "Dozelite"
!define ERROR_ELEVATION_REQUIRED 740

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
Caption "$(SetupCaption)"
UninstallCaption "$(UninstallCaption)"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"
!include "nsDialogs.nsh"
!include "Sections.nsh"
!include "WinVer.nsh"

!define MUI_ICON "${SOURCE_DIR}\src\resources\art\dozelite.ico"
!define MUI_UNICON "${SOURCE_DIR}\src\resources\art\dozelite.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)$\r$\n$\r$\n$_CLICK"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(RunText)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartDozelite
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(HelpText)"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION OpenHelp
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
UninstPage custom un.SettingsPage un.SettingsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

; The languages the program speaks, English first; the setup program offers them at its
; start, preselected from the system's, and passes nothing to the program.
!insertmacro MUI_LANGUAGE "English"
!include "${BUILD_DIR}\generated\translations\installer_languages.nsh"
!insertmacro MUI_RESERVEFILE_LANGDLL
!include "${SOURCE_DIR}\installer\strings.nsh"
!include "${BUILD_DIR}\generated\translations\installer_strings.nsh"

Var KeepSettings
Var KeepSettingsBox
Var AllUsers         ; 1: "For everyone", 0: "Just for me"
Var ModeGiven        ; 1: /ALLUSERS or /CURRENTUSER on the command line
Var Elevated         ; 1: running with administrator rights
Var FolderGiven      ; 1: /D on the command line
Var JustForMeButton
Var ClosedProgram    ; the program file of the copy setup ended ("" when none ran)

; Ends every running instance of this user's session: WM_CLOSE to its main window, the
; same path as the program's own "Exit", then waits for the window to go (10 seconds
; at most, asking again every 2 seconds). Remembers in $ClosedProgram which program file
; the first one ran, so that setup can start it again afterwards.
!macro DEFINE_END_RUNNING prefix
Function ${prefix}EndRunningDozelite
  Push $0
  Push $1
  Push $2
  StrCpy $1 0
  FindWindow $0 "${WINDOW_CLASS}" "${WINDOW_TITLE}"
  ${If} $0 <> 0
    StrCpy $ClosedProgram "$INSTDIR\${PRODUCT}.exe"
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    ; PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r1) p .r2'
    ${If} $2 P<> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r1, *i ${NSIS_MAX_STRLEN}) i .r0'
      ${If} $0 <> 0
        StrCpy $ClosedProgram $1
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
  ${EndIf}
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}" "${WINDOW_TITLE}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    ${If} $1 = 0
      DetailPrint "$(EndingProgram)"
    ${EndIf}
    IntOp $0 $1 % 10
    ${If} $0 = 0
      FindWindow $0 "${WINDOW_CLASS}" "${WINDOW_TITLE}"
      SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
    ${EndIf}
    Sleep 200
    IntOp $1 $1 + 1
  ${LoopUntil} $1 >= 50
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Deletes the program file, waiting up to 10 seconds for an ending instance to let go
; of it. If it is still held, the uninstaller removes it at the next restart; setup
; goes on and lets the copy of the new file report the problem (a file marked for
; deletion at restart would take the new copy with it).
Function ${prefix}RemoveProgramFile
  Push $0
  StrCpy $0 0
  ${Do}
    Delete "$INSTDIR\${PRODUCT}.exe"
    ${IfNot} ${FileExists} "$INSTDIR\${PRODUCT}.exe"
      ${Break}
    ${EndIf}
    Sleep 250
    IntOp $0 $0 + 1
  ${LoopUntil} $0 >= 40
  !if "${prefix}" == "un."
    ${If} ${FileExists} "$INSTDIR\${PRODUCT}.exe"
      Delete /REBOOTOK "$INSTDIR\${PRODUCT}.exe"
    ${EndIf}
  !endif
  Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_END_RUNNING ""
!insertmacro DEFINE_END_RUNNING "un."

; Whether this process has administrator rights. A member of the administrators who has
; not confirmed an elevation prompt counts as "User" here, as intended.
!macro DEFINE_ELEVATED prefix
Function ${prefix}DetectElevation
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $Elevated 1
  ${Else}
    StrCpy $Elevated 0
  ${EndIf}
FunctionEnd

; Reads /ALLUSERS and /CURRENTUSER into $AllUsers and $ModeGiven; both at once is refused.
Function ${prefix}ReadModeOptions
  StrCpy $ModeGiven 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    StrCpy $ModeGiven 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/CURRENTUSER" $1
  ${IfNot} ${Errors}
    ${If} $ModeGiven = 1
      MessageBox MB_ICONSTOP "$(BothModes)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    StrCpy $AllUsers 0
    StrCpy $ModeGiven 1
  ${EndIf}
FunctionEnd

; Starts $R0 with parameters $R1 with administrator rights and ends this process; in
; silent mode nobody could confirm the prompt, so it ends with "elevation required".
Function ${prefix}RestartElevated
  ${If} ${Silent}
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
  ClearErrors
  ExecShell "runas" '"$R0"' '$R1'
  ${IfNot} ${Errors}
    Quit
  ${EndIf}
  MessageBox MB_ICONEXCLAMATION "$(NeedsAdmin)" /SD IDOK
FunctionEnd
!macroend
!insertmacro DEFINE_ELEVATED ""
!insertmacro DEFINE_ELEVATED "un."

Section "$(RequiredSection)" SecProgram
  SectionIn RO
  Call EndRunningDozelite
  Call RemoveProgramFile
  SetOutPath "$INSTDIR"
  File "${STAGE_DIR}\${PRODUCT}.exe"
  File "${STAGE_DIR}\${PRODUCT}.chm"
  File "${STAGE_DIR}\LICENSE.txt"
  File "${STAGE_DIR}\THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; $SMPROGRAMS and SHCTX follow the mode: the user's or everyone's Start menu, HKCU or HKLM.
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe" "" "$INSTDIR\${PRODUCT}.exe" 0 \
      SW_SHOWNORMAL "" "$(ShortcutComment)"

  ; Commands are quoted: the folder may hold spaces. The program reads both this and the
  ; bare path older setups wrote.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; The same value the program's "Run When Windows Starts" writes: the executable's full
; path, quoted and without arguments, so the menu shows it checked.
Section "$(StartupSection)" SecStartup
  WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\${PRODUCT}.exe"'
SectionEnd

; A silent update (as package managers run it) starts again the copy it ended, for the
; user who ran it; an interactive one offers that on its finish page.
Section "-Restart" SecRestart
  ${If} ${Silent}
  ${AndIf} $ClosedProgram != ""
  ${AndIf} ${FileExists} $ClosedProgram
    StrCpy $R0 $ClosedProgram
    Call StartProgramAsUser
  ${EndIf}
SectionEnd

; Puts the mode in place: shell folders and SHCTX, the default folder (an installed
; copy's own folder first) unless /D chose one, and the log-on entry's default.
Function ApplyMode
  ${If} $AllUsers = 1
    SetShellVarContext all
    StrCpy $1 "$PROGRAMFILES64\${PRODUCT}"
  ${Else}
    SetShellVarContext current
    StrCpy $1 "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${EndIf}
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $FolderGiven = 0
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${Else}
      StrCpy $INSTDIR $1
    ${EndIf}
  ${EndIf}
  ; An update keeps the user's choice: no log-on entry is added when an installed copy
  ; runs without one.
  !insertmacro SelectSection ${SecStartup}
  ReadRegStr $1 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${If} $0 != ""
  ${AndIf} $1 == ""
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOSTARTUP" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}
FunctionEnd

; Hands the installation for everyone to an elevated copy of setup with the same choices.
Function RestartSetupElevated
  StrCpy $R0 "$EXEPATH"
  StrCpy $R1 "/ALLUSERS"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOSTARTUP" $1
  ${IfNot} ${Errors}
    StrCpy $R1 "$R1 /NOSTARTUP"
  ${EndIf}
  ${If} $FolderGiven = 1
    StrCpy $R1 "$R1 /D=$INSTDIR"
  ${EndIf}
  Call RestartElevated
FunctionEnd

Function .onInit
  !insertmacro MUI_LANGDLL_DISPLAY
  ; The program asks for the UTF-8 code page, which Windows gives from 10 version 1903 on.
  ${IfNot} ${AtLeastBuild} 18362
    MessageBox MB_OK|MB_ICONSTOP "$(OldWindows)" /SD IDOK
    SetErrorLevel 1150 ; ERROR_OLD_WIN_VERSION
    Quit
  ${EndIf}
  SetRegView 64
  ; /D=<folder> has been put into $INSTDIR before this runs; there is no other default.
  StrCpy $FolderGiven 0
  ${If} $INSTDIR != ""
    StrCpy $FolderGiven 1
  ${EndIf}
  Call DetectElevation
  StrCpy $AllUsers $Elevated
  Call ReadModeOptions
  ${If} $AllUsers = 1
  ${AndIf} $Elevated = 0
    Call RestartSetupElevated
    Abort
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function ModePage
  ${If} $ModeGiven = 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "$(UsersTitle)" "$(UsersSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateRadioButton} 0 0 100% 12u "$(JustForMe)"
  Pop $JustForMeButton
  ${NSD_CreateLabel} 12u 14u -12u 20u "$(JustForMeText)"
  Pop $0
  ${NSD_CreateRadioButton} 0 42u 100% 12u "$(ForEveryone)"
  Pop $1
  ${NSD_CreateLabel} 12u 56u -12u 20u "$(ForEveryoneText)"
  Pop $0
  ${If} $AllUsers = 1
    ${NSD_Check} $1
  ${Else}
    ${NSD_Check} $JustForMeButton
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $JustForMeButton $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $AllUsers 0
  ${Else}
    StrCpy $AllUsers 1
    ${If} $Elevated = 0
      Call RestartSetupElevated
      Abort ; the prompt was refused: stay on this page
    ${EndIf}
  ${EndIf}
  Call ApplyMode
FunctionEnd

; Starts the program $R0 with the rights of the user at the desktop: an elevated setup
; hands it to Explorer, which starts it as that user rather than with setup's rights.
Function StartProgramAsUser
  ${If} $Elevated = 1
    Exec '"$WINDIR\explorer.exe" "$R0"'
  ${Else}
    Exec '"$R0"'
  ${EndIf}
FunctionEnd

Function StartDozelite
  StrCpy $R0 "$INSTDIR\${PRODUCT}.exe"
  Call StartProgramAsUser
FunctionEnd

Function OpenHelp
  ExecShell "open" "$INSTDIR\${PRODUCT}.chm"
FunctionEnd

; ---------------------------------------------------------------- uninstaller

; The uninstaller removes what its own mode installed. Without /ALLUSERS or /CURRENTUSER
; the mode is the one whose uninstall entry names this folder; with neither entry left,
; a folder in the user's local application data means "Just for me".
Function un.FindMode
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 0
  ${ElseIf} $1 == $INSTDIR
    StrCpy $AllUsers 1
  ${Else}
    SetShellVarContext current
    StrLen $1 "$LOCALAPPDATA\"
    StrCpy $0 $INSTDIR $1
    ${If} $0 == "$LOCALAPPDATA\"
      StrCpy $AllUsers 0
    ${Else}
      StrCpy $AllUsers 1
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  ; The uninstaller speaks the system's language (English where it has none of them).
  SetRegView 64
  StrCpy $KeepSettings 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/KEEPSETTINGS" $1
  ${IfNot} ${Errors}
    StrCpy $KeepSettings 1
  ${EndIf}
  Call un.ReadModeOptions
  ${If} $ModeGiven = 0
    Call un.FindMode
  ${EndIf}
  Call un.DetectElevation
  ${If} $AllUsers = 1
  ${AndIf} $Elevated = 0
    StrCpy $R0 "$INSTDIR\uninstall.exe"
    StrCpy $R1 "/ALLUSERS"
    Call un.RestartElevated
    Abort
  ${EndIf}
  ${If} $AllUsers = 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Function un.SettingsPage
  !insertmacro MUI_HEADER_TEXT "$(SettingsTitle)" "$(SettingsSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 40u "$(SettingsText)"
  Pop $0
  ${NSD_CreateCheckbox} 0 48u 100% 12u "$(KeepSettings)"
  Pop $KeepSettingsBox
  ${If} $KeepSettings = 1
    ${NSD_Check} $KeepSettingsBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function un.SettingsPageLeave
  ${NSD_GetState} $KeepSettingsBox $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $KeepSettings 1
  ${Else}
    StrCpy $KeepSettings 0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningDozelite
  Call un.RemoveProgramFile
  ; A help file still open in a separate viewer goes at the next restart.
  Delete /REBOOTOK "$INSTDIR\${PRODUCT}.chm"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only an empty folder is removed: files the user put there stay.
  RMDir /REBOOTOK "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  ; The log-on entry goes only when it starts this copy; another copy's entry stays.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${If} $0 == "$INSTDIR\${PRODUCT}.exe"
  ${OrIf} $0 == '"$INSTDIR\${PRODUCT}.exe"'
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}

  ; The saver catalog cache is made again by the next start: it always goes.
  SetShellVarContext current
  Delete "$LOCALAPPDATA\${PRODUCT}\savers.cache"
  Delete "$LOCALAPPDATA\${PRODUCT}\savers.cache.*.tmp"
  RMDir "$LOCALAPPDATA\${PRODUCT}"
  ; Back to this copy's own mode: SHCTX below names its uninstall entry.
  ${If} $AllUsers = 1
    SetShellVarContext all
  ${EndIf}

  ${If} $KeepSettings = 0
    DetailPrint "$(RemovingSettings)"
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    ; The log and the crash reports written beside it.
    Delete "$TEMP\${PRODUCT}.log"
    Delete "$TEMP\${PRODUCT}-*.dmp"
  ${Else}
    DetailPrint "$(KeepingSettings)"
  ${EndIf}

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
