; The Windows installer (makensis, run by scripts/windows), in Portuguese: the programs in
; Program Files, a Start menu entry, the command line on the user's PATH, an uninstaller.
; Defines: VERSAO, ORIGEM (the folder the zip holds), ICONE, SAIDA.
; A 64-bit installer, as the programs are.
Target amd64-unicode
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "StrFunc.nsh"
!include "WinMessages.nsh"
${StrStr}
${UnStrRep}

!define CHAVE "Software\Microsoft\Windows\CurrentVersion\Uninstall\ImportaNorvo"

Name "ImportaNorvo ${VERSAO}"
OutFile "${SAIDA}"
InstallDir "$PROGRAMFILES64\ImportaNorvo"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define MUI_ICON "${ICONE}"
!define MUI_UNICON "${ICONE}"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "PortugueseBR"

Function .onInit
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "ImportaNorvo"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${ORIGEM}/*"
    WriteUninstaller "$INSTDIR\desinstalar.exe"
    CreateShortCut "$SMPROGRAMS\ImportaNorvo.lnk" "$INSTDIR\importa-norvo.exe" "" "$INSTDIR\importa-norvo.exe" 0
    WriteRegStr HKLM "${CHAVE}" "DisplayName" "ImportaNorvo"
    WriteRegStr HKLM "${CHAVE}" "DisplayVersion" "${VERSAO}"
    WriteRegStr HKLM "${CHAVE}" "DisplayIcon" "$INSTDIR\importa-norvo.exe"
    WriteRegStr HKLM "${CHAVE}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${CHAVE}" "UninstallString" '"$INSTDIR\desinstalar.exe"'
    WriteRegStr HKLM "${CHAVE}" "QuietUninstallString" '"$INSTDIR\desinstalar.exe" /S'
    WriteRegDWORD HKLM "${CHAVE}" "NoModify" 1
    WriteRegDWORD HKLM "${CHAVE}" "NoRepair" 1
    ; importa-norvo-cli from any new console: the folder on the user's PATH, once.
    ReadRegStr $0 HKCU "Environment" "Path"
    ${StrStr} $1 "$0" "$INSTDIR"
    ${If} $1 == ""
        ${If} $0 == ""
            WriteRegExpandStr HKCU "Environment" "Path" "$INSTDIR"
        ${Else}
            WriteRegExpandStr HKCU "Environment" "Path" "$0;$INSTDIR"
        ${EndIf}
        SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\ImportaNorvo.lnk"
    ; Only what the installer put there: a folder the technician chose may hold other things.
    Delete "$INSTDIR\*.exe"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\LEIA-ME.txt"
    RMDir /r "$INSTDIR\platforms"
    RMDir /r "$INSTDIR\styles"
    RMDir /r "$INSTDIR\translations"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${CHAVE}"
    ReadRegStr $0 HKCU "Environment" "Path"
    ${UnStrRep} $1 "$0" ";$INSTDIR" ""
    ${UnStrRep} $1 "$1" "$INSTDIR" ""
    WriteRegExpandStr HKCU "Environment" "Path" "$1"
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
SectionEnd
