#!/usr/bin/env bash
# screenshot.sh BUILD_DIR OUTPUT.png: the editor holding a picture with a line and a text label,
# as a user sees it, taken from the display the caller set up (scripts/with-display.sh).
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
build=$1 out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
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
