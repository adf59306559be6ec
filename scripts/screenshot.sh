#!/usr/bin/env bash
# screenshot.sh BUILD_DIR OUTPUT.png [DPI]: the editor holding a picture with a line and a text
# label, as a user sees it, taken from the display the caller set up (scripts/with-display.sh).
# With DPI, the program runs on a screen of that density (the usual one is put back afterwards).
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
build=$1 out=$2 dpi=${3:-}
work=$(mktemp -d)
desktop='HKCU\Control Panel\Desktop'
if [ -n "$dpi" ]; then
  /usr/lib/wine/wine64 reg add "$desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  trap 'rm -rf "$work"; /usr/lib/wine/wine64 reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1' EXIT
else
  trap 'rm -rf "$work"' EXIT
fi
"$here/scripts/wine-run.sh" "$build/quillora_screenshot.exe" "Z:${work//\//\\}\\taken" >"$work/rect" 2>/dev/null &
driver=$!
for _ in $(seq 600); do
  grep -qE '^[0-9]+ [0-9]+ [0-9]+ [0-9]+' "$work/rect" 2>/dev/null && break
  kill -0 "$driver" 2>/dev/null || break
  sleep 0.1
done
read -r x y w h < <(grep -E '^[0-9]+ [0-9]+ [0-9]+ [0-9]+' "$work/rect" | head -n 1)
if [ -z "${h:-}" ]; then
  echo "screenshot: the editor could not be set up"; wait "$driver"; exit 1
fi
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
touch "$work/taken"
wait "$driver"
echo "screenshot: $out (${w} x ${h})"
