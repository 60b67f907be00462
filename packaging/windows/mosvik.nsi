; The Windows installer, mosvik-setup-<version>.exe (made by
; scripts/package-windows with makensis). It installs for the current user
; without administrator rights, into %LOCALAPPDATA%\Programs\Mosvik; run as
; administrator it also offers an install for everyone, with the saver in
; the Windows system folder. It takes the 64-bit or the 32-bit saver and
; pack tool to match the running Windows, may make Mosvik the user's screen
; saver (keeping the one before for the uninstaller), adds two Start-menu
; entries and registers an uninstaller that takes all of it away again.
; The installer itself is a 32-bit program (NSIS makes no other); on 64-bit
; Windows it turns the file system redirection off to reach the real
; System32. It does not follow later users of an all-users install: the
; saver it makes current is the installing user's only.
;
;   makensis -DVERSION=1.0.0 -DSTAGE=<folder with x86_64/ and i686/>
;            -DRESOURCES=<src/resources> -DOUTFILE=<setup.exe> mosvik.nsi
;
; Command line of the installer: /S (silent), /ALLUSERS (for everyone; needs
; an elevated administrator), /CURRENTUSER (the default).

Unicode true
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma
SetOverwrite on

!include MUI2.nsh
!include x64.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!ifndef VERSION | STAGE | RESOURCES | OUTFILE
  !error "define VERSION, STAGE, RESOURCES and OUTFILE (see scripts/package-windows)"
!endif

!define PUBLISHER "Korvel Software"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mosvik"
!define SAVERS_KEY "Software\Korvel Screen Savers"
; The saver's own settings live below this key too (...\mosvik\MOSVIK).
!define MOSVIK_KEY "${SAVERS_KEY}\mosvik"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3 ; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE

Name "Mosvik"
OutFile "${OUTFILE}"
BrandingText "Mosvik ${VERSION}"
InstallDir "$LOCALAPPDATA\Programs\Mosvik"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Mosvik"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Mosvik setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${RESOURCES}/mosvik.ico"
!define MUI_UNICON "${RESOURCES}/mosvik.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\mosvik-pack.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Make a Mosvik saver with my own picture"
!define MUI_FINISHPAGE_RUN_NOTCHECKED

Var IsAdmin   ; 1 when the installer runs elevated
Var AllUsers  ; 1: for everyone (system folder, HKLM); 0: this user
Var RadioAll
Var SaverPath ; the saver the Screen Saver list is to find

Page custom ScopePage ScopePageLeave
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; --- scope -------------------------------------------------------------------

!macro UseScope un
Function ${un}UseCurrentUser
  SetShellVarContext current
  StrCpy $AllUsers 0
  StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Mosvik"
  StrCpy $SaverPath "$INSTDIR\mosvik.scr"
FunctionEnd

Function ${un}UseAllUsers
  SetShellVarContext all
  StrCpy $AllUsers 1
  ${If} ${RunningX64}
    StrCpy $INSTDIR "$PROGRAMFILES64\Mosvik"
  ${Else}
    StrCpy $INSTDIR "$PROGRAMFILES\Mosvik"
  ${EndIf}
  ; GetSystemDirectory names System32 even in a 32-bit process; the saver
  ; copied there with the redirection off is the 64-bit one on 64-bit
  ; Windows, which the 64-bit Screen Saver list finds.
  StrCpy $SaverPath "$SYSDIR\mosvik.scr"
FunctionEnd

Function ${un}CheckAdmin
  StrCpy $IsAdmin 0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $IsAdmin 1
  ${EndIf}
FunctionEnd
!macroend
!insertmacro UseScope ""
!insertmacro UseScope "un."

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  Call CheckAdmin
  Call UseCurrentUser
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    ${If} $IsAdmin != 1
      MessageBox MB_ICONSTOP "An install for everyone needs an administrator: run the setup as administrator." /SD IDOK
      SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
    Call UseAllUsers
  ${EndIf}
FunctionEnd

Function ScopePage
  ${If} $IsAdmin != 1
    Abort ; nothing to choose: this user only
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Who uses Mosvik" "Install Mosvik for you alone or for everyone on this computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 36u "For everyone, the saver goes into the Windows system folder, where the Screen Saver list of every user finds it, and the pack tool into the Program Files folder."
  Pop $0
  ${NSD_CreateRadioButton} 0 44u 100% 12u "Just for &me"
  Pop $1
  ${NSD_CreateRadioButton} 0 60u 100% 12u "For &everyone on this computer"
  Pop $RadioAll
  ${If} $AllUsers == 1
    ${NSD_Check} $RadioAll
  ${Else}
    ${NSD_Check} $1
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ScopePageLeave
  ${NSD_GetState} $RadioAll $0
  ${If} $0 == ${BST_CHECKED}
    Call UseAllUsers
  ${Else}
    Call UseCurrentUser
  ${EndIf}
FunctionEnd

; --- install ------------------------------------------------------------------

