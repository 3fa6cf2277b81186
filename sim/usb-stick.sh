#!/bin/sh
# usb-stick.sh ROOT [DEVICE]: inserts a USB stick into the sandbox ROOT as block device
# DEVICE (default sdb1; scd0 is the CD drive): the device's folder ROOT/dev/DEVICE appears,
# empty if new. The monitor's mount tries it as vfat (ROOT/sim/DEVICE.fstype overrides the
# type). Removing the folder pulls the stick out; `touch ROOT/sim/DEVICE.unmountable` makes
# it unreadable. Prints the folder.
set -eu
root=${1:?usage: usb-stick.sh ROOT [DEVICE]}
dev=${2:-sdb1}
case "$dev" in
    sda[1-4]) echo "usb-stick: $dev is the monitor's own flash disk" >&2; exit 2 ;;
    sd[a-z][0-9]|scd[0-9]) ;;
    *) echo "usb-stick: $dev is not a stick's device name (sdX1 or scd0)" >&2; exit 2 ;;
esac
root=$(cd "$root" && pwd -P)
mkdir -p "$root/dev/$dev" "$root/sim"
echo "$root/dev/$dev"
