#!/bin/sh
# Makes the seed corpus of the fuzz targets (fuzz/corpus/<name>/) from real data: the monitor
# (BUILD_DIR/gprmon, scripted keypad) measures a profile against cusim in UDP block mode, with
# cusim recording every frame it sends (--record), a CU error report and lost blocks; the files
# the monitor wrote and the recorded frames are cut into seeds by make-corpus.py (the raw-framing
# seeds are the same frames and traces in raw framing). FUZZ_BUILD_DIR gives the settings record
# of the defaults.
#   fuzz/make-corpus.sh BUILD_DIR FUZZ_BUILD_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
fuzz_build=$(cd "$2" && pwd)
work=$(mktemp -d /tmp/gprmon-corpus.XXXXXX)
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT INT TERM

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
GPRMON_FUZZ_WRITE_SEED="$work/pars" "$fuzz_build/fuzz/fuzz_parameter_store"
rm -rf "$here/corpus"
python3 "$here/make-corpus.py" "$work" "$here/corpus" "$work/pars"
# The project files are written by the program's own writers inside the fuzz targets.
mkdir -p "$here/corpus/grid_files" "$here/corpus/pv_project" "$here/corpus/upgrade_marker"
GPRMON_FUZZ_WRITE_SEED="$here/corpus/grid_files/project" "$fuzz_build/fuzz/fuzz_grid_files"
GPRMON_FUZZ_SEED_RAW_ONLY=1 GPRMON_FUZZ_WRITE_SEED="$here/corpus/grid_files/raw-only" "$fuzz_build/fuzz/fuzz_grid_files"
GPRMON_FUZZ_WRITE_SEED="$here/corpus/pv_project/baseline" "$fuzz_build/fuzz/fuzz_pv_project"
GPRMON_FUZZ_SEED_VERSION=2 GPRMON_FUZZ_WRITE_SEED="$here/corpus/pv_project/gps" "$fuzz_build/fuzz/fuzz_pv_project"
# Version markers as sim/make-image.sh writes them: a newer and an older image, and a text
# that is no version.
for v in 12.2245 9.100000 12.22.44; do
    "$here/../sim/make-image.sh" "$work/image-$v" "$v" >/dev/null
    tar -xzOf "$work/image-$v" root/mon1/fTKVER_012 > "$here/corpus/upgrade_marker/$v"
done
