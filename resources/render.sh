#!/bin/sh
# Re-renders every image of the program from its SVG source in svg/ into the
# PNG files in png/, which are committed so that the build needs no SVG
# renderer. Run it after changing or adding an SVG:
#
#   resources/render.sh                 render all PNGs
#   resources/render.sh --sheet FILE    also write a contact sheet of them all,
#                                       scaled 4x on a checkerboard (needs
#                                       ImageMagick's montage)
#
# Needs rsvg-convert (Debian: librsvg2-bin) and, for the logo's lettering, the
# DejaVu Sans font (Debian: fonts-dejavu-core).
#
# Sizes: tree, state and toolbar images 16 px plus a 32 px "@2x" twin, which
# Qt picks on high-DPI screens; the logo 414 x 104 plus its @2x twin; the
# application icon at every size the icon theme installs, and "sonadex-pro.png"
# at the largest for whoever wants one file to scale down.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
svg="$here/svg"
png="$here/png"

command -v rsvg-convert >/dev/null || { echo "render.sh: rsvg-convert missing (apt-get install librsvg2-bin)" >&2; exit 1; }
fc-list 2>/dev/null | grep -q "DejaVuSans-Bold.ttf" || { echo "render.sh: DejaVu Sans Bold missing (apt-get install fonts-dejavu-core)" >&2; exit 1; }

render() { # svg-file width height out-file
    rsvg-convert --width "$2" --height "$3" --format png --output "$4" "$1"
}

mkdir -p "$png"
for file in "$svg"/*.svg; do
    name=$(basename "$file" .svg)
    case "$name" in
    logo)
        render "$file" 414 104 "$png/logo.png"
        render "$file" 828 208 "$png/logo@2x.png"
        ;;
    sonadex-pro)
        for size in 16 32 48 64 128 256; do
            render "$file" "$size" "$size" "$png/sonadex-pro-$size.png"
        done
        render "$file" 256 256 "$png/sonadex-pro.png"
        ;;
    *)
        render "$file" 16 16 "$png/$name.png"
        render "$file" 32 32 "$png/$name@2x.png"
        ;;
    esac
done

if [ "${1:-}" = "--sheet" ] && [ -n "${2:-}" ]; then
    small=$(ls "$png"/*.png | grep -v -e '@2x' -e 'logo' -e 'sonadex-pro')
    montage -label '%t' $small -filter point -resize 400% -background '#e0e0e0' \
        -texture pattern:checkerboard -geometry +6+6 -tile 8x "$2"
fi
