#!/bin/busybox sh
# /init of the qemu test's initramfs: load navuart, run the probe, power off.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
echo "NAVUART-BOOT"
/navuart_probe release /dev/ttyS0
# Major 250 first, as on the device. This kernel's own drivers may already hold it: then
# the load must fail cleanly and leave nothing behind, and the module is loaded with a
# free major instead.
if grep -q '^250 ' /proc/devices; then
    if insmod /navuart.ko; then
        echo "NAVUART-CHECK major-250-taken-refused FAIL"
        rmmod navuart
    elif grep -q navuart /proc/devices /proc/ioports; then
        echo "NAVUART-CHECK major-250-taken-refused FAIL (left registered)"
    else
        echo "NAVUART-CHECK major-250-taken-refused ok"
    fi
    insmod /navuart.ko major=0
else
    insmod /navuart.ko
fi
if [ $? -eq 0 ]; then
    echo "NAVUART-CHECK insmod ok"
    grep -q ' navuart$' /proc/ioports && echo "NAVUART-CHECK com1-claimed ok" || echo "NAVUART-CHECK com1-claimed FAIL"
    mknod /dev/navuart c "$(awk '$2 == "navuart" { print $1 }' /proc/devices)" 0
    /navuart_probe run
    rmmod navuart && echo "NAVUART-CHECK rmmod ok"
    grep -q navuart /proc/devices /proc/ioports && echo "NAVUART-CHECK unload-releases FAIL" || echo "NAVUART-CHECK unload-releases ok"
else
    echo "NAVUART-CHECK insmod FAIL"
    cat /proc/devices /proc/ioports /proc/interrupts
fi
echo "NAVUART-DONE"
poweroff -f
