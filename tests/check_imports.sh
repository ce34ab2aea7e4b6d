#!/usr/bin/env bash
# Fails when a program we ship imports a DLL that Windows might take from elsewhere than its
# system folder: only Known DLLs of every Windows from 7 on may be imported (CMakeLists.txt
# says why); every other DLL is loaded at run time from the system folder. Fails too when it
# imports a loader function that Windows 7 without update KB2533623 lacks: the program would
# not start there.
#   check_imports.sh OBJDUMP PROGRAM.exe
set -euo pipefail
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|ole32|SHLWAPI|msvcrt)\.dll$'
dump=$("$1" -p "$2")
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
echo "$(basename "$2") imports: $(echo $imports)"
bad=$(echo "$imports" | grep -Eiv "$allowed" || true)
if [ -n "$bad" ]; then
  echo "not a Known DLL of every Windows the program runs on: $bad"
  exit 1
fi
late=$(grep -Eo '\b(SetDefaultDllDirectories|AddDllDirectory|RemoveDllDirectory)\b' <<<"$dump" | sort -u || true)
if [ -n "$late" ]; then
  echo "imports what Windows 7 without KB2533623 lacks (resolve it at run time): $late"
  exit 1
fi
