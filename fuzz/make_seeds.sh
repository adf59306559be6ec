#!/usr/bin/env bash
# Regenerates the fuzz seeds in fuzz/seeds/ from tools Debian ships (ImageMagick for every bitmap form it
# writes, cjpeg for the JPEG codings) plus a few hand-made edge files. The seeds are committed; run this
# only to change them. Needs imagemagick, libjpeg-turbo-progs and python3.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/seeds"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
rm -rf "$out"
mkdir -p "$out"/{bmp,jpeg,placeable,name_parts}

# A small picture with smooth ramps and hard edges, odd-sized so every row needs padding.
convert -size 37x23 gradient:'#f08020-#2040c0' \( -size 37x23 xc:none -fill '#10a050' -draw 'rectangle 5,4 17,15' \) \
  -composite -depth 8 "$tmp/src.ppm"
convert "$tmp/src.ppm" -colorspace Gray "$tmp/grey.pgm"

# Bitmaps: the three header generations, every depth, RLE and the 16-bit subtypes.
b="$out/bmp"
convert "$tmp/src.ppm" -type TrueColor BMP3:"$b/rgb24_v3.bmp"
convert "$tmp/src.ppm" -type TrueColor BMP2:"$b/rgb24_core.bmp"
convert "$tmp/src.ppm" -type TrueColor BMP:"$b/rgb24_v5.bmp"
convert "$tmp/src.ppm" -alpha set -channel A -fx 0.5 +channel -type TrueColorAlpha BMP:"$b/argb32_v5.bmp"
convert "$tmp/src.ppm" -alpha set -type TrueColorAlpha -define bmp3:alpha=true BMP3:"$b/argb32_v3.bmp"
convert "$tmp/src.ppm" -define bmp:subtype=RGB565 BMP:"$b/rgb565.bmp"
convert "$tmp/src.ppm" -define bmp:subtype=RGB555 BMP:"$b/rgb555.bmp"
convert "$tmp/src.ppm" -alpha set -define bmp:subtype=ARGB1555 BMP:"$b/argb1555.bmp"
convert "$tmp/src.ppm" -colors 200 -type Palette -compress None BMP3:"$b/pal8.bmp"
convert "$tmp/src.ppm" -colors 200 -type Palette -compress RLE BMP3:"$b/pal8_rle.bmp"
convert "$tmp/src.ppm" -colors 16 -type Palette BMP3:"$b/pal4.bmp"
convert "$tmp/src.ppm" -colors 16 -type Palette BMP2:"$b/pal4_core.bmp"
convert "$tmp/src.ppm" -type Bilevel BMP3:"$b/mono.bmp"
convert "$tmp/grey.pgm" -type Palette -compress None BMP3:"$b/grey8.bmp"

# JPEG: the codings cjpeg writes, and the four-ink form ImageMagick writes with its Adobe marker.
j="$out/jpeg"
cjpeg -quality 80 -outfile "$j/baseline_420.jpg" "$tmp/src.ppm"
cjpeg -quality 80 -sample 1x1 -outfile "$j/baseline_444.jpg" "$tmp/src.ppm"
cjpeg -quality 80 -sample 2x1 -optimize -outfile "$j/optimized_422.jpg" "$tmp/src.ppm"
cjpeg -quality 80 -progressive -outfile "$j/progressive_420.jpg" "$tmp/src.ppm"
cjpeg -quality 80 -progressive -sample 1x1 -outfile "$j/progressive_444.jpg" "$tmp/src.ppm"
cjpeg -quality 80 -grayscale -outfile "$j/grey.jpg" "$tmp/src.ppm"
cjpeg -quality 80 -progressive -outfile "$j/grey_progressive.jpg" "$tmp/grey.pgm"
cjpeg -quality 80 -restart 1 -outfile "$j/restart_rows.jpg" "$tmp/src.ppm"
cjpeg -quality 80 -restart 3B -outfile "$j/restart_blocks.jpg" "$tmp/src.ppm"
cjpeg -quality 80 -arithmetic -outfile "$j/arithmetic.jpg" "$tmp/src.ppm"
cjpeg -quality 80 -arithmetic -progressive -outfile "$j/arithmetic_progressive.jpg" "$tmp/src.ppm"
cjpeg -quality 80 -rgb -outfile "$j/rgb_components.jpg" "$tmp/src.ppm"
convert "$tmp/src.ppm" -colorspace CMYK -quality 80 "$j/cmyk_adobe.jpg"

