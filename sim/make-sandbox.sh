#!/bin/sh
# make-sandbox.sh [--never-shut-down] ROOT: lays out a fresh simulated device under ROOT.
#
#   ROOT/dev/sda1..sda4   the four partitions, each a folder (its contents)
#   ROOT/mnt/hda1..hda4   mount points; mounting links a partition folder here
#   ROOT/mnt/usb          the USB stick's mount point; a stick is inserted as the folder
#                         ROOT/dev/sdb1 (sim/usb-stick.sh) and mounted here by the monitor
#   ROOT/etc/hostapd      the access point's configuration folder
#   ROOT/mnt/hda2/root    on the boot partition: the binary parameter store
#   ROOT/work             the program's working folder, with images/ and fonts
#   ROOT/sim              the simulation's own records (commands.log, stand-in logs)
#   ROOT/sys/class/net    own MAC addresses of the simulated eth0 and wlan0
#
# The factory partition (sda4) holds the Chinese font (sandbox.d/gui-assets.sh). It holds no
# factory settings file: the program then starts from its built-in defaults, as a device
# whose factory copy was lost would.
#
# A new device leaves the factory shut down cleanly: its partitions are freshly made file
# systems and the system partition holds the clean-shutdown marker, so the first start shows
# no abnormal-shutdown warning. With --never-shut-down the marker is left out, as on a device
# that lost its power before its first orderly end. An existing sandbox keeps the state its
# last run left.
set -eu
never_shut_down=0
if [ "${1:-}" = "--never-shut-down" ]; then never_shut_down=1; shift; fi
root=${1:?usage: make-sandbox.sh [--never-shut-down] ROOT}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$root"
root=$(cd "$root" && pwd -P)
fresh=1
[ ! -d "$root/dev/sda3" ] || fresh=0
for n in 1 2 3 4; do
    mkdir -p "$root/dev/sda$n/lost+found" "$root/mnt/hda$n"
done
mkdir -p "$root/dev/sda2/root" "$root/mnt/usb" "$root/etc/hostapd" "$root/work/images" "$root/sim"
if [ $fresh -eq 1 ] && [ "$never_shut_down" != 1 ]; then
    touch "$root/dev/sda3/hda1_ok"
fi
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
