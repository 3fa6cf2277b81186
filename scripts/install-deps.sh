#!/bin/sh
# Installs every Debian package the build, the tests and the simulation need.
# The package lists live in scripts/deps/*.txt (one package a line, '#' starts a comment;
# "name [ARCH]" installs name only where dpkg's architecture is ARCH).
# Idempotent: when every package is already installed it only runs dpkg-query and exits.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
arch=$(dpkg --print-architecture)
pkgs=$(sed 's/#.*//' "$here"/deps/*.txt | awk -v arch="$arch" '
    NF == 0 { next }
    $2 ~ /^\[.*\]$/ { if ($2 != "[" arch "]") next; print $1; next }
    { for (i = 1; i <= NF; i++) print $i }' | sort -u)
missing=""
for p in $pkgs; do
    st=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$st" = "installed" ] || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "install-deps: installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync can fail one list (its size or hash changed under the
# download): apt keeps the lists it did fetch, and the install says plainly if a package is missing.
# A failed install is tried once more after a fresh update.
update() {
    $SUDO apt-get update -q || echo "install-deps: apt-get update failed for some lists; using the rest" >&2
}
update
if ! $SUDO apt-get install -y -q --no-install-recommends $missing; then
    update
    $SUDO apt-get install -y -q --no-install-recommends $missing
fi
