; VomraCube-Setup-<version>.exe: installs the saver and the maker for the current user,
; without administrator rights, under the user's local programs folder. Built by the win
; tree's `installer` target (installer/CMakeLists.txt), which passes
;   VERSION  the project's version (x.y.z)     OUTFILE  the installer to write
;   SAVER, MAKER, README                        the files to install
;
; Everything it writes, the uninstaller removes:
;   files    $INSTDIR\{VomraCube.scr, VomraCubeMaker.exe, README.txt, Uninstall.exe},
;            the Start-menu entry, and the savers the maker's Install copied into
;            $LOCALAPPDATA\VomraCube\Savers
;   registry HKCU\Software\VomraCube (the maker's registration, which the About box reads:
;            src/app/MakerLaunch.h), HKCU\...\Uninstall\VomraCube, and, when VomraCube was
;            made the screen saver, SCRNSAVE.EXE and ScreenSaveActive put back as they were
;            (or removed when there were none) unless another saver was chosen since.

Unicode true
SetCompressor /SOLID lzma
; No file times in the installer: the same build gives the same bytes whenever it is made.
SetDateSave off
RequestExecutionLevel user

!define PRODUCT "VomraCube"
!define OWN_KEY "Software\VomraCube"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VomraCube"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SAVERS "$LOCALAPPDATA\VomraCube\Savers"
!define SHORTCUT "$SMPROGRAMS\VomraCube Maker.lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\VomraCube"
InstallDirRegKey HKCU "${OWN_KEY}" "InstallDir"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "Vomra"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Vomra"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\VomraCubeMaker.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start VomraCube Maker"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "VomraCube screen saver and Maker" SecMain
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=VomraCube.scr" "${SAVER}"
  File "/oname=VomraCubeMaker.exe" "${MAKER}"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${OWN_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${OWN_KEY}" "Maker" "$INSTDIR\VomraCubeMaker.exe"
  WriteRegStr HKCU "${OWN_KEY}" "Version" "${VERSION}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Vomra"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VomraCubeMaker.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Start-menu entry for VomraCube Maker" SecShortcut
  SetShellVarContext current
  CreateShortCut "${SHORTCUT}" "$INSTDIR\VomraCubeMaker.exe"
SectionEnd

; What the screen saver setting was is kept, once, so that the uninstaller can put it back.
Section "Make VomraCube the screen saver" SecSaver
  ReadRegStr $0 HKCU "${OWN_KEY}" "SaverWasSet"
  ${If} $0 == ""
    ClearErrors
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} ${Errors}
      WriteRegStr HKCU "${OWN_KEY}" "SaverWasSet" "no"
    ${Else}
      WriteRegStr HKCU "${OWN_KEY}" "SaverWasSet" "yes"
      WriteRegStr HKCU "${OWN_KEY}" "PreviousSaver" "$1"
    ${EndIf}
    ClearErrors
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${IfNot} ${Errors}
      WriteRegStr HKCU "${OWN_KEY}" "PreviousActive" "$1"
    ${EndIf}
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\VomraCube.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ; Tells the running programs, as the system parameter does.
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:${DESKTOP_KEY}" /TIMEOUT=1000
SectionEnd

; The screen saver setting goes back to what it was only while it still names one of
; VomraCube's savers: a saver chosen since stays.
Function un.RestoreScreenSaver
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  StrLen $2 "$INSTDIR\"
  StrCpy $1 $0 $2
  StrLen $4 "${SAVERS}\"
  StrCpy $3 $0 $4
  ${If} $1 != "$INSTDIR\"
  ${AndIf} $3 != "${SAVERS}\"
    Return
  ${EndIf}
  ReadRegStr $1 HKCU "${OWN_KEY}" "SaverWasSet"
  ${If} $1 == "yes"
    ReadRegStr $1 HKCU "${OWN_KEY}" "PreviousSaver"
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$1"
  ${Else}
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
  ClearErrors
  ReadRegStr $1 HKCU "${OWN_KEY}" "PreviousActive"
  ${If} ${Errors}
    DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
  ${Else}
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "$1"
  ${EndIf}
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:${DESKTOP_KEY}" /TIMEOUT=1000
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.RestoreScreenSaver
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\VomraCube.scr"
  Delete "$INSTDIR\VomraCubeMaker.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: the folder may be one the user chose, holding files of their own.
  RMDir "$INSTDIR"
  Delete "${SAVERS}\*.scr"
  Delete "${SAVERS}\*.scr.part"
  RMDir "${SAVERS}"
  RMDir "$LOCALAPPDATA\VomraCube"
  DeleteRegKey HKCU "${OWN_KEY}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
