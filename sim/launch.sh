#!/bin/sh
# launch.sh BUILD_DIR: makes a fresh sandbox device and runs gprmon in it.
#
# With DISPLAY set the monitor opens a 1024 x 768 window; without one it runs headless with
# SDL's dummy video driver. Ctrl-C (SIGINT) or SIGTERM ends it through the power-off
# sequence. GPRMON_SANDBOX chooses the sandbox folder (default: a new one under /tmp);
# GPRMON_NEVER_SHUT_DOWN=1 lays a new sandbox out as a device that was never shut down.
#
# The simulated devices (sim/launch.d/*.sh BUILD_DIR ROOT, each running in the foreground
# until killed) are started first and the monitor only once every one is ready (see
# sim/launch.d/_lib.sh). A device that ends during start-up is reported with its status, its
# command and the last lines of its log, and the launcher ends with status 3 without
# starting the monitor; a device that is legitimately absent is named once.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
root=${GPRMON_SANDBOX:-$(mktemp -d /tmp/gprmon-sandbox-XXXXXX)}
layout=""
[ "${GPRMON_NEVER_SHUT_DOWN:-0}" != 1 ] || layout=--never-shut-down
root=$("$here/make-sandbox.sh" $layout "$root")
export GPRMON_ROOT="$root"
export GPRMON_STANDINS="$here/standins"
[ -n "${DISPLAY:-}" ] || export SDL_VIDEODRIVER=dummy
# The monitor reaches the simulated CU over a Unix datagram socket in the sandbox.
export GPRMON_LINK=${GPRMON_LINK:-unix:$root/sim/cu.sock}
echo "sandbox: $root"
echo "  data partition: $root/dev/sda1   USB stick: $root/mnt/usb   records: $root/sim"
state="$root/sim/launch"
rm -rf "$state"
mkdir -p "$state"
pids="" names=""
for s in "$here"/launch.d/*.sh; do
    [ -x "$s" ] || continue
    "$s" "$build" "$root" &
    pids="$pids $!"
    names="$names $(basename "$s" .sh)"
done
stop_devices() {
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    for p in $pids; do wait "$p" 2>/dev/null || true; done
}

# report NAME STATUS: a device that ended before it was ready.
report() {
    case $2 in [0-9]*) echo "launch: simulated device '$1' ended during start-up with status $2" >&2 ;; esac
    [ ! -f "$state/$1.cmd" ] || echo "  command: $(cat "$state/$1.cmd")" >&2
    log=$(cat "$state/$1.log" 2>/dev/null || true)
    if [ -n "$log" ] && [ -f "$log" ]; then
        echo "  last lines of $log:" >&2
        tail -n 12 "$log" | sed 's/^/    /' >&2
    fi
}

# Wait for every device: ready, absent (ended with 0 and said why), or failed.
set -- $names
for p in $pids; do
    name=$1
    shift
    tries=0
    while [ ! -e "$state/$name.ready" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 2400 ]; then
            echo "launch: simulated device '$name' was not ready after 2 minutes" >&2
            report "$name" "(still running)"
            stop_devices
            exit 3
        fi
        if ! kill -0 "$p" 2>/dev/null; then
            status=0
            wait "$p" || status=$?
            if [ $status -eq 0 ] && [ -f "$state/$name.absent" ]; then
                echo "launch: $name not started: $(cat "$state/$name.absent")"
                break
            fi
            report "$name" $status
            stop_devices
            echo "launch: the monitor is not started; sandbox kept at $root" >&2
            exit 3
        fi
        sleep 0.05
    done
done

cd "$root/work"
status=0
"$build/gprmon" || status=$?
stop_devices
echo "gprmon ended with status $status; sandbox kept at $root"
exit $status
