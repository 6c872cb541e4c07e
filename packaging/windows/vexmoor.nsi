; The installer of Vexmoor for 64-bit Windows (NSIS 3). scripts/package-windows
; builds it:
;   makensis -DVERSION=6.0 -DVERSION_QUAD=6.0.0.0 -DSCR=<vexmoor.scr> -DMEDIA=<media.nsh>
;            -DICON=<vexmoor.ico> -DWELCOME=<164x314 .bmp> -DOUTFILE=<VexmoorSetup.exe>
;            [-DSTUB=x86-unicode] vexmoor.nsi
; MEDIA is written by that script: the File and Delete lines of every media file.
;
; What it writes:
;   <system directory>\vexmoor.scr                    the saver (the 64-bit one)
;   <Windows directory>\Zelvora\Vexmoor\...           the media, and uninstall.exe
;   HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexmoor   (64-bit view)
; and, when asked to make Vexmoor the current screen saver:
;   HKCU\Control Panel\Desktop: SCRNSAVE.EXE, ScreenSaveActive
;   HKCU\Software\Zelvora\Vexmoor: the values those two had, for the uninstaller to put back
;
; Switches (with /S, the silent install):
;   /MAKECURRENT      the silent install makes Vexmoor the current screen saver too (the
;                     interactive one offers it, checked)
; and of the uninstaller:
;   /REMOVESETTINGS   the user's settings go too (the interactive uninstaller asks, unchecked)

!ifndef STUB
  ; A 64-bit installer: it runs only where the saver does, and reaches the system
  ; directory and the registry's 64-bit view as they are.
  !define STUB amd64-unicode
!endif
Target ${STUB}
Unicode true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include "${MEDIA}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexmoor"
!define DESKTOP_KEY "Control Panel\Desktop"
!define OUR_KEY "Software\Zelvora\Vexmoor"

Name "Vexmoor"
OutFile "${OUTFILE}"
; The system directory, the Windows directory and HKLM are written.
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma
; Where the saver looks for its media; there is no choosing it.
InstallDir "$WINDIR\Zelvora\Vexmoor"
BrandingText "Vexmoor ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "Vexmoor"
VIAddVersionKey /LANG=1033 "CompanyName" "Zelvora"
VIAddVersionKey /LANG=1033 "FileDescription" "Vexmoor setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 The Vexmoor developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
; The moon and the owl's tree from the saver's sky, beside the welcome and the last page.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WELCOME}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.ComponentsShow
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; A 32-bit stub sees the 32-bit system directory (SysWOW64) as $SYSDIR unless
; the redirection is off; a 64-bit one sees the real one.
!macro SystemDirBegin
  !if ${NSIS_PTR_SIZE} <= 4
    ${DisableX64FSRedirection}
  !endif
!macroend
!macro SystemDirEnd
  !if ${NSIS_PTR_SIZE} <= 4
    ${EnableX64FSRedirection}
  !endif
!macroend

; Whether the text on the stack names the installed saver, by its short or its
; long path (StrCmp ignores letter case, as the file system does). Leaves 1 or 0.
!macro IsOurSaver un
Function ${un}IsOurSaver
  Exch $0
  Push $1
  !insertmacro SystemDirBegin
  GetFullPathName /SHORT $1 "$SYSDIR\vexmoor.scr"
  !insertmacro SystemDirEnd
  ${If} $0 == ""
    StrCpy $0 0
  ${ElseIf} $0 == "$SYSDIR\vexmoor.scr"
  ${OrIf} $0 == $1
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro IsOurSaver ""
!insertmacro IsOurSaver "un."


