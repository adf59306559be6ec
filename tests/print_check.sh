#!/usr/bin/env bash
# print_check.sh: looks at the two pages that the PrintSpooler test printed through the PDF
# printer into $QUILLORA_PDF_DIR. The picture is 6:5 (600 x 500 pixels or a little larger) in four
# quadrants (red, green over blue, yellow). On the portrait page it must fill the page width, on
# the landscape page the page height; in both it must sit at the top-left corner and keep its
# aspect ratio.
# Exit 0: both pages right; 1: a page is wrong or missing; 77: nothing to check here.
set -u

dir=${QUILLORA_PDF_DIR:-}
if [ -z "$dir" ] || [ ! -d "$dir" ]; then
  echo "print_check: QUILLORA_PDF_DIR is not a folder; nothing printed to check"
  exit 77
fi
for tool in pdftoppm identify convert; do
  command -v "$tool" >/dev/null || { echo "print_check: $tool is missing"; exit 77; }
done
if [ ! -e "$dir/quillora-print-portrait.pdf" ] && [ ! -e "$dir/quillora-print-landscape.pdf" ]; then
  echo "print_check: no printed pages in $dir (the printing test found no printer)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() {
  echo "FAIL $1: $2"
  status=1
}

# The name of the saturated colour of one pixel (PNG X Y): each channel clearly on (> 200) or
# off (< 60).
colour_at() {
  local r g b bits=""
  read -r r g b < <(convert "$1" -format \
    "%[fx:int(255*p{$2,$3}.r+0.5)] %[fx:int(255*p{$2,$3}.g+0.5)] %[fx:int(255*p{$2,$3}.b+0.5)]" info:)
  for c in "$r" "$g" "$b"; do
    if [ "$c" -gt 200 ]; then bits+=1; elif [ "$c" -lt 60 ]; then bits+=0; else bits+=x; fi
  done
  case $bits in
    100) echo red ;; 010) echo green ;; 001) echo blue ;; 110) echo yellow ;; 111) echo white ;;
    *) echo "unclear($r,$g,$b)" ;;
  esac
}

# check ORIENTATION FILLED-SIDE
check() {
  local name=$1 fills=$2
  local pdf="$dir/quillora-print-$name.pdf" png="$work/$name.png"
  [ -f "$pdf" ] || { fail "$name" "missing $pdf"; return; }
  # 50 dpi: an A4 page is about 413 x 585 pixels; pdftoppm applies the page's rotation.
  pdftoppm -r 50 -singlefile -png "$pdf" "$work/$name" || { fail "$name" "pdftoppm failed"; return; }
  local pw ph
  read -r pw ph < <(identify -format '%w %h' "$png")
  if [ "$name" = landscape ] && [ "$pw" -le "$ph" ]; then fail "$name" "page is ${pw}x${ph}, not landscape"; fi
  if [ "$name" = portrait ] && [ "$pw" -ge "$ph" ]; then fail "$name" "page is ${pw}x${ph}, not portrait"; fi

  # Bounding box of all that is not white; a white frame first, so that a picture that touches
  # the page corner is measured rather than taken for the background.
  local box w h x y
  box=$(convert "$png" -bordercolor white -border 1 -fuzz 10% -format '%@' info:)
  if [[ ! $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]; then
    fail "$name" "no picture on the page ($box)"
    return
  fi
  w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]}
  x=$((BASH_REMATCH[3] - 1)) y=$((BASH_REMATCH[4] - 1))
  echo "$name: page ${pw}x${ph}, picture ${w}x${h} at (${x},${y})"

  if [ "$x" -gt 1 ] || [ "$y" -gt 1 ]; then fail "$name" "picture not at the top-left corner: (${x},${y})"; fi
  if [ "$fills" = width ]; then
    [ "$w" -ge $((pw - 2)) ] || fail "$name" "picture ${w} wide on a page ${pw} wide"
    [ "$h" -lt $((ph - 10)) ] || fail "$name" "picture stretched down the page: ${h} of ${ph}"
  else
    [ "$h" -ge $((ph - 2)) ] || fail "$name" "picture ${h} high on a page ${ph} high"
    [ "$w" -lt $((pw - 10)) ] || fail "$name" "picture stretched across the page: ${w} of ${pw}"
  fi
  # 6:5: 5 w = 6 h, within two pixels of height.
  local skew=$((5 * w - 6 * h))
  [ "${skew#-}" -le 12 ] || fail "$name" "aspect ratio not kept: ${w}x${h} for 6:5"

  local qx qy want got
  for quad in "1 1 red" "3 1 green" "1 3 blue" "3 3 yellow"; do
    read -r qx qy want <<<"$quad"
    got=$(colour_at "$png" $((x + w * qx / 4)) $((y + h * qy / 4)))
    [ "$got" = "$want" ] || fail "$name" "quadrant ($qx/4, $qy/4) is $got, not $want"
  done
  got=$(colour_at "$png" $((pw - 3)) $((ph - 3)))
  [ "$got" = white ] || fail "$name" "bottom-right page corner is $got, not white"
}

check portrait width
check landscape height
[ "$status" -eq 0 ] && echo "print_check: both pages right"
exit "$status"
