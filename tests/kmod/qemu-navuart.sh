#!/bin/sh
# qemu-navuart.sh SOURCE_DIR WORK_DIR: loads the navuart module into a Debian kernel under
# qemu (software emulation) and checks it against sentences fed into the emulated COM1.
#
# The guest boots from an initramfs made here (busybox-static, navuart.ko built against the
# kernel's own headers, and the static probe tests/kmod/guest/navuart_probe.c). COM1
# (0x3F8, IRQ 4) is a pipe to this script; the console is COM2. The guest asks for each
# feed with "NAVUART-FEED n"; the probe reports "NAVUART-CHECK name ok|FAIL".
#
# Exit status: 0 every check passed, 1 a check failed or the guest did not finish,
# 77 skipped (a line "SKIP: why" says what is missing). Console: WORK_DIR/console.log.
set -u
src=$(cd "${1:?usage: qemu-navuart.sh SOURCE_DIR WORK_DIR}" && pwd)
work=${2:?usage: qemu-navuart.sh SOURCE_DIR WORK_DIR}
skip() { echo "SKIP: $*"; exit 77; }

qemu=$(command -v qemu-system-x86_64) || skip "qemu-system-x86_64 is not installed (package qemu-system-x86)"
busybox=$(command -v busybox || true)
[ -x /bin/busybox ] && busybox=/bin/busybox
[ -n "$busybox" ] && file -L "$busybox" 2>/dev/null | grep -q 'statically linked' || \
    { [ -n "$busybox" ] && ldd "$busybox" 2>&1 | grep -q 'not a dynamic'; } || \
    skip "no statically linked busybox (package busybox-static)"
command -v cpio >/dev/null || skip "cpio is not installed"
command -v cc >/dev/null || skip "no C compiler"
kernel=""
for k in /boot/vmlinuz-*; do
    v=${k#/boot/vmlinuz-}
    if [ -r "$k" ] && [ -d "/usr/src/linux-headers-$v" ]; then kernel=$k; kver=$v; fi
done
[ -n "$kernel" ] || skip "no readable /boot/vmlinuz-VERSION with matching /usr/src/linux-headers-VERSION (packages linux-image-amd64, linux-headers-amd64)"

rm -rf "$work"
mkdir -p "$work/mod" "$work/root"
work=$(cd "$work" && pwd)
cp "$src"/kmod/navuart/*.c "$src"/kmod/navuart/*.h "$src"/kmod/navuart/Kbuild "$src"/kmod/navuart/Makefile "$work/mod/"
if ! make -s -C "$work/mod" KDIR="/usr/src/linux-headers-$kver" > "$work/build.log" 2>&1; then
    cat "$work/build.log"; echo "FAIL: module build"; exit 1
fi
probe="$work/root/navuart_probe"
if ! cc -static -O2 -Wall -o "$probe" "$src/tests/kmod/guest/navuart_probe.c" > "$work/probe.log" 2>&1; then
    cat "$work/probe.log"; echo "FAIL: probe build"; exit 1
fi
mkdir -p "$work/root/bin" "$work/root/proc" "$work/root/sys" "$work/root/dev"
cp "$busybox" "$work/root/bin/busybox"
cp "$work/mod/navuart.ko" "$work/root/"
cp "$src/tests/kmod/guest/init.sh" "$work/root/init"
chmod +x "$work/root/init"
(cd "$work/root" && find . | cpio -o -H newc --quiet | gzip -1 > "$work/initrd.gz") || { echo "FAIL: initramfs"; exit 1; }

mkfifo "$work/com1.in" "$work/com1.out"
# Nothing reads what the guest sends on COM1; keep the pipe drained.
cat "$work/com1.out" > /dev/null &
drain=$!
: > "$work/console.log"
# The time-out only ends a guest that hangs: software emulation on a loaded host is slow.
timeout 900 "$qemu" -nographic -nodefaults -no-reboot -accel tcg -m 256 \
    -kernel "$kernel" -initrd "$work/initrd.gz" \
    -append "console=ttyS1 loglevel=4 panic=-1 rdinit=/init" \
    -serial "pipe:$work/com1" -serial stdio < /dev/null 2>&1 |
while IFS= read -r line; do
    line=$(printf '%s' "$line" | tr -d '\r')
    printf '%s\n' "$line" >> "$work/console.log"
    case $line in
    NAVUART-FEED*) "$probe" feed "${line#NAVUART-FEED }" > "$work/com1.in" ;;
    esac
done
kill "$drain" 2>/dev/null
wait "$drain" 2>/dev/null

grep -a 'NAVUART-CHECK\|GPS driver\|Com Port\|Interrupt handler\|Major number\|navuartr' "$work/console.log"
if grep -aq 'NAVUART-CHECK .* FAIL' "$work/console.log"; then echo "FAIL: a check failed"; exit 1; fi
grep -aq '^NAVUART-PROBE PASS' "$work/console.log" || { echo "FAIL: the probe did not finish (see $work/console.log)"; exit 1; }
grep -aq '^NAVUART-DONE' "$work/console.log" || { echo "FAIL: the guest did not finish"; exit 1; }
echo "PASS: navuart on Linux $kver"
