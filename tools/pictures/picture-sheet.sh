#!/usr/bin/env bash
# Writes a review sheet of every picture: res/images scaled x4 with point
# sampling over a checkerboard, the 600x400 backgrounds at x1, and each size
# of res/app.ico at x1 and x4.
#   tools/pictures/picture-sheet.sh [out.png]      (default build/picture-sheet.png)
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
out="${1:-$root/build/picture-sheet.png}"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$(dirname "$out")"

# Image over a grey/white checkerboard of 8 px squares, scaled by $2 percent.
on_checker() {
  local src="$1" scale="$2" dst="$3" size
  size="$(convert "$src" -scale "$scale" -format '%wx%h' info:)"
  convert -size "$size" xc:white \
    \( -size 16x16 xc:'#d0d0d0' -fill white -draw 'rectangle 0,0 7,7' \
       -draw 'rectangle 8,8 15,15' -write mpr:tile +delete \) \
    -fill mpr:tile -draw "color 0,0 reset" \
    \( "$src" -filter point -scale "$scale" \) -compose over -composite "$dst"
}

# Pads an image with the sheet colour to at least $2 pixels wide so that
# labels of narrow pictures do not run into each other.
widen() {
  local f="$1" min="$2" w h
  read -r w h < <(identify -format '%w %h\n' "$f")
  [ "$w" -ge "$min" ] || convert "$f" -background '#f4f4f4' -gravity center -extent "${min}x${h}" "$f"
}

montage_row() {
  local dst="$1" tile="$2"; shift 2
  montage "$@" -font DejaVu-Sans -background '#f4f4f4' -fill '#333' -pointsize 12 \
    -tile "$tile" -geometry +10+10 +repage "$dst"
}

# Every small picture x4 on the checkerboard, labelled with its file name.
cell() {
  local name="$1"
  on_checker "$root/res/images/$name" 400% "$tmp/$name"
  widen "$tmp/$name" 180
  printf '%s\n' -label "$name x4" "$tmp/$name"
}
mapfile -t row1 < <(for n in 129-change-button 132-install-button 133-run-button \
                               140-red-button 141-outline-button; do cell "$n.png"; done)
mapfile -t row2 < <(for n in 130-check-box 131-close 139-close-white; do cell "$n.png"; done)
# The white cross is drawn on the red title band; show it there too.
convert "$root/res/images/139-close-white.png" -background 'rgb(231,75,63)' -flatten \
  -filter point -scale 400% "$tmp/139-on-red.png"
widen "$tmp/139-on-red.png" 180
row2+=(-label "139-close-white.png x4 on red" "$tmp/139-on-red.png")
mapfile -t row3 < <(for n in 134-progress-fill 135-progress-track; do cell "$n.png"; done)

backgrounds=()
for f in "$root"/res/images/13[678]-*.png; do
  backgrounds+=(-label "$(basename "$f")" "$f")
done

icons=()
i=0
for size in $(identify -format '%w\n' "$root/res/app.ico"); do
  convert "$root/res/app.ico[$i]" "$tmp/icon-$size.png"
  on_checker "$tmp/icon-$size.png" 100% "$tmp/icon-$size-x1.png"
  widen "$tmp/icon-$size-x1.png" 40
  icons+=(-label "${size}px" "$tmp/icon-$size-x1.png")
  i=$((i + 1))
done
for size in 16 24 32 48; do
  on_checker "$tmp/icon-$size.png" 400% "$tmp/icon-$size-x4.png"
  icons+=(-label "${size}px x4" "$tmp/icon-$size-x4.png")
done

montage_row "$tmp/row1.png" x1 "${row1[@]}"
montage_row "$tmp/row2.png" x1 "${row2[@]}"
montage_row "$tmp/row3.png" 1x "${row3[@]}"
montage_row "$tmp/row4.png" x1 "${backgrounds[@]}"
montage_row "$tmp/row5.png" x1 "${icons[@]}"
convert -background '#f4f4f4' "$tmp"/row[1-5].png -gravity west -append +repage -depth 8 "$out"
echo "picture sheet: $out"