# Hand-made edge files.
python3 - "$out" <<'PY'
import struct, sys
out = sys.argv[1]

def bmp(name, width, height, bpp, compression, pixels, palette=b"", masks=b""):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, compression, len(pixels), 2835, 2835, len(palette) // 4, 0)
    off = 14 + len(info) + len(masks) + len(palette)
    head = b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off)
    open(f"{out}/bmp/{name}", "wb").write(head + info + masks + palette + pixels)

pal16 = b"".join(bytes((i * 16, 255 - i * 16, i * 8, 0)) for i in range(16))
# Top-down 24-bit rows, 3 pixels wide, so each row carries 3 bytes of padding.
bmp("topdown24.bmp", 3, -2, 24, 0, bytes(range(9)) + b"\0\0\0" + bytes(range(9, 18)) + b"\0\0\0")
# RLE4 with every command: runs, an absolute run, a delta, end of line, end of bitmap.
rle4 = bytes([4, 0x12, 0, 3, 0x34, 0x50, 0, 2, 1, 1, 3, 0xAB, 0, 0, 6, 0xCD, 0, 1])
bmp("rle4.bmp", 8, 4, 4, 2, rle4, pal16)
# 32-bit bitfields with masks that are neither byte-aligned nor 8 bits wide.
masks = struct.pack("<III", 0x3FF00000, 0x000FFC00, 0x000003FF)
bmp("bitfields32_10bit.bmp", 2, 2, 32, 3, bytes(range(16)), masks=masks)
# An RLE8 stream that never ends, and one whose delta leaves the picture.
bmp("rle8_unterminated.bmp", 4, 4, 8, 1, bytes([4, 7, 0, 0, 2, 9]), pal16)
bmp("rle8_delta_out.bmp", 4, 4, 8, 1, bytes([0, 2, 200, 200, 2, 3, 0, 1]), pal16)

def seg(marker, payload):
    return bytes((0xFF, marker)) + struct.pack(">H", len(payload) + 2) + payload
# A progressive 4:4:4 header claiming 16384 x 16384 with almost no data: refused before any allocation.
huge = (b"\xFF\xD8" + seg(0xDB, b"\0" + b"\1" * 64) +
        seg(0xC2, bytes([8, 0x40, 0, 0x40, 0, 3, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0])) +
        seg(0xC4, bytes([0, 1] + [0] * 15 + [0])) + seg(0xDA, bytes([3, 1, 0, 2, 0, 3, 0, 0, 0, 0])) + b"\0\xFF\xD9")
open(f"{out}/jpeg/progressive_huge_header.jpg", "wb").write(huge)

def placeable(name, box, inch, records, words_extra=0):
    key = struct.pack("<IH4hHI", 0x9AC6CDD7, 0, *box, inch, 0)
    check = 0
    for i in range(0, 20, 2):
        check ^= struct.unpack_from("<H", key, i)[0]
    body = b"".join(records) + struct.pack("<IH", 3, 0)  # ending with META_EOF
    size_words = (18 + len(body)) // 2 + words_extra
    meta = struct.pack("<HHHIHIH", 1, 9, 0x300, size_words, 1, max(len(r) for r in records) // 2, 0)
    open(f"{out}/placeable/{name}", "wb").write(key + struct.pack("<H", check) + meta + body)

rect = struct.pack("<IH4h", 7, 0x041B, 90, 80, 10, 20)  # META_RECTANGLE bottom, right, top, left
window = struct.pack("<IHhh", 5, 0x020C, 100, 100)         # META_SETWINDOWEXT
placeable("inch1440.wmf", (0, 0, 1440, 720), 1440, [window, rect])
placeable("flipped_box.wmf", (500, 400, -500, -400), 576, [rect])
placeable("size_counts_placeable.wmf", (0, 0, 96, 96), 96, [rect], words_extra=11)

names = [b"C:\\pictures\\shot.BMP", "C:\\写真\\表.jpg".encode("cp932"), "ソフト\\ソ.JPEG".encode("cp932"),
         b"archive.tar.wmf", b"D:name", b"trailing.\x81", "表\\".encode("cp932"), b".", b""]
for i, n in enumerate(names):
    open(f"{out}/name_parts/name{i}", "wb").write(n)
PY
du -sh "$out"
