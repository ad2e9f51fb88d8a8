#!/usr/bin/env bash
# Regenerates the Vornix Internet Optimizer image assets in this directory
# (or in the directory given as the first argument):
#   banner.jpg     640x96 top banner of the main window (baseline JPEG)
#   banner-2x.jpg  the same at 1280x192, scaled down to the banner's box on
#                  screens of more than 96 DPI
#   logo.gif       256x256 emblem, shown scaled to 41x41 at (16,24) over the
#                  banner at 96 DPI (61x61 at (24,36) at 144 DPI)
#   app.ico        application icon (256, 48, 32, 16; 32-bit with alpha; the
#                  256 one as PNG, recompressed without loss by zopflipng)
#
# Needs ImageMagick 6 (`convert`), zopflipng (Debian's zopfli) and the
# DejaVu Sans and WenQuanYi Micro Hei fonts. Everything is drawn from
# primitives, no input files are read, and the output is the same on every
# run.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="${1:-$here}"

command -v convert >/dev/null || { echo "ImageMagick 'convert' not found" >&2; exit 1; }
command -v zopflipng >/dev/null || { echo "zopflipng (Debian's zopfli) not found" >&2; exit 1; }

find_font() {
    # $1 = fontconfig pattern, $2 = file name that must match
    local file
    file="$(fc-match -f '%{file}' "$1" 2>/dev/null || true)"
    if [[ -z "$file" || "$(basename "$file")" != "$2" ]]; then
        echo "font '$1' ($2) not installed" >&2
        exit 1
    fi
    printf '%s' "$file"
}
font_bold="$(find_font 'DejaVu Sans:bold' DejaVuSans-Bold.ttf)"
font_cjk="$(find_font 'WenQuanYi Micro Hei' wqy-microhei.ttc)"

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# Palette shared by banner and emblem.
navy='#0a2a5e'      # banner left edge, logo background
teal='#0f8b98'      # banner right edge
cyan_hi='#3fd0dc'   # emblem top
blue_lo='#0d3f91'   # emblem bottom
bolt_hi='#ffe27a'
bolt_lo='#ffab1f'

# ---------------------------------------------------------------- emblem ----
# Drawn at 1024x1024 and scaled down, so edges are smooth at every size.
S=1024
convert -size ${S}x${S} gradient:"${cyan_hi}-${blue_lo}" \
    \( -size ${S}x${S} xc:black -fill white -draw "circle 512,512 512,24" \) \
    -alpha off -compose CopyOpacity -composite \
    "$tmp/disc.png"

# Globe lines (light, semi-transparent); clipped to the disc when composited.
convert -size ${S}x${S} xc:none -fill none -stroke 'rgba(255,255,255,0.30)' -strokewidth 26 \
    -draw "ellipse 512,512 210,470 0,360" \
    -draw "ellipse 512,512 380,470 0,360" \
    -draw "line 512,40 512,984" \
    -draw "line 40,512 984,512" \
    -draw "line 40,272 984,272" \
    -draw "line 40,752 984,752" \
    "$tmp/grid.png"

# Lightning bolt.
bolt="600,96 318,566 498,566 410,936 716,432 536,432 712,96"
convert -size ${S}x${S} xc:black -fill white -draw "polygon $bolt" "$tmp/bolt_mask.png"
convert -size ${S}x${S} gradient:"${bolt_hi}-${bolt_lo}" \
    "$tmp/bolt_mask.png" -alpha off -compose CopyOpacity -composite \
    "$tmp/bolt.png"
convert -size ${S}x${S} xc:'#001030' \
    \( "$tmp/bolt_mask.png" -evaluate multiply 0.55 -blur 0x18 -roll +14+22 \) \
    -alpha off -compose CopyOpacity -composite "$tmp/bolt_shadow.png"

convert "$tmp/disc.png" \
    \( "$tmp/grid.png" \) -compose SrcAtop -composite \
    \( "$tmp/bolt_shadow.png" \) -compose SrcAtop -composite \
    -compose Over \
    -fill none -stroke 'rgba(255,255,255,0.90)' -strokewidth 30 -draw "circle 512,512 512,60" \
    "$tmp/bolt.png" -composite \
    "$tmp/emblem.png"

# ---------------------------------------------------------------- logo.gif --
convert -size 256x256 xc:"$navy" \
    \( "$tmp/emblem.png" -filter Lanczos -resize 244x244 \) -gravity center -compose Over -composite \
    -strip -colors 255 +dither -type Palette "$out/logo.gif"

# ---------------------------------------------------------------- app.ico ---
convert "$tmp/emblem.png" -filter Lanczos -resize 256x256 -depth 8 -strip \
    -define icon:auto-resize=256,48,32,16 "$tmp/app.ico"

