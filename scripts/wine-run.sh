#!/usr/bin/env bash
# Runs a Windows program of ours under Wine with the project's prefix, the Japanese locale and
# the display that the caller set up (scripts/with-display.sh).
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
exec /usr/lib/wine/wine64 "$@"
