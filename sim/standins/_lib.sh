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
