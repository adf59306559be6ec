#!/usr/bin/env bash
# Fails when a function of ours carries the name of a Win32 function that <windows.h> turns into
# an A/W macro: such a member is silently renamed (MessageBox becomes MessageBoxA), and a call to
# the system function inside it can find the member instead and recurse.
# Usage: win32_names.sh LIBRARY_OR_OBJECT...
set -euo pipefail
cxx=x86_64-w64-mingw32-g++-posix
nm=x86_64-w64-mingw32-nm

# Every name the headers map to an A or W form.
macros=$(printf '#include <windows.h>\n#include <commctrl.h>\n#include <commdlg.h>\n#include <shellapi.h>\n#include <shlobj.h>\n#include <wincodec.h>\n' |
  "$cxx" -x c++ -dM -E - 2>/dev/null |
  sed -nE 's/^#define ([A-Za-z_][A-Za-z0-9_]*) (\1[AW]|__MINGW_NAME_AW\(\1\))$/\1/p' | sort -u)
[ "$(wc -l <<<"$macros")" -gt 500 ] || { echo "could not read the headers' macros"; exit 1; }

# Our own functions: demangled definitions inside a class or namespace, reduced to their last name.
ours=$("$nm" -C --defined-only "$@" 2>/dev/null |
  sed -nE 's/^[0-9a-f]+ [TtWw] (.*)$/\1/p' | grep '::' | grep -v '^std::\|^__gnu\|^testing::' |
  sed -E 's/\(.*$//' | sed -E 's/.*:://' | sort -u)

bad=$(grep -xE '[A-Za-z_][A-Za-z0-9_]*[AW]' <<<"$ours" | while read -r name; do
  grep -qx "${name%?}" <<<"$macros" && echo "$name"
done || true)
if [ -n "$bad" ]; then
  echo "Functions of ours named after a Win32 A/W macro (rename them; call the system as ::NameA):"
  echo "$bad"
  exit 1
fi
echo "checked $(wc -l <<<"$ours") names of ours against $(wc -l <<<"$macros") A/W macros: none clash"
