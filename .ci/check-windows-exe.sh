#!/usr/bin/env bash
# Checks the cross-built dustpan.exe: a 64-bit console program that imports each Windows call the
# platform layer makes from the DLL that owns it, and links the msvcrt runtime.
set -euo pipefail
exe=${1:?usage: check-windows-exe.sh dustpan.exe}

fail() { echo "windows check: $*" >&2; exit 1; }

kind=$(file "$exe")
grep -q 'PE32+ executable (console) x86-64' <<<"$kind" || fail "not a PE32+ x86-64 console program: $kind"

imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '
  /DLL Name:/ { dll = toupper($3); next }
  dll != "" && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }')

expect() {  # DLL function
  grep -qx "$1 $2" <<<"$imports" || fail "$2 is not imported from $1"
}
expect SHELL32.DLL SHEmptyRecycleBinW
expect SHELL32.DLL SHFileOperationW
expect USER32.DLL IsWindow
expect KERNEL32.DLL CreateFileW
expect KERNEL32.DLL GetFileSizeEx
expect KERNEL32.DLL ReadFile
expect KERNEL32.DLL CloseHandle
expect KERNEL32.DLL MultiByteToWideChar
expect MSVCRT.DLL _wcstoui64
grep -q '^MSVCRT.DLL ' <<<"$imports" || fail "msvcrt.dll is not linked"
if grep -qi '^API-MS-WIN-CRT\|^UCRTBASE' <<<"$imports"; then fail "linked against the UCRT, not msvcrt"; fi
# Statically linked: nothing from the toolchain's own DLLs.
if grep -qiE '^(LIBSTDC\+\+|LIBGCC|LIBWINPTHREAD)' <<<"$imports"; then fail "depends on a toolchain DLL"; fi
echo "windows check: $exe is a static x86-64 console program with every expected import"
