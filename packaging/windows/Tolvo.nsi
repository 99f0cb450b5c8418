; Tolvo's 64-bit Windows installer. scripts/package makes it with Debian's
; makensis and passes the definitions below (-D...):
;   VERSION, MAKER, URL          from the CMake project
;   VST3_BUNDLE                  the Tolvo.vst3 folder of the Windows build
;   AAX_LIBRARY                  the AAX library (Tolvo.aaxdll)
;   RENDER_EXE                   tolvo-render.exe
;   LICENSE_FILE                 the GPL-3 text, shown and installed
;   NOTICES_FILE                 the third-party notices, installed
;   OUTFILE                      the installer to write
; /S installs (and the uninstaller uninstalls) without asking; /AAX selects the
; AAX plug-in, which is not selected otherwise; /D=DIR, last on the command
; line, sets the folder for tolvo-render.exe and the licence files.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include x64.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvo"
; Where Windows hosts look: Steinberg's fixed VST3 folder and Avid's plug-in
; folder, whose bundles hold the library under Contents\x64 with the bundle's
; own name.
!define VST3_DIR "$COMMONFILES64\VST3\Tolvo.vst3"
!define AAX_DIR "$COMMONFILES64\Avid\Audio\Plug-Ins\Tolvo.aaxplugin"

Name "Tolvo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tolvo"
BrandingText "${MAKER} Tolvo ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Tolvo"
VIAddVersionKey /LANG=0 "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=0 "FileDescription" "Tolvo ${VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${MAKER}"

!define MUI_LICENSEPAGE_TEXT_TOP "Tolvo is free software under the GNU General Public License, version 3 or later."
!define MUI_LICENSEPAGE_TEXT_BOTTOM "It may be used for any purpose. Passing it on, changed or not, is allowed under the terms above; the notices of the libraries it holds are installed beside tolvo-render.exe."
!define MUI_LICENSEPAGE_BUTTON "&Next >"
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_DIRECTORYPAGE_TEXT_TOP "tolvo-render.exe, the command-line renderer, and the uninstaller go into this folder. The plug-ins go where hosts look for them."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function un.onInit
    SetRegView 64
FunctionEnd

Section "VST3 plug-in" SecVst3
    ; A whole new bundle, so nothing of an older version stays inside.
    RMDir /r "${VST3_DIR}"
    SetOutPath "${VST3_DIR}"
    File /r "${VST3_BUNDLE}/*"
SectionEnd

; Built against the stand-in SDK layer: AAX hosts load only a build made with
; the vendor's SDK and signed, so it is there for testing and not chosen.
Section /o "AAX plug-in (test build)" SecAax
    RMDir /r "${AAX_DIR}"
    SetOutPath "${AAX_DIR}\Contents\x64"
    File "/oname=Tolvo.aaxplugin" "${AAX_LIBRARY}"
SectionEnd

Section "tolvo-render (command line)" SecRender
    SetOutPath "$INSTDIR"
    File "${RENDER_EXE}"
SectionEnd

; Always: the licence and notices, the uninstaller, and its entry under
; installed programs.
Section "-Uninstaller"
    SetOutPath "$INSTDIR"
    File "/oname=LICENSE.txt" "${LICENSE_FILE}"
    File "/oname=THIRD-PARTY-NOTICES.txt" "${NOTICES_FILE}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tolvo"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${URL}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

    ; The size shown beside the entry, in KB, of what this run installed.
    StrCpy $0 0
    ${ForEach} $1 ${SecVst3} ${SecRender} + 1
        ${If} ${SectionIsSelected} $1
            SectionGetSize $1 $2
            IntOp $0 $0 + $2
        ${EndIf}
    ${Next}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; After the sections, whose numbers it uses.
Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "Tolvo needs 64-bit Windows." /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AAX" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecAax}
    ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecVst3} "The VST3 plug-in, for VST3 hosts."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecAax} "A test build of the AAX plug-in, made against a stand-in for the vendor's SDK. AAX hosts such as Pro Tools load only plug-ins built with the vendor's SDK and signed, so they will not load this one."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecRender} "tolvo-render.exe, which runs audio files through the limiter from the command line."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
    RMDir /r "${VST3_DIR}"
    RMDir /r "${AAX_DIR}"
    ; The shared folders only if nothing else is in them.
    RMDir "$COMMONFILES64\VST3"
    RMDir "$COMMONFILES64\Avid\Audio\Plug-Ins"
    RMDir "$COMMONFILES64\Avid\Audio"
    RMDir "$COMMONFILES64\Avid"
    Delete "$INSTDIR\tolvo-render.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
