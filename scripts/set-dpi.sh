#!/usr/bin/env bash
# set-dpi.sh DPI [PREFIX]: the screen density the next Wine programs of the prefix start with
# (HKCU\Control Panel\Desktop, LogPixels). The prefix's server is ended first, so that it cannot
# write its own copy of the registry over the edit; the next with-display.sh starts a fresh one.
# `set-dpi.sh 96` puts the usual density back.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
dpi=$1
prefix=${2:-$here/build/wineprefix}
[ -f "$prefix/user.reg" ] || { echo "set-dpi: no prefix at $prefix" >&2; exit 1; }
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
WINEPREFIX=$prefix /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
hex=$(printf '%08x' "$dpi")
reg=$prefix/user.reg
# Drop any LogPixels of the Desktop key, then write ours as its first value.
sed -i '/^\[Control Panel\\\\Desktop\]/,/^$/{/^"LogPixels"=/d}' "$reg"
sed -i "/^\[Control Panel\\\\\\\\Desktop\]/{n;a \"LogPixels\"=dword:$hex
}" "$reg"
echo "set-dpi: $dpi dpi for $prefix"
