#!/usr/bin/env bash
# Draws the program's icons with ImageMagick (run by hand when they change;
# the .ico files are checked in so the build does not need ImageMagick).
#  app.ico      the program (Zelvanto: a green Z)
#  bat.ico      external-transformation batches (blue, "B")
#  jwf.ico      environment files (orange, "E")
#  jwl.ico      layer files (purple, "L")
#  free.ico     a free favourite button (grey outline)
#  drive.ico, folder.ico, folder_open.ico  the folder tree
set -euo pipefail
cd "$(dirname "$0")/../res"
mk() {  # name fill letter
  for s in 16 32 48; do
    convert -size ${s}x${s} xc:none -fill "$2" -stroke '#202020' -strokewidth 1 \
      -draw "roundrectangle 1,1 $((s-2)),$((s-2)) $((s/5)),$((s/5))" \
      -fill white -stroke none -gravity center -font DejaVu-Sans-Bold \
      -pointsize $((s*2/3)) -annotate +0+0 "$3" PNG32:/tmp/zel_icon_$s.png
  done
  convert /tmp/zel_icon_16.png /tmp/zel_icon_32.png /tmp/zel_icon_48.png "$1.ico"
}
mk app '#2e8b57' Z
mk bat '#1e5aa8' B
mk jwf '#d9822b' E
mk jwl '#7b4ea3' L
mk free '#b0b0b0' ' '
mk drive '#606060' D
for s in 16 32; do
  convert -size ${s}x${s} xc:none -fill '#e8c15a' -stroke '#8a6d1c' \
    -draw "rectangle 1,$((s/4)) $((s-2)),$((s-3))" -draw "rectangle 1,$((s/8)) $((s/2)),$((s/4))" \
    PNG32:/tmp/zel_f_$s.png
  convert -size ${s}x${s} xc:none -fill '#f5dc8c' -stroke '#8a6d1c' \
    -draw "polygon 1,$((s/4)) $((s-2)),$((s/4)) $((s-4)),$((s-3)) 3,$((s-3))" \
    PNG32:/tmp/zel_o_$s.png
done
convert /tmp/zel_f_16.png /tmp/zel_f_32.png folder.ico
convert /tmp/zel_o_16.png /tmp/zel_o_32.png folder_open.ico
rm -f /tmp/zel_icon_*.png /tmp/zel_f_*.png /tmp/zel_o_*.png
