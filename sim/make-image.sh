#!/bin/sh
# make-image.sh OUT VERSION [MARKER] [PAD_KB]: writes a simulated system image to OUT.
#
# On the device "ram10img.gz" is a compressed file-system image; in the simulation it is a
# gzip-compressed tar archive of the same tree, which the mount stand-in unpacks when the
# image was written onto a partition (sim/standins/_lib.sh):
#   root/mon1/MARKER      the version marker, VERSION exactly as given (no line end);
#                         MARKER defaults to fTKVER_012, the marker of upgrade variant 0
#   boot/vmlinuz          the kernel ("simulated kernel VERSION")
#   boot/grub/grub.conf   the boot-loader configuration
#   root/pad              PAD_KB kilobytes of incompressible filler (default 0), for images
#                         that do not fit a partition
set -eu
out=${1:?usage: make-image.sh OUT VERSION [MARKER] [PAD_KB]}
version=${2?usage: make-image.sh OUT VERSION [MARKER] [PAD_KB]}
marker=${3:-fTKVER_012}
pad=${4:-0}
case "$marker" in */*|.*|"") echo "make-image: bad marker name $marker" >&2; exit 2 ;; esac
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/root/mon1" "$tree/boot/grub"
printf '%s' "$version" > "$tree/root/mon1/$marker"
echo "simulated kernel $version" > "$tree/boot/vmlinuz"
printf 'default 0\ntimeout 0\ntitle gprmon %s\nkernel /boot/vmlinuz\ninitrd /boot/ram10img.gz\n' "$version" \
    > "$tree/boot/grub/grub.conf"
if [ "$pad" -gt 0 ]; then
    head -c $((pad * 1024)) /dev/urandom > "$tree/root/pad"
fi
tar -C "$tree" -cf - root boot | gzip -n > "$out.part"
mv -f "$out.part" "$out"
