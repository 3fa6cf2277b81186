#!/bin/sh
# Started by sim/launch.sh as: cusim.sh BUILD_DIR ROOT. Runs the simulated CU on the sandbox's
# Unix link until killed; its ground truth and log stay in ROOT/sim/.
build=$1
root=$2
[ -z "${CUSIM_DISABLE:-}" ] || exit 0   # the veth harness runs its own cusim on libpcap
exec "$build/sim/cu/cusim" --link "unix:$root/sim/cu.sock" --truth "$root/sim/cusim-truth.bin" \
    ${CUSIM_OPTIONS:-} >"$root/sim/cusim.log" 2>&1
