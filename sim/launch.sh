#!/bin/sh
# launch.sh BUILD_DIR: makes a fresh sandbox device and runs gprmon in it.
#
# With DISPLAY set the monitor opens a 1024 x 768 window; without one it runs headless with
# SDL's dummy video driver. Ctrl-C (SIGINT) or SIGTERM ends it through the power-off
# sequence. GPRMON_SANDBOX chooses the sandbox folder (default: a new one under /tmp).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
root=${GPRMON_SANDBOX:-$(mktemp -d /tmp/gprmon-sandbox-XXXXXX)}
root=$("$here/make-sandbox.sh" "$root")
export GPRMON_ROOT="$root"
export GPRMON_STANDINS="$here/standins"
[ -n "${DISPLAY:-}" ] || export SDL_VIDEODRIVER=dummy
# The monitor reaches the simulated CU over a Unix datagram socket in the sandbox.
export GPRMON_LINK=${GPRMON_LINK:-unix:$root/sim/cu.sock}
echo "sandbox: $root"
echo "  data partition: $root/dev/sda1   USB stick: $root/mnt/usb   records: $root/sim"
# Simulated devices started with the monitor: sim/launch.d/*.sh BUILD_DIR ROOT, each
# running in the foreground until killed (the CU simulator, power controller, GPS receiver).
pids=""
for s in "$here"/launch.d/*.sh; do
    [ -x "$s" ] || continue
    "$s" "$build" "$root" &
    pids="$pids $!"
done
cd "$root/work"
status=0
"$build/gprmon" || status=$?
for p in $pids; do kill "$p" 2>/dev/null || true; done
echo "gprmon ended with status $status; sandbox kept at $root"
exit $status
