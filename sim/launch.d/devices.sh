#!/bin/sh
# devices.sh BUILD_DIR ROOT: the monitor's power controller and USB GPS receiver for the
# sandbox ROOT, until this script is killed. GPRMON_USBGPS_MODE (fix, nofix, garbage,
# silent) chooses what the receiver sends; ROOT/sim/usbgps/mode changes it while running.
set -u
build=$1
root=$2
"$build/sim/devices/gprmon-picdrv" "$root" &
pic=$!
"$build/sim/devices/gprmon-usbgps" "$root" "${GPRMON_USBGPS_MODE:-fix}" &
usb=$!
trap 'kill $pic $usb 2>/dev/null; wait $pic $usb 2>/dev/null; exit 0' TERM INT
wait
