; The installer of the X-Tamber's Windows software: the mixer and the control
; panel under Program Files (64-bit), a Start-menu entry for each, the .kmx
; settings-file association and an uninstaller listed under Add/Remove
; Programs. CMake runs makensis with DEFINES naming a generated file that
; defines the product's identity (from the one version in CMake), the two
; programs' built files and OUTFILE.
;
; The uninstaller removes exactly what the installer wrote: the three files,
; the shortcuts, the registry keys, and folders only when they are empty. The
; user's own files (settings files, the support logs) stay.

Unicode true
Target amd64-unicode
!include "${DEFINES}"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvaneXTamber"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT_NAME}"
!define KMX_CLASS "Korvane.VelmoraSettings"
; The installed files: written by the installer, deleted by the uninstaller.
!define MIXER "velmora_app.exe"
!define PANEL "qdl_cpl.exe"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${MAKER}\X-Tamber"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
BrandingText "${PRODUCT_NAME} ${PRODUCT_VERSION}"
!ifdef ICON
  Icon "${ICON}"
  UninstallIcon "${ICON}"
!endif
ShowUninstDetails show

VIProductVersion "${PRODUCT_VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey "FileVersion" "${PRODUCT_VERSION}"
VIAddVersionKey "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${COPYRIGHT_YEAR} ${MAKER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "/oname=${MIXER}" "${MIXER_EXE}"
  File "/oname=${PANEL}" "${PANEL_EXE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Korvane Velmora.lnk" "$INSTDIR\${MIXER}"
  CreateShortcut "${MENU_FOLDER}\Korvane FireWire Control Panel.lnk" "$INSTDIR\${PANEL}"

  ; Opening a settings file starts the mixer with the file's path in quotes
  ; (a path may hold spaces); the mixer takes off that one pair. Another
  ; program's claim on .kmx is kept, to be given back on uninstalling.
  ReadRegStr $0 HKLM "Software\Classes\.kmx" ""
  ${If} $0 != ""
  ${AndIf} $0 != "${KMX_CLASS}"
    WriteRegStr HKLM "${UNINST_KEY}" "PreviousKmxClass" "$0"
  ${EndIf}
  WriteRegStr HKLM "Software\Classes\.kmx" "" "${KMX_CLASS}"
  WriteRegStr HKLM "Software\Classes\${KMX_CLASS}" "" "Velmora Mixer Settings"
  WriteRegStr HKLM "Software\Classes\${KMX_CLASS}\DefaultIcon" "" '"$INSTDIR\${MIXER}",0'
  WriteRegStr HKLM "Software\Classes\${KMX_CLASS}\shell\open\command" "" '"$INSTDIR\${MIXER}" "%1"'

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" '"$INSTDIR\${MIXER}",0'
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMajor" ${PRODUCT_VERSION_MAJOR}
  WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMinor" ${PRODUCT_VERSION_MINOR}
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0

  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'  ; SHCNE_ASSOCCHANGED
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\${MIXER}"
  Delete "$INSTDIR\${PANEL}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: a file the user put there stays, and so does its folder.
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."

  Delete "${MENU_FOLDER}\Korvane Velmora.lnk"
  Delete "${MENU_FOLDER}\Korvane FireWire Control Panel.lnk"
  RMDir "${MENU_FOLDER}"

  ; .kmx is ours only while it still names our class.
  ReadRegStr $0 HKLM "Software\Classes\.kmx" ""
  ${If} $0 == "${KMX_CLASS}"
    ReadRegStr $1 HKLM "${UNINST_KEY}" "PreviousKmxClass"
    ${If} $1 != ""
      WriteRegStr HKLM "Software\Classes\.kmx" "" "$1"
    ${Else}
      DeleteRegValue HKLM "Software\Classes\.kmx" ""
      DeleteRegKey /ifempty HKLM "Software\Classes\.kmx"
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKLM "Software\Classes\${KMX_CLASS}"
  DeleteRegKey HKLM "${UNINST_KEY}"

  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'  ; SHCNE_ASSOCCHANGED
SectionEnd
