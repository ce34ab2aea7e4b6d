#!/usr/bin/env bash
# Fails when a program we ship imports a DLL that Windows itself does not provide.
#   check_imports.sh OBJDUMP PROGRAM.exe
set -euo pipefail
allowed='^(KERNEL32|USER32|GDI32|gdiplus|ole32|SHELL32|SHLWAPI|ADVAPI32|urlmon|WININET|msvcrt|COMCTL32)\.dll$'
imports=$("$1" -p "$2" | sed -n 's/^\s*DLL Name: //p')
echo "$(basename "$2") imports: $(echo $imports)"
bad=$(echo "$imports" | grep -Eiv "$allowed" || true)
if [ -n "$bad" ]; then
  echo "not a Windows system DLL: $bad"
  exit 1
fi
