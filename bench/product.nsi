; The files-only NSIS installer of a benchmark product: the same files, written below /D=... by a silent
; run (/S). makensis -DPRODUCT=<folder> -DOUTFILE=<exe> [-DSOLID] product.nsi
; zlib as the compressor, one stream per file, or one stream for all of them with -DSOLID.
; Everything else is left at NSIS's defaults (ANSI, the CRC check of the installer at start).
!ifdef SOLID
SetCompressor /SOLID zlib
!else
SetCompressor zlib
!endif

Name "Norvane benchmark"
OutFile "${OUTFILE}"
InstallDir "C:\Apps\NSIS"
RequestExecutionLevel user

Section
  SetOutPath "$INSTDIR"
  File /r "${PRODUCT}/*"
SectionEnd
