#!/bin/sh
# Draws the library's pictures with ImageMagick and writes them as 8-bit
# palette BMP files next to this script. The .bmp files are kept in the
# tree, so building never needs ImageMagick; run this only to change them.
#   frame.bmp        the frame's backdrop, stretched over the whole screen
#   welcome.bmp      database cylinder   (welcome page)
#   destination.bmp  folder              (destination page)
#   account.bmp      padlock             (SQL account page)
#   confirm.bmp      check mark          (confirmation page)
#   setup.ico        the program's icon
set -e
cd "$(dirname "$0")/bitmaps"
FONT=DejaVu-Sans-Bold
OUT="-strip -type Palette -colors 200 -compress None BMP3:"

convert -size 320x240 gradient:'#0b2a55'-'#1c7a8c' \
  -fill '#ffffff22' -draw 'circle 300,250 300,120' \
  -fill '#ffffff14' -draw 'circle 20,-40 20,90' \
  -font "$FONT" -pointsize 15 -fill white \
  -annotate +14+30 'Zezerero Ruvez ari Ziruvidor' \
  -annotate +14+49 'EVO Dozoro 6.0' \
  -font DejaVu-Sans -pointsize 10 -fill '#cfe6ee' \
  -annotate +14+66 'Setup, version 2.0' \
  -fill '#ffffff55' -draw 'rectangle 14,74 190,75' \
  -font DejaVu-Sans -pointsize 8 -fill '#cfe6ee' \
  -annotate +14+232 'Tamarack Software Inc.' \
  $OUT"frame.bmp"

# The padlock's shackle: a thick half circle as a chain of dots (this
# ImageMagick closes thick open curves with a chord).
shackle() {
  awk 'BEGIN { for (a = 180; a <= 360; a += 3) {
    x = 60 + 22 * cos(a * 3.14159265 / 180); y = 86 + 22 * sin(a * 3.14159265 / 180)
    printf "circle %.1f,%.1f %.1f,%.1f ", x, y, x + 3.5, y } }'
}

page() {
  # $1 file, $2 top colour, $3 bottom colour, then the motif's draw options
  file=$1 top=$2 bottom=$3
  shift 3
  convert -size 120x230 gradient:"$top"-"$bottom" \
    -fill '#ffffff18' -draw 'circle 100,210 100,120' \
    "$@" $OUT"$file"
}

page welcome.bmp '#123b6b' '#2a8fa0' \
  -stroke none -fill '#d9eef5' \
  -draw 'rectangle 25,80 95,160' -draw 'ellipse 60,160 35,11 0,360' \
  -stroke '#0d2b45' -strokewidth 2 -fill none \
  -draw 'line 25,80 25,160' -draw 'line 95,80 95,160' \
  -draw 'ellipse 60,160 35,11 0,180' \
  -draw 'ellipse 60,107 35,11 0,180' -draw 'ellipse 60,133 35,11 0,180' \
  -fill '#eef8fb' -draw 'ellipse 60,80 35,11 0,360'

page destination.bmp '#1d4d3a' '#3f9a6e' \
  -stroke '#2e2208' -strokewidth 2 -fill '#e8b84a' \
  -draw 'polygon 18,92 48,92 56,102 102,102 102,158 18,158' \
  -fill '#f6d27a' -draw 'polygon 18,114 102,114 102,158 18,158'

page account.bmp '#4a2d63' '#8a5aa8' \
  -stroke '#2a1a36' -strokewidth 7 -fill none \
  -draw 'line 38,86 38,104' -draw 'line 82,86 82,104' \
  -stroke none -fill '#2a1a36' -draw "$(shackle)" -stroke '#2a1a36' \
  -strokewidth 2 -fill '#f2c94c' \
  -draw 'roundrectangle 28,102 92,162 6,6' \
  -fill '#2a1a36' -draw 'circle 60,126 60,133' -draw 'rectangle 57,128 63,146'

page confirm.bmp '#17425e' '#3b8fc0' \
  -stroke '#0e3220' -strokewidth 2 -fill '#ffffff' -draw 'circle 60,115 60,75' \
  -stroke '#1e9b4f' -strokewidth 10 -fill none \
  -draw "stroke-linecap round stroke-linejoin round path 'M 40,116 L 55,131 L 82,99'"

# The program's icon (setup.exe, and its line in Programs and Features):
# the welcome page's database cylinder on the frame's blue, at 48, 32 and
# 16 pixels.
convert -size 48x48 xc:none \
  -fill '#123b6b' -draw 'roundrectangle 0,0 47,47 8,8' \
  -stroke none -fill '#d9eef5' \
  -draw 'rectangle 11,12 37,36' -draw 'ellipse 24,36 13,5 0,360' \
  -stroke '#0d2b45' -strokewidth 2 -fill none \
  -draw 'line 11,12 11,36' -draw 'line 37,12 37,36' \
  -draw 'ellipse 24,36 13,5 0,180' -draw 'ellipse 24,24 13,5 0,180' \
  -fill '#eef8fb' -draw 'ellipse 24,12 13,5 0,360' \
  -define icon:auto-resize=48,32,16 setup.ico
