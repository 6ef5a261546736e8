#!/usr/bin/env bash
# Builds Quarnel and runs it.
#  - With a display: opens the window, with run/ in this repository as its
#    current directory (Quarnel.ini and QuarnelHelp.html live there).
#  - Without one: starts it on a private Xvfb display in a scratch directory,
#    waits for the first clock tick, saves a screenshot, closes the window the
#    way a user would and says where the picture is.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

scripts/setup-debian.sh run
cmake --preset release -G "Unix Makefiles" >/dev/null
cmake --build build/release -j"$(nproc)" --target quarnel wmclose
program="$repo/build/release/src/app/quarnel"

# A folder with Quarnel.ini and QuarnelHelp.html is used as it is (portable
# use), so the settings of these runs stay in it instead of ~/.config. The
# program is linked, not copied, so that a capability given to the built file
# still applies.
prepare_directory() {
    mkdir -p "$1"
    cp resources/QuarnelHelp.html "$1/"
    [ -e "$1/Quarnel.ini" ] || : >"$1/Quarnel.ini"
    ln -sf "$program" "$1/quarnel"
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    prepare_directory "$repo/run"
    cd "$repo/run"
    exec ./quarnel
fi

scratch="$(mktemp -d /tmp/quarnel-run-XXXXXX)"
prepare_directory "$scratch"
# Xvfb picks a free display itself and writes its number into the pipe.
mkfifo "$scratch/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" \
    >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
read -r -t 15 display_number <"$scratch/display"
export DISPLAY=":$display_number"

(cd "$scratch" && exec ./quarnel) &
quarnel_pid=$!
window="$(timeout 20 xdotool search --sync --onlyvisible --name 'Quarnel' | head -n 1)"
xdotool windowfocus "$window"  # no window manager activates it here
sleep 2.5  # past the first tick of the default 1000 ms refresh
picture="$scratch/quarnel.png"
import -window "$window" "$picture"
"$repo/build/release/tools/wmclose" "$window"
timeout 10 tail --pid="$quarnel_pid" -f /dev/null || kill "$quarnel_pid"

echo "Quarnel ran on a virtual display in $scratch."
echo "Screenshot: $picture"
echo "Settings it wrote on closing: $scratch/Quarnel.ini"
