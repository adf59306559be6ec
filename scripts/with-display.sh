#!/usr/bin/env bash
# with-display.sh COMMAND...: runs COMMAND with an Xvfb display and a Wine server of our own,
# then ends both by their process ids, whatever COMMAND did.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"

display=""
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "with-display: no free X display" >&2; exit 1; }
Xvfb "$display" -screen 0 "${QUILLORA_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# First start of a prefix takes a while; do it here so that no test pays for it.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
fi
# A persistent server in the foreground of a background job, so that its pid is ours to end.
/usr/lib/wine/wineserver -f -p >/dev/null 2>&1 &
server_pid=$!
sleep 0.3

cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT INT TERM
"$@"
status=$?
exit $status
