#!/bin/sh
# small-partition.sh [--device NAME] SIZE ROOT COMMAND...: runs COMMAND with the sandbox's
# data partition ROOT/dev/sda1 (or the device NAME, such as the USB stick sdb1) on a file
# system of SIZE bytes (tmpfs notation: 2m, 512k), as on a device whose data disk is small
# or nearly full, or with a stick that fills up during a copy. The file system is a tmpfs in
# a private user and mount namespace of this command, so nothing of the host is mounted; the
# partition's files are copied onto it first and back when COMMAND ends. Ends with COMMAND's status, or 97
# when the namespace cannot be made (no user namespaces on this host).
set -eu
device=sda1
if [ "${1:-}" = "--device" ]; then device=${2:?}; shift 2; fi
case "$device" in */*|.*|"") echo "small-partition: bad device name $device" >&2; exit 2 ;; esac
[ $# -ge 3 ] || { echo "usage: small-partition.sh [--device NAME] SIZE ROOT COMMAND..." >&2; exit 2; }
size=$1
root=$(cd "$2" && pwd -P)
shift 2
unshare --user --map-root-user --mount true 2>/dev/null || {
    echo "small-partition: user namespaces are not available here" >&2
    exit 97
}
exec unshare --user --map-root-user --mount sh -c '
    set -eu
    root=$1 size=$2 device=$3
    shift 3
    part="$root/dev/$device"
    mkdir -p "$part"
    keep=$(mktemp -d "$root/sim/$device-files-XXXXXX")
    cp -a "$part/." "$keep/"
    mount -t tmpfs -o "size=$size,mode=755" "gprmon-$device" "$part"
    cp -a "$keep/." "$part/"
    status=0
    "$@" || status=$?
    find "$keep" -mindepth 1 -maxdepth 1 -exec rm -rf -- {} +
    cp -a "$part/." "$keep/"
    umount "$part"
    find "$part" -mindepth 1 -maxdepth 1 -exec rm -rf -- {} +
    cp -a "$keep/." "$part/"
    rm -rf -- "$keep"
    exit $status
' small-partition "$root" "$size" "$device" "$@"
