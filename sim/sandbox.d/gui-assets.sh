#!/bin/sh
# gui-assets.sh ROOT: the display's data files in a new sandbox.
#   ROOT/work/images/*.bmp and ROOT/work/*.ttf   bitmaps and fonts in the working folder
#   ROOT/dev/sda4/ier.ttf                        the Chinese font on the factory partition
# The files come from GPRMON_ASSETS when it names the build's asset folder, else from the
# newest build folder beside the sources (build-asan/, build/); fonts that are still missing
# are taken from Debian's free font packages directly.
set -eu
root=${1:?usage: gui-assets.sh ROOT}
here=$(cd "$(dirname "$0")/../.." && pwd)
assets=""
if [ -n "${GPRMON_ASSETS:-}" ] && [ -d "$GPRMON_ASSETS/images" ]; then
    assets=$GPRMON_ASSETS
else
    for d in $(ls -dt "$here"/build*/assets 2>/dev/null); do
        if [ -d "$d/images" ]; then assets=$d; break; fi
    done
fi
mkdir -p "$root/work/images" "$root/dev/sda4"
if [ -n "$assets" ]; then
    cp "$assets"/images/*.bmp "$root/work/images/" 2>/dev/null || true
    for f in "$assets"/*.ttf; do
        [ -f "$f" ] && cp "$f" "$root/work/"
    done
fi
fonts=/usr/share/fonts/truetype
copy_font() { # NAME SOURCE
    if [ ! -f "$root/work/$1" ] && [ -f "$fonts/$2" ]; then cp "$fonts/$2" "$root/work/$1"; fi
}
copy_font a06.ttf dejavu/DejaVuSans.ttf
copy_font goodfisc.ttf dejavu/DejaVuSansCondensed-Bold.ttf
copy_font hum521bi.ttf dejavu/DejaVuSans-BoldOblique.ttf
copy_font a03.ttf dejavu/DejaVuSansMono.ttf
# The Chinese font lives on the factory partition only.
if [ -f "$root/work/ier.ttf" ]; then
    mv "$root/work/ier.ttf" "$root/dev/sda4/ier.ttf"
elif [ -f "$fonts/wqy/wqy-microhei.ttc" ]; then
    cp "$fonts/wqy/wqy-microhei.ttc" "$root/dev/sda4/ier.ttf"
fi
