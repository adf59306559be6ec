#!/usr/bin/env bash
# font-substitutes.sh: in the Wine prefix $WINEPREFIX, maps the faces that the program's layouts
# name to the installed faces made to stand in for them (fonts-ipafont-*), proportional to
# proportional and fixed to fixed. Without it Wine falls back to a fixed-pitch face and text that
# fits on Windows overflows its control. The same names are also given to Wine as replacements,
# which it lists as faces of their own: the font dialog then finds the face it is opened on
# (instead of falling on the first face of its list, a vertical one). Safe to run again; quick when
# the map is in place.
# Expects the prefix's Wine server to be running (scripts/with-display.sh starts one).
set -u
prefix="${WINEPREFIX:?WINEPREFIX must name the prefix}"
# The registry files hold non-ASCII names escaped; an ASCII entry marks a map already made.
grep -qs '^"MS PGothic"="IPAPGothic"' "$prefix/system.reg" &&
  grep -qs '^"MS PGothic"="IPAPGothic"' "$prefix/user.reg" && exit 0

map='"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"ＭＳ Ｐ明朝"="IPAPMincho"
"ＭＳ 明朝"="IPAMincho"
"MS PGothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"MS PMincho"="IPAPMincho"
"MS Mincho"="IPAMincho"'
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
# regedit reads UTF-16 with a byte-order mark.
{ printf '\xff\xfe'; sed 's/$/\r/' <<REG | iconv -f UTF-8 -t UTF-16LE
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
$map

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
$map
REG
} > "$reg"
"$(dirname "$0")/wine-run.sh" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 </dev/null
