#!/bin/sh
# devices.sh BUILD_DIR ROOT: the monitor's power controller, USB GPS receiver and serial-port
# GPS driver for the sandbox ROOT, until this script is killed. GPRMON_USBGPS_MODE and
# GPRMON_NAVUART_MODE (fix, nofix, garbage, badcs, silent) choose what the receivers send;
# ROOT/sim/usbgps/mode and ROOT/sim/navuart/mode change it while running. Ready once the
# three device nodes exist; a stand-in that ends before that ends this script with its status.
set -u
build=$1
root=$2
. "$(dirname "$0")/_lib.sh"
log="$root/sim/devices.log"
launch_describe "$root" devices "$log" "$build/sim/devices/gprmon-picdrv|gprmon-usbgps|gprmon-navuart" "$root"
"$build/sim/devices/gprmon-picdrv" "$root" >>"$log" 2>&1 &
pic=$!
"$build/sim/devices/gprmon-usbgps" "$root" "${GPRMON_USBGPS_MODE:-fix}" >>"$log" 2>&1 &
usb=$!
"$build/sim/devices/gprmon-navuart" "$root" "${GPRMON_NAVUART_MODE:-fix}" >>"$log" 2>&1 &
nav=$!
trap 'kill $pic $usb $nav 2>/dev/null; wait $pic $usb $nav 2>/dev/null; exit 0' TERM INT
for pid_path in "$pic:$root/dev/picdrv" "$usb:$root/dev/ttyUSB0" "$nav:$root/dev/navuart"; do
    if ! launch_wait_paths "${pid_path%%:*}" "${pid_path#*:}"; then
        wait "${pid_path%%:*}"
        status=$?
        kill $pic $usb $nav 2>/dev/null
        exit $((status == 0 ? 1 : status))
    fi
done
launch_ready "$root" devices
wait
