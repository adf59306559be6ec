#!/usr/bin/env bash
# bench.sh BUILD_DIR: makes 4K test pictures, times the native reference tools on them, and runs
# the Windows benchmarks under Wine beside those references.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$1
work="$here/build/bench"
mkdir -p "$work"
if [ ! -f "$work/frame.jpg" ]; then
  # A busy 3840 x 2160 picture, saved as JPEG (quality 90) and as a 24-bit BMP.
  convert -size 3840x2160 plasma:fractal -seed 7 -blur 0x1 "$work/frame.ppm"
  cjpeg -quality 90 -baseline -outfile "$work/frame.jpg" "$work/frame.ppm"
  convert "$work/frame.ppm" -type TrueColor "BMP3:$work/frame.bmp"
fi
best_ms() {  # best of N runs of a command, in ms
  local n=$1; shift; local best=999999
  for _ in $(seq "$n"); do
    local t0 t1; t0=$(date +%s%N); "$@" >/dev/null; t1=$(date +%s%N)
    local ms=$(( (t1 - t0) / 1000000 )); [ "$ms" -lt "$best" ] && best=$ms
  done
  echo "$best"
}
djpeg_ms=$(best_ms 5 djpeg -bmp -outfile /dev/null "$work/frame.jpg")
echo "== load: djpeg best of 5: ${djpeg_ms} ms"
winpath() { echo "Z:${1//\//\\}"; }
"$here/scripts/with-display.sh" "$here/scripts/wine-run.sh" "$build/quillora_bench.exe" load \
  "$(winpath "$work/frame.jpg")" "$(winpath "$work/frame.bmp")" "$djpeg_ms"

# drag: moving a selected line over the 4K picture with 200 lines, 20 arrows and 50 labels,
# beside the pass over the same picture without annotations.
echo "== drag"
"$here/scripts/with-display.sh" "$here/scripts/wine-run.sh" "$build/quillora_bench.exe" drag \
  "$(winpath "$work/frame.bmp")"
# save: the same pixels written by cjpeg natively, and by SaveJpeg/SaveBitmap under Wine.
cjpeg_ms=$(best_ms 5 cjpeg -quality 90 -baseline -outfile "$work/cjpeg.jpg" "$work/frame.ppm")
echo "== save: cjpeg -quality 90 -baseline best of 5: ${cjpeg_ms} ms"
"$here/scripts/with-display.sh" "$here/scripts/wine-run.sh" "$build/quillora_bench.exe" save \
  "$(winpath "$work/frame.bmp")" "$cjpeg_ms"
