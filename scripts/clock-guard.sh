# Watches the real clock across a long run: sourced by the test command.
#   clock_guard_begin     remembers the wall clock and the monotonic clock
#   clock_guard_check     fails (status 1, with a message) when the wall clock
#                         moved more than QUARNEL_CLOCK_TOLERANCE seconds
#                         (default 2) away from the monotonic clock since then
# A step of the real clock moves the wall clock only; the monotonic clock
# (/proc/uptime) keeps counting elapsed time, so the difference between the
# two is the step. The wall clock is read through `date`, as any user would.

clock_guard_wall_ms() { echo $(( $(date +%s%N) / 1000000 )); }

clock_guard_monotonic_ms() {
    local uptime
    read -r uptime _ </proc/uptime
    # /proc/uptime has two decimals: seconds.centiseconds
    echo $(( ${uptime%.*} * 1000 + 10#${uptime#*.} * 10 ))
}

clock_guard_begin() {
    clock_guard_wall_start=$(clock_guard_wall_ms)
    clock_guard_monotonic_start=$(clock_guard_monotonic_ms)
}

clock_guard_check() {
    local wall=$(( $(clock_guard_wall_ms) - clock_guard_wall_start ))
    local monotonic=$(( $(clock_guard_monotonic_ms) - clock_guard_monotonic_start ))
    local drift=$(( wall - monotonic ))
    local tolerance_ms=$(( ${QUARNEL_CLOCK_TOLERANCE:-2} * 1000 ))
    if [ "${drift#-}" -gt "$tolerance_ms" ]; then
        echo "The real clock moved by about $drift ms against elapsed time during the run." >&2
        return 1
    fi
    echo "Real clock: kept pace with elapsed time (difference $drift ms)."
}
