#!/bin/sh
# Runs polkitd with the test's rules, action files and polkitd user, seen only
# in a private mount namespace; nothing is written to the machine's /etc or
# /usr. /etc and /usr/share are overlaid with layers in memory first, so the
# folders polkitd reads can be made even where polkit is not installed.
#
# Usage (as root, as process 1 of a new PID and mount namespace, so that
# polkitd ends with it):
#   unshare --mount --propagation private --pid --fork --kill-child \
#       sh polkitd_namespace.sh FOLDER POLKITD
# FOLDER holds polkit/{rules.d,actions,empty,layers,passwd,group}.
set -eu
folder=$1/polkit
polkitd=$2

mount -t tmpfs -o mode=0755 tmpfs "$folder/layers"
for tree in etc usr/share; do
    layer="$folder/layers/$(echo "$tree" | tr / -)"
    mkdir "$layer-upper" "$layer-work"
    mount -t overlay overlay \
        -o "lowerdir=/$tree,upperdir=$layer-upper,workdir=$layer-work" "/$tree"
done
mkdir -p /etc/polkit-1/rules.d /usr/share/polkit-1/rules.d /usr/share/polkit-1/actions
mount --bind "$folder/rules.d" /etc/polkit-1/rules.d
mount --bind "$folder/empty" /usr/share/polkit-1/rules.d
mount --bind "$folder/actions" /usr/share/polkit-1/actions
mount --bind "$folder/passwd" /etc/passwd
mount --bind "$folder/group" /etc/group

# polkitd switches to its own user, which clears its parent-death signal; as
# process 1 this shell keeps it, and when it is killed the kernel ends polkitd.
"$polkitd" &
wait $!
