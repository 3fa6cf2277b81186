# Shared by the scripts of sim/launch.d (sourced, not run). Each simulated device tells the
# launcher how it was started and when it is ready, through files in ROOT/sim/launch/:
#   NAME.cmd    the command line that started it
#   NAME.log    the path of its log
#   NAME.ready  made once the device serves its requests
#   NAME.absent a device that is legitimately not started (one line saying why)
# The launcher waits for every script to be ready; a script that ends before that is
# reported with its status, its command and the last lines of its log.

launch_dir() { mkdir -p "$1/sim/launch" && echo "$1/sim/launch"; }

# launch_describe ROOT NAME LOG COMMAND...
launch_describe() {
    d=$(launch_dir "$1") name=$2 log=$3
    shift 3
    echo "$*" > "$d/$name.cmd"
    echo "$log" > "$d/$name.log"
}

launch_ready() { touch "$(launch_dir "$1")/$2.ready"; }

# launch_absent ROOT NAME REASON
launch_absent() { echo "$3" > "$(launch_dir "$1")/$2.absent"; }

# launch_wait_paths PID PATH...: waits until every PATH exists (0) or PID has ended (1).
launch_wait_paths() {
    pid=$1
    shift
    while :; do
        all=1
        for p in "$@"; do [ -e "$p" ] || all=0; done
        [ $all -eq 0 ] || return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.05
    done
}
