; The NSIS installer that does the whole job Setup.exe -d does for a benchmark product packed with
; bench/appConfig.xml, run silently (/S /D=<folder>):
;   - the files where Setup.exe puts them: the product below QVX\Norvane\Norvane<version>\, the
;     uninstall program in the company folder QVX\, and the company-folder copies of the client,
;     Updrift.exe and Commonry.dll;
;   - the two Start-menu links for all users, QVX\Brenmoor and QVX\Uninstall Norvane, with the
;     same targets, arguments and icons;
;   - the Uninstall entry Norvane_new with the values Setup.exe writes (see README, Deploying),
;     in the same 32-bit view;
;   - a small settings file with the one product setting, QVX\Norvane\AppData\AppInfo.xml.
; makensis -DPRODUCT=<folder> -DVERSION=<version> -DOUTFILE=<exe> whole-job.nsi
; zlib, one stream per file, as the files-only installer of product.nsi.
!include FileFunc.nsh

SetCompressor zlib

Name "Norvane benchmark"
OutFile "${OUTFILE}"
InstallDir "C:\Apps"
RequestExecutionLevel admin

!define COMPANY "$INSTDIR\QVX"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Norvane_new"
; The uninstall program's arguments as the shortcut step builds them: the folder above the company
; folder, the settings file's name, company, application, and whether it asks ("FALSE": it does).
!define UNINSTALL_ARGS '"$INSTDIR" "AppInfo.xml" "QVX" "Norvane"'

Section "Product" SecProduct
  SetOutPath "${COMPANY}\Norvane\Norvane${VERSION}"
  File /r /x unwindle.exe "${PRODUCT}\*"
  SetOutPath "${COMPANY}"
  File "${PRODUCT}\unwindle.exe"
  File /oname=quorvin.exe "${PRODUCT}\Quorvin.exe"
  File /oname=updrift.exe "${PRODUCT}\Updrift.exe"
  File /oname=commonry.dll "${PRODUCT}\Commonry.dll"

  CreateDirectory "${COMPANY}\Norvane\AppData"
  FileOpen $0 "${COMPANY}\Norvane\AppData\AppInfo.xml" w
  FileWrite $0 '<?xml version="1.0" encoding="utf-8"?>$\r$\n'
  FileWrite $0 '<appConfig><regInfo><SOFTWARE><QVX><QUORVIN>$\r$\n'
  FileWrite $0 '<HostList>HOST1 HOST2 HOST3</HostList>$\r$\n'
  FileWrite $0 '</QUORVIN></QVX></SOFTWARE></regInfo></appConfig>$\r$\n'
  FileClose $0

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\QVX"
  CreateShortCut "$SMPROGRAMS\QVX\Brenmoor.lnk" "${COMPANY}\quorvin.exe" \
    "BrenmoorEHR\Webvane.exe" "${COMPANY}\quorvin.exe" 4
  CreateShortCut "$SMPROGRAMS\QVX\Uninstall Norvane.lnk" "${COMPANY}\unwindle.exe" \
    '${UNINSTALL_ARGS} "FALSE"' "${COMPANY}\unwindle.exe" 0

  ${GetTime} "" "L" $1 $2 $3 $4 $5 $6 $7
  SectionGetSize ${SecProduct} $8
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Norvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"${COMPANY}\unwindle.exe" ${UNINSTALL_ARGS} "FALSE"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${COMPANY}\unwindle.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "QVX"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "${COMPANY}\"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallDate" "$3$2$1"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $8
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"${COMPANY}\unwindle.exe" ${UNINSTALL_ARGS} "TRUE"'
SectionEnd
