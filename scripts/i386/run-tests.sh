#!/bin/sh
# make test-i386: builds the monitor and its tests for the device's 32-bit x86 (Release) inside a
# Debian i386 root and runs CTest there.
#
# The root is made once by debootstrap from Debian's own packages and cached in
# $GPRMON_I386_CACHE (default ~/.cache/gprmon-i386); each run installs what the package lists in
# scripts/deps/ newly name through scripts/install-deps.sh inside it, so it costs minutes once made.
# Everything runs in a private mount namespace: the bind mounts of /proc, /dev, /sys, the source
# tree and the caches exist only there and vanish with it, however the run ends (failure, Ctrl-C,
# SIGKILL), so no mount is ever left behind on the host. Needs root (chroot, mount).
#   scripts/i386/run-tests.sh [CTEST-ARGS...]     e.g.  -R Files   or   -L link
#   scripts/i386/run-tests.sh --root-only          only make the root and install the packages
#                                                  (CI starts this early, in the background)
set -eu
root_only=""
if [ "${1:-}" = "--root-only" ]; then
    root_only=1
    shift
fi
src=$(cd "$(dirname "$0")/../.." && pwd)
cache=${GPRMON_I386_CACHE:-$HOME/.cache/gprmon-i386}
root=$cache/root
mirror=${GPRMON_I386_MIRROR:-http://deb.debian.org/debian}
suite=bookworm
jobs=${JOBS:-$(nproc)}
# The Release tests mostly wait on the simulated CU's real time (the whole suite takes about five
# minutes of CPU), so CTest runs twice as many at once as the build does.
ctest_jobs=${GPRMON_I386_CTEST_JOBS:-$((2 * jobs))}
# The build's niceness: by default it yields to whatever else the machine does.
build_nice=${GPRMON_I386_NICE:-19}

[ "$(id -u)" -eq 0 ] || { echo "test-i386: needs root (debootstrap, chroot, mount)" >&2; exit 1; }

if [ -z "${GPRMON_I386_INSIDE:-}" ]; then
    mkdir -p "$cache"
    GPRMON_I386_INSIDE=1 exec unshare --mount --propagation private -- "$0" ${root_only:+--root-only} "$@"
fi

# --- inside the private mount namespace from here on ---
stamp() { date -u +%H:%M:%S; }
log() { echo "test-i386 $(stamp): $*"; }

# One run at a time changes the root (exclusive lock); runs that only build and test in it share.
exec 9>"$cache/lock"
flock -x 9

if [ ! -e "$root/.gprmon-root" ]; then
    log "making the Debian $suite i386 root in $root (once)"
    rm -rf "$root.new"
    debootstrap --arch=i386 --variant=minbase "$suite" "$root.new" "$mirror"
    cat > "$root.new/etc/apt/sources.list" <<SOURCES
deb $mirror $suite main
deb $mirror $suite-updates main
deb http://deb.debian.org/debian-security $suite-security main
SOURCES
    # No services start inside the root while packages are installed.
    printf '#!/bin/sh\nexit 101\n' > "$root.new/usr/sbin/policy-rc.d"
    chmod 755 "$root.new/usr/sbin/policy-rc.d"
    touch "$root.new/.gprmon-root"
    rm -rf "$root"
    mv "$root.new" "$root"
fi

mkdir -p "$cache/ccache" "$root/src" "$root/ccache" "$root/opt/gprmon-deps"
tmp=$(mktemp -d "$cache/tmp.XXXXXX")
trap 'rm -rf "$tmp"' EXIT INT TERM

# The root is a mount point of its own (ip netns exec remounts "/"), with a private /run.
mount --bind "$root" "$root"
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
mount -t tmpfs run "$root/run"
mount --bind "$tmp" "$root/tmp"
chmod 1777 "$root/tmp"
mount --bind "$cache/ccache" "$root/ccache"
mount --bind "$src" "$root/src"
cp /etc/resolv.conf "$root/etc/resolv.conf"

# setarch: uname reports i686 inside, as on the device (the kernel module's build takes its
# architecture from it).
in_root() {
    setarch i686 chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        TERM="${TERM:-dumb}" "$@"
}

# The project's own installer, run on the root's copy of the lists: what a fresh device would get.
rm -rf "$root/opt/gprmon-deps"/*
cp -R "$src/scripts/install-deps.sh" "$src/scripts/deps" "$root/opt/gprmon-deps/"
log "installing the project's packages in the root"
in_root sh /opt/gprmon-deps/install-deps.sh
if [ -n "$root_only" ]; then
    log "root ready"
    exit 0
fi
flock -s 9

log "Release build in build-i386/"
in_root sh -c "cd /src &&
    CCACHE_DIR=/ccache CCACHE_BASEDIR=/src cmake -S . -B build-i386 -DCMAKE_BUILD_TYPE=Release \
        -DGPRMON_BENCH=OFF -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null &&
    CCACHE_DIR=/ccache CCACHE_BASEDIR=/src nice -n $build_nice cmake --build build-i386 -j$jobs"

log "ctest in the i386 root"
status=0
in_root sh -c 'cd /src/build-i386 && exec ctest --output-on-failure -j"$0" "$@"' "$ctest_jobs" "$@" || status=$?
# Why each skipped test skipped: the line after GoogleTest's "Skipped" in its recorded output.
awk '/^[0-9]+\/[0-9]+ Test: / { name = $3 }
     skip && NF { print "test-i386: skipped " name ": " $0; skip = 0 }
     /: Skipped$/ { skip = 1 }' "$src/build-i386/Testing/Temporary/LastTest.log"
log "done (ctest status $status)"
exit $status
