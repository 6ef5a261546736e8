#!/bin/sh
# Runs systemd-timedated as root of a user namespace of its own (it is the
# unprivileged user outside), with the clock interception library preloaded and
# the test's list of NTP units as the only one it finds.
#
# Usage (as the unprivileged user):
#   unshare --user --map-root-user --mount sh timedated_namespace.sh FOLDER TIMEDATED SHIM
# FOLDER holds ntp-units.list; timedated's output goes to FOLDER/timedated.log.
set -eu
folder=$1
timedated=$2
shim=$3

exec >>"$folder/timedated.log" 2>&1

# timedated reads ntp-units.d in /etc, /run, /usr/local/lib and /usr/lib: the
# machine's lists are covered with empty folders and the test's goes to a /run
# of its own.
for list in /etc/systemd/ntp-units.d /usr/local/lib/systemd/ntp-units.d \
    /usr/lib/systemd/ntp-units.d /lib/systemd/ntp-units.d; do
    if [ -d "$list" ]; then
        mount -t tmpfs tmpfs "$list"
    fi
done
mount -t tmpfs tmpfs /run
mkdir -p /run/systemd/ntp-units.d
cp "$folder/ntp-units.list" /run/systemd/ntp-units.d/80-quarnel-test.list

LD_PRELOAD=$shim exec "$timedated"
