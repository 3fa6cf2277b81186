#!/bin/sh
# system-image.sh ROOT: a new sandbox comes with its installed system, as from the factory:
#   ROOT/dev/sda4/ram10img.gz   the factory copy of the system image (version 12.224411)
#   ROOT/dev/sda2/boot/         the image, kernel and boot-loader configuration booted from
# An existing sandbox keeps what its upgrades left.
set -eu
root=${1:?usage: system-image.sh ROOT}
here=$(cd "$(dirname "$0")/.." && pwd)
[ ! -e "$root/dev/sda4/ram10img.gz" ] || exit 0
mkdir -p "$root/dev/sda4" "$root/dev/sda2/boot/grub"
"$here/make-image.sh" "$root/dev/sda4/ram10img.gz" 12.224411
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
tar -xzf "$root/dev/sda4/ram10img.gz" -C "$tree"
cp "$tree/boot/vmlinuz" "$root/dev/sda2/boot/vmlinuz"
cp "$tree/boot/grub/grub.conf" "$root/dev/sda2/boot/grub/grub.conf"
cp "$root/dev/sda4/ram10img.gz" "$root/dev/sda2/boot/ram10img.gz"
