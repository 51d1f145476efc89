#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that Windows does not have of
# its own. Wine carries stand-ins for many such DLLs (zlib1.dll among them),
# so a program that needs one still runs under Wine and fails only on a
# real Windows; the zip ships no DLL. Pads (XInput) are loaded when the
# game runs, not imported.
#
#   tests/win/imports.sh PROGRAM.exe...
set -euo pipefail
# Windows' own DLLs that the programs may import: the system's, and the C
# runtime every Windows carries. Lower case.
own="kernel32.dll user32.dll gdi32.dll winmm.dll msvcrt.dll advapi32.dll shell32.dll
ole32.dll"
status=0
for exe in "$@"; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' |
        tr 'A-Z' 'a-z')
    [ -n "$dlls" ] || { echo "imports.sh: $exe imports no DLL at all (not a program?)" >&2; status=1; }
    for dll in $dlls; do
        case " $(echo $own) " in
        *" $dll "*) ;;
        *)
            echo "imports.sh: $exe imports $dll, which Windows does not have" >&2
            status=1
            ;;
        esac
    done
    echo "$exe: $(echo $dlls)"
done
exit $status
