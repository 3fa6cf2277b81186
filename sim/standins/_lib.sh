# Shared by the stand-ins of device-only tools. They act on the sandbox named by
# GPRMON_ROOT only: a partition is a folder ($GPRMON_ROOT/dev/sdaN), mounting makes it
# appear at its mount point (a symbolic link), and every call is logged.
set -u
if [ -z "${GPRMON_ROOT:-}" ] || [ ! -d "$GPRMON_ROOT" ]; then
    echo "$(basename "$0") (stand-in): GPRMON_ROOT is not a sandbox folder; refusing" >&2
    exit 99
fi
ROOT=$(cd "$GPRMON_ROOT" && pwd -P)
SIMDIR="$ROOT/sim"
mkdir -p "$SIMDIR"

standin_log() {
    echo "$(basename "$0") $*" >> "$SIMDIR/standins.log"
}

# inside_root PATH: true when PATH (resolved as far as it exists) lies in the sandbox.
inside_root() {
    p=$(realpath -m -- "$1" 2>/dev/null) || return 1
    case "$p" in
        "$ROOT"|"$ROOT"/*) return 0 ;;
    esac
    return 1
}

require_inside() {
    for a in "$@"; do
        if ! inside_root "$a"; then
            echo "$(basename "$0") (stand-in): $a is outside the sandbox; refusing" >&2
            standin_log "REFUSED $a"
            exit 98
        fi
    done
}

# The partition folder a mount point shows, if mounted.
mounted_dev() {
    [ -L "$1" ] && readlink -- "$1"
}

# apply_written_image DEVICE NAME: a whole file-system image written onto the device (by
# "zcat IMAGE >/dev/NAME", which in simulation lands in ROOT/sim/NAME.image) becomes the
# partition's contents at its next mount. In simulation an image is a tar archive; anything
# else is a damaged file system that does not mount until mke2fs makes a new one.
apply_written_image() {
    img="$SIMDIR/$2.image"
    [ -e "$img" ] || return 0
    if ! tar -tf "$img" >/dev/null 2>&1; then
        echo "mount: $1: can't read superblock" >&2
        return 1
    fi
    find "$1" -mindepth 1 -maxdepth 1 -exec rm -rf -- {} +
    tar -xf "$img" -C "$1" --no-same-owner --no-same-permissions 2>/dev/null || {
        echo "mount: $1: can't read superblock" >&2
        return 1
    }
    rm -f -- "$img"
    return 0
}
