#!/bin/sh
# Runs one test program inside a private network namespace whose only
# interface is the loopback, with the default route through it: a broadcast
# to 255.255.255.255 comes back to local sockets and never leaves the
# machine. Root's override of file permissions is dropped as well, so that
# a read-only folder is read-only to the test.
set -e
if [ "$(id -u)" -eq 0 ]; then
    isolate="unshare --net"
else
    isolate="unshare --map-root-user --net"
fi
exec $isolate sh -ec '
    ip link set lo up
    ip route add default dev lo
    exec setpriv --bounding-set=-all --inh-caps=-all "$@"
' sandbox "$@"
