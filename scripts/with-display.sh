#!/usr/bin/env bash
# with-display.sh COMMAND...: runs COMMAND with an Xvfb display, a small window manager on it and
# a Wine server of our own, then ends them by their process ids, whatever COMMAND did.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# Nobody watches this display: a program that crashes ends at once, with the line Wine prints of
# the fault, instead of waiting in Wine's debugger until the test's time runs out.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
mkdir -p "$WINEPREFIX"

display=""
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "with-display: no free X display" >&2; exit 1; }
# The helpers run in sessions of their own: a signal sent to this script's process group (a time
# limit ending the run, say) reaches this script, whose cleanup then ends them in order.
setsid Xvfb "$display" -screen 0 "${QUILLORA_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# A desktop like the users': with no window manager, Wine waits 2 s for one each time it hides a
# window. It shows a main window over the whole screen; windows whose titles begin with one of
# QUILLORA_WM_DIALOGS (comma-separated) it keeps at their own size, as a desktop does.
# QUILLORA_NO_WM=1 leaves it out.
wm_pid=""
if [ "${QUILLORA_NO_WM:-0}" != 1 ] && command -v matchbox-window-manager >/dev/null; then
  setsid matchbox-window-manager -use_titlebar no ${QUILLORA_WM_DIALOGS:+-force_dialogs "$QUILLORA_WM_DIALOGS"} >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
fi

# Wine programs of this prefix, found by their process ids: those a server that is gone left
# behind answer to no server any more. Succeeds when it found any.
end_prefix_programs() {
  local e pid found=1
  for e in /proc/[0-9]*/environ; do
    pid=${e#/proc/}; pid=${pid%/environ}
    [ "$pid" = "${server_pid:-}" ] && continue
    case $(readlink "/proc/$pid/exe" 2>/dev/null) in /usr/lib/wine/*) ;; *) continue ;; esac
    grep -qzx "WINEPREFIX=$WINEPREFIX" "$e" 2>/dev/null && kill -9 "$pid" 2>/dev/null && found=0
  done
  return $found
}

# Ended Wine programs not yet collected by the system (their names end in ".exe").
wine_zombies_left() {
  local f line
  for f in /proc/[0-9]*/stat; do
    read -r line 2>/dev/null < "$f" || continue
    case $line in *".exe) Z "*) return 0 ;; esac
  done
  return 1
}

# A persistent server in the foreground of a background job, so that its pid is ours to end. It
# starts before anything else of Wine: a server started by the first Wine program instead would end
# a few seconds after the last program, and a test starting just then found no server to talk to.
/usr/lib/wine/wineserver -k >/dev/null 2>&1  # a server left by an earlier run of this prefix
/usr/lib/wine/wineserver -w >/dev/null 2>&1
end_prefix_programs
setsid /usr/lib/wine/wineserver -f -p >/dev/null 2>&1 &
server_pid=$!
sleep 0.5
kill -0 "$server_pid" 2>/dev/null || { echo "with-display: the Wine server did not start" >&2; exit 1; }
# First start of a prefix takes a while; do it here so that no test pays for it.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
fi
# Wine's background services start here, not inside the first test (they would hold its output).
/usr/lib/wine/wine64 wineboot >/dev/null 2>&1 </dev/null
# The faces the layouts name, mapped to the installed faces that stand in for them.
"$here/scripts/font-substitutes.sh"

# A PDF printer behind a CUPS scheduler of our own, for the printing tests.
cups_pid=""
if [ "${QUILLORA_PRINTER:-0}" = 1 ] && [ -x /usr/sbin/cupsd ]; then
  if ! pgrep -x cupsd >/dev/null; then
    /usr/sbin/cupsd -f >/dev/null 2>&1 &
    cups_pid=$!
    for _ in $(seq 50); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.1; done
  fi
  if ! lpstat -p PDF >/dev/null 2>&1; then
    lpadmin -p PDF -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E >/dev/null 2>&1 &&
      lpadmin -d PDF >/dev/null 2>&1
  fi
  out=$(sed -n 's/^Out *//p' /etc/cups/cups-pdf.conf 2>/dev/null | head -n 1)
  [ -n "$out" ] || out='${HOME}/PDF'
  export QUILLORA_PDF_DIR="${out//\$\{HOME\}/$HOME}"
  mkdir -p "$QUILLORA_PDF_DIR"
fi

# A tiny full file system for the failed-save tests, where mounting is allowed.
full_dir=""
if [ "${QUILLORA_FULL_DISK:-0}" = 1 ]; then
  full_dir=$(mktemp -d /tmp/quillora-full.XXXXXX)
  if mount -t tmpfs -o size=64k tmpfs "$full_dir" 2>/dev/null; then
    export QUILLORA_FULL_DIR="$full_dir"
  else
    rmdir "$full_dir"; full_dir=""
  fi
fi

cleanup() {
  if [ -n "$full_dir" ]; then umount "$full_dir" 2>/dev/null; rmdir "$full_dir" 2>/dev/null; fi
  [ -n "$cups_pid" ] && kill "$cups_pid" 2>/dev/null
  [ -n "$command_pid" ] && kill "$command_pid" 2>/dev/null
  # Every process of our prefix (Wine's own services included), then the server, then the display.
  /usr/lib/wine/wineserver -k >/dev/null 2>&1
  # Until they are gone, not merely told to go, and the system has collected what they left.
  for _ in $(seq 50); do end_prefix_programs || break; sleep 0.1; done
  for _ in $(seq 100); do wine_zombies_left || break; sleep 0.1; done
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
  fi
  if [ -n "$wm_pid" ]; then
    kill "$wm_pid" 2>/dev/null
    wait "$wm_pid" 2>/dev/null
  fi
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}
command_pid=""
trap cleanup EXIT
trap 'exit 143' INT TERM
# In the background, so that a signal is acted on at once rather than after the command ends.
"$@" <&0 &
command_pid=$!
wait "$command_pid"
