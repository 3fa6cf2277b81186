#!/bin/sh
# veth-harness.sh BUILD_DIR [--truth FILE] [--cusim "OPTIONS"] [--] [COMMAND ARGS...]
#
# The CU link over a real wire: two network namespaces joined by a veth pair. In the monitor's
# namespace the pair's end is named eth0 (as on the device; an unconnected wlan0 stands beside it); in the CU's namespace its end is
# cu0, where cusim runs with libpcap (--link pcap:cu0). COMMAND then runs in the monitor's
# namespace with GPRMON_LINK=pcap:eth0, so the monitor uses libpcap on eth0 as on the device.
# Without a COMMAND it runs sim/launch.sh BUILD_DIR (gprmon in a fresh sandbox; the Unix-link
# cusim of sim/launch.d is not started). Inside, CUSIM_HARNESS_TRUTH names the ground truth,
# CUSIM_HARNESS_CU_MAC the CU's MAC and CUSIM_HARNESS_OPTIONS the options cusim runs with.
# Everything made here is removed when the script ends.
# Needs root (network namespaces). Exit status: the COMMAND's.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: veth-harness.sh BUILD_DIR [--truth FILE] [--cusim OPTIONS] [-- COMMAND...]}" && pwd)
shift
truth=""
cusim_options=""
while [ $# -gt 0 ]; do
    case "$1" in
        --truth) truth=$2; shift 2 ;;
        --cusim) cusim_options=$2; shift 2 ;;
        --) shift; break ;;
        *) break ;;
    esac
done
if [ "$(id -u)" != 0 ]; then
    echo "veth-harness: needs root for network namespaces" >&2
    exit 77
fi
tag=$$
mon=gprmon-mon-$tag
cu=gprmon-cu-$tag
[ -n "$truth" ] || truth=/tmp/cusim-veth-$tag.truth
log=/tmp/cusim-veth-$tag.log
cu_mac=02:c5:00:00:00:01
cusim_pid=""

status=1
cleanup() {
    if [ -n "$cusim_pid" ]; then
        kill "$cusim_pid" 2>/dev/null || true
        wait "$cusim_pid" 2>/dev/null || true
    fi
    [ "$status" != 0 ] || rm -f "$log"   # kept for a look after a failure
    ip netns del "$mon" 2>/dev/null || true
    ip netns del "$cu" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

ip netns add "$mon"
ip netns add "$cu"
ip link add "vm$tag" type veth peer name "vc$tag"
ip link set "vm$tag" netns "$mon"
ip link set "vc$tag" netns "$cu"
ip -n "$mon" link set "vm$tag" name eth0
ip -n "$cu" link set "vc$tag" name cu0
ip -n "$mon" link set eth0 address 02:00:5e:10:00:01
# The device also has a wireless interface; an unconnected one stands for it.
if ip -n "$mon" link add wlan0 type dummy 2>/dev/null ||
   ip -n "$mon" link add wlan0 type veth peer name wlan0peer 2>/dev/null; then
    ip -n "$mon" link set wlan0 address 02:00:5e:10:00:02
fi
ip -n "$cu" link set cu0 address "$cu_mac"
for ns in "$mon" "$cu"; do ip -n "$ns" link set lo up; done
ip -n "$mon" link set eth0 up
ip -n "$cu" link set cu0 up
# A veth offloads segmentation and receive coalescing, and libpcap then gives every captured
# frame a slot for 64 KiB in its ring: a few hundred frames fill the monitor's capture buffer.
# A real NIC of the device's kind delivers plain frames; so does the veth without offloads.
if command -v ethtool >/dev/null; then
    ip netns exec "$mon" ethtool -K eth0 gro off gso off tso off >/dev/null 2>&1 || true
    ip netns exec "$cu" ethtool -K cu0 gro off gso off tso off >/dev/null 2>&1 || true
fi
# No IPv6 chatter on the wire: the link carries the CU protocol only.
ip netns exec "$mon" sh -c 'echo 1 >/proc/sys/net/ipv6/conf/eth0/disable_ipv6' 2>/dev/null || true
ip netns exec "$cu" sh -c 'echo 1 >/proc/sys/net/ipv6/conf/cu0/disable_ipv6' 2>/dev/null || true

# shellcheck disable=SC2086  # the options are meant to be split
ip netns exec "$cu" "$build/sim/cu/cusim" --link pcap:cu0 --truth "$truth" $cusim_options >"$log" 2>&1 &
cusim_pid=$!
sleep 0.3
if ! kill -0 "$cusim_pid" 2>/dev/null; then
    echo "veth-harness: cusim did not start:" >&2
    cat "$log" >&2
    exit 1
fi
echo "veth-harness: cusim on cu0 ($cu_mac) in $cu, log $log; monitor side eth0 in $mon"

status=0
if [ $# -gt 0 ]; then
    ip netns exec "$mon" env GPRMON_LINK=pcap:eth0 CUSIM_HARNESS_TRUTH="$truth" \
        CUSIM_HARNESS_CU_MAC="$cu_mac" CUSIM_HARNESS_OPTIONS="$cusim_options" "$@" || status=$?
else
    ip netns exec "$mon" env GPRMON_LINK=pcap:eth0 CUSIM_DISABLE=1 CUSIM_HARNESS_TRUTH="$truth" \
        CUSIM_HARNESS_CU_MAC="$cu_mac" "$here/../launch.sh" "$build" || status=$?
fi
exit $status
