; The benchmark's payload as an NSIS 3 installer: the same files, stored
; without compression, installed silently into the folder given with /D=.
; makensis -DSOURCE=<folder of pay*.dat> -DOUTFILE=<installer> payload.nsi
Unicode true
Target amd64-unicode
SetCompressor zlib
SetCompress off
RequestExecutionLevel admin
SilentInstall silent
Name "Benchmark payload"
OutFile "${OUTFILE}"
InstallDir "C:\nsis-payload"

Section
  SetOutPath "$INSTDIR"
  File "${SOURCE}/pay*.dat"
SectionEnd
