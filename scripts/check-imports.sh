#!/usr/bin/env bash
# Fails when an executable imports anything but system DLLs (the runtime must be static).
set -u
status=0
for exe in "$@"; do
  case "$exe" in *win32*) dump=i686-w64-mingw32-objdump ;; *) dump=x86_64-w64-mingw32-objdump ;; esac
  dlls=$($dump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  for d in $dlls; do
    case "$d" in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|ole32.dll|oleaut32.dll|shell32.dll|advapi32.dll|shlwapi.dll|msvcrt.dll|api-ms-win-*) ;;
      *) echo "check-imports: $exe imports $d" >&2; status=1 ;;
    esac
  done
done
exit $status
