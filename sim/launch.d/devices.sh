#!/bin/sh
# devices.sh BUILD_DIR ROOT: the monitor's power controller, USB GPS receiver and serial-port
# GPS driver for the sandbox ROOT, until this script is killed. GPRMON_USBGPS_MODE and
# GPRMON_NAVUART_MODE (fix, nofix, garbage, badcs, silent) choose what the receivers send;
# ROOT/sim/usbgps/mode and ROOT/sim/navuart/mode change it while running.
set -u
build=$1
root=$2
"$build/sim/devices/gprmon-picdrv" "$root" &
pic=$!
"$build/sim/devices/gprmon-usbgps" "$root" "${GPRMON_USBGPS_MODE:-fix}" &
usb=$!
"$build/sim/devices/gprmon-navuart" "$root" "${GPRMON_NAVUART_MODE:-fix}" &
nav=$!
trap 'kill $pic $usb $nav 2>/dev/null; wait $pic $usb $nav 2>/dev/null; exit 0' TERM INT
wait