Section "Mosvik (saver and pack tool)" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "/oname=mosvik.scr" "${STAGE}/x86_64/mosvik.scr"
    File "/oname=mosvik-pack.exe" "${STAGE}/x86_64/mosvik-pack.exe"
  ${Else}
    File "/oname=mosvik.scr" "${STAGE}/i686/mosvik.scr"
    File "/oname=mosvik-pack.exe" "${STAGE}/i686/mosvik-pack.exe"
  ${EndIf}
  ${If} $AllUsers == 1
    ${DisableX64FSRedirection}
    CopyFiles /SILENT "$INSTDIR\mosvik.scr" "$SaverPath"
    ${EnableX64FSRedirection}
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The folder's own saver, also for everyone: a 32-bit process's link to
  ; System32 would be redirected. Both copies keep the same setting.
  CreateShortcut "$SMPROGRAMS\Mosvik settings.lnk" "$INSTDIR\mosvik.scr" "/c" "$INSTDIR\mosvik.scr" 0
  CreateShortcut "$SMPROGRAMS\Make a Mosvik saver.lnk" "$INSTDIR\mosvik-pack.exe"

  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "Mosvik"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\mosvik.scr,0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "Make Mosvik my screen saver" SecChoose
  ; The saver chosen before is kept once, for the uninstaller: a second
  ; install (or the pack tool, which keeps it the same way) leaves it.
  ClearErrors
  ReadRegStr $0 HKCU "${MOSVIK_KEY}" "PreviousScreenSaver"
  ${If} ${Errors}
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    WriteRegStr HKCU "${MOSVIK_KEY}" "PreviousScreenSaver" $0
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    WriteRegStr HKCU "${MOSVIK_KEY}" "PreviousScreenSaveActive" $0
  ${EndIf}
  ; The short path, as the Screen Saver settings write it themselves.
  ${DisableX64FSRedirection}
  GetFullPathName /SHORT $0 "$SaverPath"
  ${EnableX64FSRedirection}
  ${If} $0 == ""
    StrCpy $0 "$SaverPath"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0
  System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
SectionEnd

; --- uninstall ----------------------------------------------------------------

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  Call un.CheckAdmin
  ; The install this uninstaller belongs to: this user's, or everyone's.
  ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    Call un.UseCurrentUser
  ${Else}
    Call un.UseAllUsers
    ${If} $IsAdmin != 1
      MessageBox MB_ICONSTOP "Mosvik was installed for everyone: run its uninstaller as administrator." /SD IDOK
      SetErrorLevel 740
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; un.IsOurs PATH: $R9 = 1 when PATH (short or long) names a saver of this
; install (one in its folder, made there by the pack tool too, or the copy
; in the system folder).
Function un.IsOurs
  Exch $R0
  StrCpy $R9 0
  ${If} $R0 != ""
    ${DisableX64FSRedirection}
    System::Call "kernel32::GetLongPathNameW(w R0, w .R1, i ${NSIS_MAX_STRLEN}) i .R2"
    ${EnableX64FSRedirection}
    ${If} $R2 == 0
      StrCpy $R1 $R0
    ${EndIf}
    ${GetParent} $R1 $R2
    ${If} $R2 == $INSTDIR
    ${OrIf} $R1 == $SaverPath
      StrCpy $R9 1
    ${EndIf}
  ${EndIf}
  Pop $R0
FunctionEnd

Section "Uninstall"
  ; The previous screen saver comes back while a saver of this install is
  ; still the chosen one; a saver chosen since is left as it is.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Push $0
  Call un.IsOurs
  ; An empty value kept stands for one that was not there.
  ${If} $R9 == 1
    ReadRegStr $1 HKCU "${MOSVIK_KEY}" "PreviousScreenSaver"
    ${If} $1 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $1
    ${EndIf}
    ReadRegStr $1 HKCU "${MOSVIK_KEY}" "PreviousScreenSaveActive"
    StrCpy $2 $1
    ${If} $2 == ""
      StrCpy $2 1
    ${EndIf}
    System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i $2, p 0, i ${SPIF_UPDATE_AND_SEND})"
    ${If} $1 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $1
    ${EndIf}
  ${EndIf}

  ; Every saver in the folder (the pack tool may have made some) with its
  ; settings key, then the folder.
  FindFirst $2 $3 "$INSTDIR\*.scr"
  ${DoWhile} $3 != ""
    ${GetBaseName} $3 $4
    DeleteRegKey HKCU "${SAVERS_KEY}\$4"
    Delete "$INSTDIR\$3"
    FindNext $2 $3
  ${Loop}
  FindClose $2
  Delete "$INSTDIR\mosvik-pack.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ${If} $AllUsers == 1
    ${DisableX64FSRedirection}
    Delete "$SaverPath"
    ${EnableX64FSRedirection}
  ${EndIf}

  Delete "$SMPROGRAMS\Mosvik settings.lnk"
  Delete "$SMPROGRAMS\Make a Mosvik saver.lnk"
  DeleteRegKey HKCU "${MOSVIK_KEY}"
  DeleteRegKey /ifempty HKCU "${SAVERS_KEY}"
  DeleteRegKey SHCTX "${UNINST_KEY}"
SectionEnd
