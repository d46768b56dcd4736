#!/usr/bin/env bash
# Makes the fallback picture the camera tests install beside their module copies: 640 x 360,
# four plain quadrants (top-left red, top-right green, bottom-left white, bottom-right yellow)
# so that position, centring and orientation can be told apart after JPEG coding.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 320x180 xc:'#FF0000' -size 320x180 xc:'#00FF00' +append \
  \( -size 320x180 xc:'#FFFFFF' -size 320x180 xc:'#FFFF00' +append \) -append \
  -strip -units PixelsPerInch -density 96 -quality 95 -sampling-factor 1x1 quadrants.jpg
# A help picture of another look (all blue), which a camera shows when it finds it in the
# per-user picture folder.
convert -size 640x360 xc:'#0000FF' -strip -units PixelsPerInch -density 96 -quality 95 \
  -sampling-factor 1x1 blue_card.jpg
