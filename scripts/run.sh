#!/usr/bin/env bash
# run.sh EXE [ARGS...]: starts Quillora under Wine. On a machine without a display it runs in an
# Xvfb of its own, writes a screenshot after a few seconds and ends.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
exe=$1; shift
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
  [ -f "$WINEPREFIX/system.reg" ] || "$here/scripts/wine-run.sh" wineboot -i >/dev/null 2>&1 </dev/null
  "$here/scripts/font-substitutes.sh"
  exec "$here/scripts/wine-run.sh" "$exe" "$@"
fi
shot="$here/build/screenshot.png"
export QUILLORA_EXE="$exe" QUILLORA_SHOT="$shot"
"$here/scripts/with-display.sh" bash -c '
  "'"$here"'/scripts/wine-run.sh" "$QUILLORA_EXE" "$@" &
  pid=$!
  sleep "${QUILLORA_SHOT_DELAY:-6}"
  import -window root "$QUILLORA_SHOT"
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
' run "$@"
echo "No display here: Quillora ran in its own Xvfb; its screenshot is $shot"