Section "Vexmoor screen saver" SecMain
  SectionIn RO
  SetRegView 64
  !insertmacro SystemDirBegin
  SetOutPath "$SYSDIR"
  File "${SCR}"
  !insertmacro SystemDirEnd

  SetOutPath "$INSTDIR"
  !insertmacro VexmoorMediaFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vexmoor"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Zelvora"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\vexmoor.scr,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; In KB, as the list shows it: the saver, the media (the uninstaller is not counted).
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Make Vexmoor the current screen saver" SecCurrent
  SetRegView 64
  ; The short (8.3) path, as the Screen Saver settings write it; the long one
  ; where the volume keeps no short names.
  !insertmacro SystemDirBegin
  GetFullPathName /SHORT $0 "$SYSDIR\vexmoor.scr"
  !insertmacro SystemDirEnd
  ${If} $0 == ""
    StrCpy $0 "$SYSDIR\vexmoor.scr"
  ${EndIf}

  ; What was there goes back when Vexmoor is uninstalled. Kept from the first
  ; install that made it current: a second one would only record Vexmoor.
  ClearErrors
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Push $1
  Call IsOurSaver
  Pop $2
  ${If} $2 == 0
    WriteRegStr HKCU "${OUR_KEY}" "PreviousScreenSaver" $1
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    WriteRegStr HKCU "${OUR_KEY}" "PreviousScreenSaveActive" $1
  ${EndIf}

  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0
  ; As the Screen Saver settings do when a saver is picked: the saver on, and
  ; every program told (SPI_SETSCREENSAVEACTIVE, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE).
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call "user32::SystemParametersInfoW(i 17, i 1, p 0, i 3) i"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "The saver, in the system directory, and its pictures, songs and sounds."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecCurrent} "Vexmoor starts when the computer has been idle; the uninstaller puts back the saver you have now."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; After the sections: it names them.
Function .onInit
  SetRegView 64
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP|MB_OK "Vexmoor needs a 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  ; Silent, Vexmoor becomes the current screen saver only when asked: a silent
  ; install is often a deployment, run by another account (HKCU would be that
  ; account's) and not the user's choice of saver.
  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/MAKECURRENT" $1
    ${If} ${Errors}
      !insertmacro UnselectSection ${SecCurrent}
    ${EndIf}
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------
; The uninstaller


; The saver and the flag as they were before Vexmoor was made current, while
; Vexmoor is still the current one; none when nothing was recorded.
Function un.PutBackScreenSaver
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Push $0
  Call un.IsOurSaver
  Pop $0
  ${If} $0 == 1
    ClearErrors
    ReadRegStr $1 HKCU "${OUR_KEY}" "PreviousScreenSaver"
    ${If} ${Errors}
    ${OrIf} $1 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $1
    ${EndIf}
    ClearErrors
    ReadRegStr $1 HKCU "${OUR_KEY}" "PreviousScreenSaveActive"
    ${IfNot} ${Errors}
      ${If} $1 == ""
        DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
      ${Else}
        WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKCU "${OUR_KEY}"
  ; The maker's key may hold another program's.
  DeleteRegKey /ifempty HKCU "Software\Zelvora"
FunctionEnd

; Space is freed, not needed: the page's "Space required" would say 0 KB.
Function un.ComponentsShow
  ShowWindow $mui.ComponentsPage.SpaceRequired ${SW_HIDE}
FunctionEnd

; Takes Vexmoor's section out of the settings file named on the stack, and the
; file itself when nothing else is left in it: the maker's other programs may
; keep their sections there.
Function un.RemoveSettingsFile
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  ${If} ${FileExists} $0
    DeleteINISec $0 "Vexmoor"
    FlushINI $0
    StrCpy $3 ""
    ClearErrors
    FileOpen $1 $0 r
    ${IfNot} ${Errors}
      ${Do}
        ClearErrors
        FileRead $1 $2
        ${If} ${Errors}
          ${Break}
        ${EndIf}
        ; Anything but blanks and line ends is someone's.
        StrCpy $4 0
        ${Do}
          StrCpy $3 $2 1 $4
          ${If} $3 == ""
            ${Break}
          ${EndIf}
          ${If} $3 != " "
          ${AndIf} $3 != "$\t"
          ${AndIf} $3 != "$\r"
          ${AndIf} $3 != "$\n"
            ${Break}
          ${EndIf}
          IntOp $4 $4 + 1
        ${Loop}
      ${LoopUntil} $3 != ""
      FileClose $1
      ${If} $3 == ""
        Delete $0
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Section "un.Vexmoor screen saver" UnSecMain
  SectionIn RO
  SetRegView 64
  Call un.PutBackScreenSaver

  ; A saver running or previewed now keeps its file until the next start.
  !insertmacro SystemDirBegin
  Delete /REBOOTOK "$SYSDIR\vexmoor.scr"
  !insertmacro SystemDirEnd
  !insertmacro VexmoorRemoveMedia
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The maker's folder may hold another program's.
  RMDir "$WINDIR\Zelvora"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Your Vexmoor settings" UnSecSettings
  Push "$WINDIR\zelvora.ini"
  Call un.RemoveSettingsFile
  ; The file the saver keeps where the Windows directory cannot be written.
  SetShellVarContext current
  Push "$APPDATA\Zelvora\zelvora.ini"
  Call un.RemoveSettingsFile
  RMDir "$APPDATA\Zelvora"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecMain} "The saver, its media and its entry in the list of programs."
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} "The creatures, songs, sounds, speed, clock and message you chose. Left alone, they are there again when Vexmoor is installed again."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  SetRegView 64
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecSettings}
  ${EndIf}
FunctionEnd
