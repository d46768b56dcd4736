#!/usr/bin/env bash
# Makes the cameras' fallback pictures: a neutral "Velloria" card, landscape and portrait.
# Run from anywhere; needs ImageMagick. Pixel density 96 dpi so that OLE draws them 1:1.
set -euo pipefail
cd "$(dirname "$0")"

card() {  # card <width> <height> <title point size> <output>
  convert -size "$1x$2" xc:'#1E2630' \
    -fill '#2E3A48' -draw "roundrectangle 40,40 $(($1 - 41)),$(($2 - 41)) 28,28" \
    -font DejaVu-Sans-Bold -pointsize "$3" -fill '#F2F4F7' -gravity center \
    -annotate +0-20 'Velloria' \
    -font DejaVu-Sans -pointsize $(($3 / 4)) -fill '#9AA8B8' \
    -annotate +0+$(($3 / 2 + 30)) 'Waiting for the phone' \
    -strip -units PixelsPerInch -density 96 -quality 85 "$4"
}

card 1280 720 120 default_h.jpg
card 720 1280 96 default_v.jpg
