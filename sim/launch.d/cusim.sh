#!/bin/sh
# Started by sim/launch.sh as: cusim.sh BUILD_DIR ROOT. Runs the simulated CU on the sandbox's
# Unix link until killed; its ground truth and log stay in ROOT/sim/. Ready once the link's
# socket is bound; a cusim that ends first ends this script with its status.
build=$1
root=$2
. "$(dirname "$0")/_lib.sh"
if [ -n "${CUSIM_DISABLE:-}" ]; then
    launch_absent "$root" cusim "CUSIM_DISABLE is set (the veth harness runs its own cusim on libpcap)"
    exit 0
fi
sock="$root/sim/cu.sock"
log="$root/sim/cusim.log"
rm -f "$sock" "$sock.wlan0"
# The cart's wheel turns as the monitor's current wheel is calibrated, so that distances agree
# with the GPS track: its calibration from the sandbox's settings file, or that of the
# monitor's factory wheel (the "TK Pro Cart", config/xml_pars.cpp) on a fresh device.
# A --wheel-cal in CUSIM_OPTIONS wins.
wheel_cal() {
    xml="$root/dev/sda3/r5_parameters.xml"
    cal=""
    if [ -f "$xml" ]; then
        cal=$(awk '
            /<WHEELS/ { if (match($0, /current="[0-9]+"/)) cur = substr($0, RSTART + 9, RLENGTH - 10) }
            /<wheel / { idx = ""; if (match($0, /index="[0-9]+"/)) idx = substr($0, RSTART + 7, RLENGTH - 8) }
            /<wheel_calibration/ && idx == cur && match($0, /value="[0-9.]+"/) {
                print substr($0, RSTART + 7, RLENGTH - 8); exit
            }' "$xml")
    fi
    echo "${cal:-360.67}"
}
# The site with its pipe and object, unless the options bring their own scene; the cart walks
# the line ROOT/sim/cart.txt names at each start (none: the plain line y = 0). The monitor's
# wlan0 reaches the same CU on the second socket.
set -- "$build/sim/cu/cusim" --link "unix:$sock" --wlan-link "unix:$sock.wlan0" --truth "$root/sim/cusim-truth.bin" --cart "$root/sim/cart.txt"
case " ${CUSIM_OPTIONS:-} " in
*" --scene "*) ;;
*) set -- "$@" --scene "$(dirname "$0")/../cu/site.scene" ;;
esac
case " ${CUSIM_OPTIONS:-} " in
*" --wheel-cal "*) ;;
*) set -- "$@" --wheel-cal "$(wheel_cal)" ;;
esac
set -- "$@" ${CUSIM_OPTIONS:-}
launch_describe "$root" cusim "$log" "$@"
"$@" >"$log" 2>&1 &
cu=$!
trap 'kill $cu 2>/dev/null; wait $cu 2>/dev/null; exit 0' TERM INT
if launch_wait_paths $cu "$sock"; then launch_ready "$root" cusim; fi
wait $cu
