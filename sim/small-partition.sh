#!/bin/sh
# small-partition.sh SIZE ROOT COMMAND...: runs COMMAND with the sandbox's data partition
# ROOT/dev/sda1 on a file system of SIZE bytes (tmpfs notation: 2m, 512k), as on a device
# whose data disk is small or nearly full. The file system is a tmpfs in a private user and
# mount namespace of this command, so nothing of the host is mounted; the partition's files
# are copied onto it first and back when COMMAND ends. Ends with COMMAND's status, or 97
# when the namespace cannot be made (no user namespaces on this host).
set -eu
[ $# -ge 3 ] || { echo "usage: small-partition.sh SIZE ROOT COMMAND..." >&2; exit 2; }
size=$1
root=$(cd "$2" && pwd -P)
shift 2
unshare --user --map-root-user --mount true 2>/dev/null || {
    echo "small-partition: user namespaces are not available here" >&2
    exit 97
}
exec unshare --user --map-root-user --mount sh -c '
    set -eu
    root=$1 size=$2
    shift 2
    part="$root/dev/sda1"
    keep=$(mktemp -d "$root/sim/sda1-files-XXXXXX")
    cp -a "$part/." "$keep/"
    mount -t tmpfs -o "size=$size,mode=755" gprmon-sda1 "$part"
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
' small-partition "$root" "$size" "$@"
