#!/bin/sh
# Makes the seed corpus of the fuzz targets (fuzz/corpus/<name>/) from real data: the monitor
# (BUILD_DIR/gprmon, scripted keypad) measures a profile against cusim twice, in UDP block mode
# and in the old raw framing, with cusim recording every frame it sends (--record); the files
# the monitor wrote and the recorded frames are cut into seeds by make-corpus.py.
#   fuzz/make-corpus.sh BUILD_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/gprmon-corpus.XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM

# Main menu "2D Project", screen 2 "New", measure, then the orderly power-off saves everything.
cat > "$work/measure.keys" <<KEYS
wait 6000
Enter
wait 8000
Enter
wait 6000
quit
KEYS

measure() {
    name=$1; shift
    GPRMON_SANDBOX="$work/$name" GPRMON_KEYS="$work/measure.keys" \
        CUSIM_OPTIONS="--record $work/$name.rec --gps-rate 5 $*" \
        timeout 120 "$here/../sim/launch.sh" "$build" > "$work/$name.log" 2>&1 || {
        tail -20 "$work/$name.log"; echo "make-corpus: the $name run failed"; exit 1; }
}
measure udp --fault error=0x2200@trace:150 --fault loss=0.02
measure raw --program-version 0x30004FFF
python3 "$here/make-corpus.py" "$work" "$here/corpus"
