#!/bin/sh
# Times build/VaroSend for one UDP frame: from exec to the datagram's arrival
# and to the process's exit, median of RUNS runs (default 21). It runs inside
# a private network namespace whose only route is the loopback, so the
# broadcast never leaves the machine.
#   scripts/bench-send.sh [PROGRAM] [RUNS]
set -e
if [ "$1" != --inside ]; then
    if [ "$(id -u)" -eq 0 ]; then isolate="unshare --net"; else isolate="unshare --map-root-user --net"; fi
    exec $isolate sh "$0" --inside "${1:-build/VaroSend}" "${2:-21}"
fi
ip link set lo up
ip route add default dev lo
exec python3 - "$2" "$3" <<'EOF'
import os, socket, statistics, subprocess, sys, time
program, runs = sys.argv[1], max(20, int(sys.argv[2]))
port = 47999
receiver = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
receiver.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
receiver.bind(("", port))
receiver.settimeout(5)
environment = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
to_datagram, to_exit = [], []
for _ in range(runs):
    start = time.perf_counter()
    process = subprocess.Popen([program, "UDP%d" % port, "bench"], stdin=subprocess.DEVNULL, env=environment)
    receiver.recv(65535)
    to_datagram.append(time.perf_counter() - start)
    code = process.wait()
    to_exit.append(time.perf_counter() - start)
    if code != 0:
        sys.exit("VaroSend exited with %d" % code)
print("VaroSend, one UDP frame, median of %d runs: exec -> datagram %.1f ms, exec -> exit %.1f ms"
      % (runs, 1000 * statistics.median(to_datagram), 1000 * statistics.median(to_exit)))
EOF
