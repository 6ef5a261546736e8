#!/bin/sh
# Runs a test program in a network of its own, where datagrams to a
# multicast group and to a second address of the machine stay inside:
# the loopback is up, carries multicast and also has 127.0.0.2, and the
# groups are routed through it as a machine's default route would route them.
#
# Usage (as root): unshare --net sh private_network.sh PROGRAM [ARGUMENTS...]
set -eu
ip link set lo up
ip link set lo multicast on
ip address add 127.0.0.2/8 dev lo
ip route add 224.0.0.0/4 dev lo
QUARNEL_PRIVATE_NETWORK=1 exec "$@"
