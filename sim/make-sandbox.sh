#!/bin/sh
# make-sandbox.sh ROOT: lays out a fresh simulated device under ROOT.
#
#   ROOT/dev/sda1..sda4   the four partitions, each a folder (its contents)
#   ROOT/mnt/hda1..hda4   mount points; mounting links a partition folder here
#   ROOT/mnt/usb          the USB stick (a plain folder, always present)
#   ROOT/etc/hostapd      the access point's configuration folder
#   ROOT/mnt/hda2/root    on the boot partition: the binary parameter store
#   ROOT/work             the program's working folder, with images/ and fonts
#   ROOT/sim              the simulation's own records (commands.log, stand-in logs)
#   ROOT/sys/class/net    own MAC addresses of the simulated eth0 and wlan0
#
# The factory partition (sda4) holds the Chinese font (sandbox.d/gui-assets.sh). It holds no
# factory settings file: the program then starts from its built-in defaults, as a device
# whose factory copy was lost would. Partitions start as freshly made file systems with no marker, as on a
# device that has never been shut down.
set -eu
root=${1:?usage: make-sandbox.sh ROOT}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$root"
root=$(cd "$root" && pwd -P)
for n in 1 2 3 4; do
    mkdir -p "$root/dev/sda$n/lost+found" "$root/mnt/hda$n"
done
mkdir -p "$root/dev/sda2/root" "$root/mnt/usb" "$root/etc/hostapd" "$root/work/images" "$root/sim"
# Assets the build generated or the sources ship (later issues add theirs here).
if [ -n "${GPRMON_ASSETS:-}" ] && [ -d "$GPRMON_ASSETS" ]; then
    cp -R "$GPRMON_ASSETS"/. "$root/work/"
fi
# The own MAC addresses of the simulated interfaces (read like /sys/class/net/IF/address).
for ifc in eth0:02:00:5e:10:00:01 wlan0:02:00:5e:10:00:02; do
    mkdir -p "$root/sys/class/net/${ifc%%:*}"
    echo "${ifc#*:}" > "$root/sys/class/net/${ifc%%:*}/address"
done
# Contributions of the simulated devices and the GUI assets: sim/sandbox.d/*.sh ROOT.
for s in "$here"/sandbox.d/*.sh; do
    if [ -x "$s" ]; then "$s" "$root"; fi
done
echo "$root"
