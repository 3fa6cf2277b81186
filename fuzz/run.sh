#!/bin/sh
# Runs every fuzz target of BUILD_DIR for SECONDS each (default 15) on a scratch copy of its
# committed corpus (fuzz/corpus/<name>/), two at a time. Fails when a target finds a crash, a
# leak, a sanitizer report or a time-out; the reproducer is kept in BUILD_DIR/fuzz-findings/.
#   fuzz/run.sh BUILD_DIR [SECONDS] [NAME...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
secs=${2:-15}
[ $# -ge 2 ] && shift 2 || shift 1
names=${*:-$(cd "$build/fuzz" && ls fuzz_* | sed 's/^fuzz_//' | sort)}
found="$build/fuzz-findings"
mkdir -p "$found"
work=$(mktemp -d /tmp/gprmon-fuzz-run.XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM

run_one() {
    name=$1
    mkdir -p "$work/$name" "$found/$name"
    [ -d "$here/corpus/$name" ] && cp "$here/corpus/$name"/* "$work/$name/" 2>/dev/null || true
    if ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/fuzz/fuzz_$name" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
        -max_len=8192 -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$found/$name/" "$work/$name" \
        > "$work/$name.log" 2>&1; then
        echo "fuzz $name: clean, $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$name.log" | grep -o '[0-9]*$') runs in ${secs} s"
    else
        echo "fuzz $name: FAILED"
        grep -A40 -m1 'ERROR:\|runtime error\|==ERROR\|deadly signal\|timeout' "$work/$name.log" | head -60
        echo "fuzz $name: reproducer in $found/$name/"
        return 1
    fi
}

status=0
set -- $names
while [ $# -gt 0 ]; do
    a=$1; shift
    b=${1:-}; [ $# -gt 0 ] && shift
    run_one "$a" > "$work/$a.out" 2>&1 & pa=$!
    pb=""
    if [ -n "$b" ]; then run_one "$b" > "$work/$b.out" 2>&1 & pb=$!; fi
    wait $pa || status=1
    cat "$work/$a.out"
    if [ -n "$pb" ]; then wait $pb || status=1; cat "$work/$b.out"; fi
done
exit $status