# The icon file as ImageMagick writes it, with its first image (the 256 one,
# a PNG) recompressed by zopflipng: the same pixels in fewer bytes. The
# directory's sizes and offsets follow; the other images stay byte for byte.
u8() { od -An -tu1 -j "$2" -N 1 "$1" | tr -d ' '; }
u32() { echo $(( $(u8 "$1" "$2") | $(u8 "$1" $(($2 + 1))) << 8 | $(u8 "$1" $(($2 + 2))) << 16 | $(u8 "$1" $(($2 + 3))) << 24 )); }
le32() { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"; }
ico="$tmp/app.ico"
count=$(( $(u8 "$ico" 4) | $(u8 "$ico" 5) << 8 ))
png_size=$(u32 "$ico" 14)
png_at=$(u32 "$ico" 18)
dd if="$ico" of="$tmp/icon256.png" bs=1 skip="$png_at" count="$png_size" status=none
zopflipng -m -y "$tmp/icon256.png" "$tmp/icon256z.png" >/dev/null
new_size=$(stat -c %s "$tmp/icon256z.png")
{
  head -c 6 "$ico"
  for ((i = 0; i < count; i++)); do
    entry=$((6 + 16 * i))
    dd if="$ico" bs=1 skip="$entry" count=8 status=none
    size=$(u32 "$ico" $((entry + 8)))
    at=$(u32 "$ico" $((entry + 12)))
    if ((i == 0)); then le32 "$new_size"; le32 "$at"; else le32 "$size"; le32 $((at - png_size + new_size)); fi
  done
  cat "$tmp/icon256z.png"
  tail -c +$((png_at + png_size + 1)) "$ico"
} >"$out/app.ico"

# ---------------------------------------------------------------- banner ----
# make_banner K FILE: the banner at K times 640x96. K=1 is the window's banner
# at 96 DPI; K=2 is the source the window scales down to its banner box on
# screens of more than 96 DPI.
make_banner() {
local k=$1 file=$2
local W=$((640 * k)) H=$((96 * k)) FLAT=$((90 * k))
convert \
    \( -size ${FLAT}x${H} xc:"$navy" \) \
    \( -size ${H}x$((W - FLAT)) gradient:"${navy}-${teal}" -rotate -90 \) \
    +append "$tmp/bg.png"

# Faint network: links and nodes on the right, clear of the title.
local nodes=(
    "468,16" "512,62" "560,24" "604,58" "548,86" "632,14" "588,4" "492,92" "640,88"
)
local links=(
    "0 1" "0 2" "1 2" "1 3" "2 3" "1 4" "3 4" "2 6" "6 5" "3 5" "4 7" "1 7" "3 8" "4 8"
)
local i j l n x y r
for i in "${!nodes[@]}"; do
    IFS=, read -r x y <<<"${nodes[$i]}"
    nodes[$i]="$((x * k)),$((y * k))"
done
local net=()
for l in "${links[@]}"; do
    read -r i j <<<"$l"
    net+=(-draw "line ${nodes[$i]} ${nodes[$j]}")
done
local dots=()
for n in "${nodes[@]}"; do
    IFS=, read -r x y <<<"$n"
    dots+=(-draw "circle $x,$y $((x + 3 * k)),$y")
done

# Signal rings spreading from one node of the network.
local arcs=()
local cx=$((604 * k)) cy=$((58 * k))
for r in 22 44 66 88 110; do
    arcs+=(-draw "circle $cx,$cy $((cx + r * k)),$cy")
done

convert "$tmp/bg.png" \
    -fill none -stroke 'rgba(255,255,255,0.07)' -strokewidth $((2 * k)) "${arcs[@]}" \
    -stroke 'rgba(170,235,245,0.22)' -strokewidth $((1 * k)) "${net[@]}" \
    -stroke none -fill 'rgba(200,245,250,0.55)' "${dots[@]}" \
    \( -size ${W}x$((22 * k)) gradient:'rgba(255,255,255,0.10)-rgba(255,255,255,0)' \) \
    -gravity north -compose Over -composite \
    \( -size ${W}x$((26 * k)) gradient:'rgba(0,0,0,0)-rgba(0,8,30,0.22)' \) \
    -gravity south -compose Over -composite \
    "$tmp/deco.png"

local title='Vornix Internet Optimizer'
local tagline='提升您的网速，远远超过以前！'
local TX=$((80 * k))

convert "$tmp/deco.png" \
    -font "$font_bold" -pointsize $((25 * k)) \
    -fill 'rgba(0,10,40,0.45)' -annotate +$((TX + 1 * k))+$(((44 + 2) * k)) "$title" \
    -fill white -annotate +${TX}+$((44 * k)) "$title" \
    -font "$font_cjk" -pointsize $((15 * k)) \
    -fill '#bfeef4' -annotate +${TX}+$((72 * k)) "$tagline" \
    \( -size ${W}x$((2 * k)) gradient:"${navy}-#39c6d3" \) -gravity south -compose Over -composite \
    -colorspace sRGB -strip -interlace none -sampling-factor 1x1 -quality 90 \
    "$file"
}

make_banner 1 "$out/banner.jpg"
make_banner 2 "$out/banner-2x.jpg"
