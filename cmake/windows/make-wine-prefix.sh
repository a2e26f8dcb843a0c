#!/bin/sh
# Makes (or refreshes) the Wine prefix of a Windows build: the test machine.
#   make-wine-prefix.sh WINE_RUN PREFIX WINBIO_DLL LOCALE_DIR [REG_FILE...]
# - a new prefix (wineboot, about 10 s the first time);
# - the simulated machine's winbio.dll in the system folder, where the module
#   looks for the Windows Biometric Framework (Wine has none);
# - the registry staging (devices, driver keys, DPI, colours), if any;
# - a German UTF-8 locale for glibc in LOCALE_DIR (LOCPATH), since Wine
#   takes the user-interface language from the Unix locale.
set -eu
run=$1 prefix=$2 winbio=$3 locales=$4
shift 4
if [ ! -f "$prefix/system.reg" ]; then
  echo "creating the Wine prefix $prefix"
  FP_WINEPREFIX=$prefix "$run" wineboot --init >/dev/null 2>&1
fi
system32="$prefix/drive_c/windows/system32"
[ -d "$system32" ] || { echo "make-wine-prefix: no system folder in $prefix" >&2; exit 1; }
cp "$winbio" "$system32/winbio.dll"
# reg import wants Windows paths; the Unix root is drive Z:.
for reg in "$@"; do
  FP_WINEPREFIX=$prefix "$run" reg import "Z:$(realpath "$reg")" >/dev/null 2>&1 ||
    { echo "make-wine-prefix: reg import of $reg failed" >&2; exit 1; }
done
# Wine's server holds the system colours it read at its start, and its desktop
# the display it found then: let it end, so that the next program starts one
# that reads the staged values and uses that program's display.
FP_WINEPREFIX=$prefix "$run" --server -w
if [ ! -d "$locales/de_DE.UTF-8" ]; then
  mkdir -p "$locales"
  localedef -i de_DE -f UTF-8 "$locales/de_DE.UTF-8" 2>/dev/null || true
  [ -d "$locales/de_DE.UTF-8" ] || { echo "make-wine-prefix: localedef de_DE.UTF-8 failed (package locales)" >&2; exit 1; }
fi
echo "Wine prefix ready: $prefix"
