#!/bin/sh
# upgrade-stick.sh ROOT [--device NAME] [--version V] [--marker NAME] [--pad KB]
#                       [--corrupt] [--not-a-file-system]
# Inserts a software-upgrade stick into the sandbox ROOT (sim/usb-stick.sh) holding the
# system image "ram10img.gz" of version V (default 12.30000, newer than the running
# 12.224411) made by sim/make-image.sh. --corrupt writes an image that does not unpack
# (zcat fails); --not-a-file-system one that unpacks to bytes that do not mount. Settings
# ("r5_parameters.xml"), the Chinese font ("ier.ttf") and CU firmware files
# ("R5_Master.elf", "R5_Tavro_FPGA.bit", "R5_USA_PIC.hex") are copied onto the folder the
# script prints. Prints the stick's folder.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=${1:?usage: upgrade-stick.sh ROOT [options]}
shift
dev=sdb1 version=12.30000 marker=fTKVER_012 pad=0 kind=good
while [ $# -gt 0 ]; do
    case "$1" in
        --device) dev=${2:?}; shift ;;
        --version) version=${2?}; shift ;;
        --marker) marker=${2:?}; shift ;;
        --pad) pad=${2:?}; shift ;;
        --corrupt) kind=corrupt ;;
        --not-a-file-system) kind=nofs ;;
        *) echo "upgrade-stick: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
stick=$("$here/usb-stick.sh" "$root" "$dev")
case $kind in
    good) "$here/make-image.sh" "$stick/ram10img.gz" "$version" "$marker" "$pad" ;;
    corrupt) "$here/make-image.sh" "$stick/ram10img.gz" "$version" "$marker" "$pad"
             # The tail of the compressed stream is cut off: zcat stops with an error.
             size=$(wc -c < "$stick/ram10img.gz")
             head -c $((size / 2)) "$stick/ram10img.gz" > "$stick/ram10img.gz.cut"
             mv -f "$stick/ram10img.gz.cut" "$stick/ram10img.gz" ;;
    nofs) head -c 4096 /dev/urandom | gzip -n > "$stick/ram10img.gz" ;;
esac
echo "$stick"
