#!/bin/sh
# Measures build/VaroServe over UDP inside a private network namespace
# (tests/sandbox.sh), so no broadcast leaves the machine. Builds nothing.
#   scripts/bench-serve.sh [PROGRAM] [REQUESTS]
# PUT /api/boards/N/message, each with a new text so that each sends a frame:
# REQUESTS (default 2000) from one client, then REQUESTS from each of 8
# clients at once; requests per second, request -> datagram latency (median,
# p99), and the service's resident memory (VmRSS) while 100,000 requests pass.
set -e
cd "$(dirname "$0")/.."
program=$(readlink -f "${1:-build/VaroServe}")
[ -x "$program" ] || { echo "bench-serve: no $program: build it first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tests/sandbox.sh env XDG_CONFIG_HOME="$work/config" /usr/bin/python3 - "$program" "${2:-2000}" "$work" <<'EOF'
import atexit, http.client, json, multiprocessing, os, re, socket, statistics, subprocess, sys, threading, time

program, requests, work = sys.argv[1], int(sys.argv[2]), sys.argv[3]
receiver = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
receiver.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 8 << 20)
receiver.bind(("", 0))
line = receiver.getsockname()[1]
service = subprocess.Popen([program, "--listen", "127.0.0.1:0", "--data", work + "/bench.sqlite", "UDP%d" % line],
                           stderr=subprocess.PIPE, text=True)
atexit.register(service.kill)  # whatever ends this script ends the service too
said = service.stderr.readline()
port = int(re.search(r"127\.0\.0\.1:(\d+)/", said).group(1))

arrived = {}
def receive():
    while True:
        data = receiver.recv(70000)
        arrived[data[data.index(b"A", 4) + 1:data.rindex(b"\r")]] = time.perf_counter_ns()
threading.Thread(target=receive, daemon=True).start()

def client(args):
    tag, count = args
    connection = http.client.HTTPConnection("127.0.0.1", port)
    sent = {}
    for i in range(count):
        text = "%s-%d" % (tag, i)
        body = json.dumps({"text": text})
        start = time.perf_counter_ns()
        connection.request("PUT", "/api/boards/%d/message" % (i % 100), body, {"Content-Type": "application/json"})
        reply = connection.getresponse()
        reply.read()
        if reply.status != 200:
            sys.exit("answer %d" % reply.status)
        sent[text.encode()] = start
    return sent

def rss():
    with open("/proc/%d/status" % service.pid) as status:
        return int(re.search(r"VmRSS:\s+(\d+)", status.read()).group(1)) / 1024

def run(name, clients, count):
    start = time.perf_counter()
    with multiprocessing.Pool(clients) as pool:
        results = pool.map(client, [("%s%d" % (name, c), count) for c in range(clients)])
    elapsed = time.perf_counter() - start
    time.sleep(0.2)
    latencies = sorted((arrived[t] - s) / 1e6 for r in results for t, s in r.items() if t in arrived)
    total = clients * count
    lost = total - len(latencies)
    p99 = latencies[int(0.99 * (len(latencies) - 1))]
    print("%-22s %6d requests  %7.0f req/s  latency median %.2f ms  p99 %.2f ms%s"
          % (name, total, total / elapsed, statistics.median(latencies), p99,
             "  (%d datagrams missing)" % lost if lost else ""))

print("VaroServe %s over UDP, %s" % (program, said.strip().split(", ")[0]))
print("VmRSS at start: %.1f MiB" % rss())
run("one client", 1, requests)
run("8 clients at once", 8, requests)
done, step = 0, 10000
while done < 100000:
    run_start = time.perf_counter()
    with multiprocessing.Pool(8) as pool:
        pool.map(client, [("m%d-%d" % (done, c), step // 8) for c in range(8)])
    done += step
    if done in (10000, 50000, 100000):
        print("VmRSS after %6d more requests: %.1f MiB" % (done, rss()))
service.terminate()
print("exit status after SIGTERM: %d" % service.wait())
EOF
