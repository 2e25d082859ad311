#!/bin/sh
# Draws the logo's two pictures, 88 x 78 pixels each, into data/:
#   logo_out.jpg  released: a raised tile with three overlapping snapshots and the name
#   logo_in.jpg   pressed:  the same tile sunk in, lit from below, contents shifted a pixel
# and from the same shapes the program's icon for the hicolor theme, into data/icons/:
#   quorel.svg and quorel-48.png, quorel-128.png, quorel-256.png (the tile and the snapshots,
#   square and without the name, which no icon size could show)
# Needs ImageMagick's convert, rsvg-convert and the DejaVu fonts (Debian: imagemagick,
# librsvg2-bin, fonts-dejavu-core).
set -eu

out_dir=${1:-$(dirname "$0")/../data}
font=DejaVu-Sans-Bold
if [ -f /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf ]; then
  font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
fi

# tile FILE DX DY LIGHT SHADE FACE: the tile with its contents moved by DX,DY, the bevel drawn
# with LIGHT on the top-left edges and SHADE on the bottom-right ones.
tile() {
  file=$1 dx=$2 dy=$3 light=$4 shade=$5 face=$6
  convert -size 88x78 xc:black \
    -fill "$face" -stroke none -draw "roundrectangle 2,2 85,75 9,9" \
    -stroke "$light" -strokewidth 2 -fill none -draw "polyline 3,70 3,3 82,3" \
    -stroke "$shade" -strokewidth 2 -fill none -draw "polyline 84,8 84,74 8,74" \
    -stroke white -strokewidth 2 \
    -fill '#2a9d8f' -draw "rectangle $((12 + dx)),$((16 + dy)) $((39 + dx)),$((37 + dy))" \
    -fill '#8e44ad' -draw "rectangle $((50 + dx)),$((9 + dy)) $((75 + dx)),$((28 + dy))" \
    -fill '#1d3557' -draw "rectangle $((29 + dx)),$((7 + dy)) $((60 + dx)),$((33 + dy))" \
    -stroke none \
    -fill '#ffd166' -draw "circle $((52 + dx)),$((14 + dy)) $((55 + dx)),$((14 + dy))" \
    -fill '#e76f51' -draw "polygon $((30 + dx)),$((32 + dy)) $((40 + dx)),$((18 + dy)) $((48 + dx)),$((27 + dy)) $((52 + dx)),$((23 + dy)) $((59 + dx)),$((32 + dy))" \
    -fill white -font "$font" -pointsize 17 -gravity north \
    -annotate "+$((dx))+$((47 + dy))" 'Quorel' \
    -quality 92 "$file"
}

tile "$out_dir/logo_out.jpg" 0 0 '#9a9a9a' '#2a2a2a' '#5a5a5a'
tile "$out_dir/logo_in.jpg" 1 1 '#1e1e1e' '#8a8a8a' '#3c3c3c'

# icon FILE: the released tile as SVG, 88 x 88, the snapshots moved down to its middle.
icon() {
  dy=22
  cat >"$1" <<SVG
<?xml version="1.0" encoding="UTF-8"?>
<!-- SPDX-License-Identifier: MIT. Drawn by tools/make-logo.sh; edit that, not this. -->
<svg xmlns="http://www.w3.org/2000/svg" width="88" height="88" viewBox="0 0 88 88">
  <rect x="2" y="2" width="83" height="83" rx="9" fill="#5a5a5a"/>
  <polyline points="3,80 3,3 82,3" fill="none" stroke="#9a9a9a" stroke-width="2"/>
  <polyline points="84,8 84,84 8,84" fill="none" stroke="#2a2a2a" stroke-width="2"/>
  <g stroke="white" stroke-width="2">
    <rect x="12" y="$((16 + dy))" width="27" height="21" fill="#2a9d8f"/>
    <rect x="50" y="$((9 + dy))" width="25" height="19" fill="#8e44ad"/>
    <rect x="29" y="$((7 + dy))" width="31" height="26" fill="#1d3557"/>
  </g>
  <circle cx="52" cy="$((14 + dy))" r="3" fill="#ffd166"/>
  <polygon points="30,$((32 + dy)) 40,$((18 + dy)) 48,$((27 + dy)) 52,$((23 + dy)) 59,$((32 + dy))" fill="#e76f51"/>
</svg>
SVG
}

icon_dir=$out_dir/icons
mkdir -p "$icon_dir"
icon "$icon_dir/quorel.svg"
for size in 48 128 256; do
  rsvg-convert -w "$size" -h "$size" "$icon_dir/quorel.svg" -o "$icon_dir/quorel-$size.png"
done
