#!/bin/sh
# Measures build/VaroServe over UDP inside a private network namespace
# (tests/sandbox.sh), so no broadcast leaves the machine. Builds nothing.
#   scripts/bench-serve.sh [PROGRAM] [REQUESTS]
# PUT /api/boards/N/message, each with a new text so that each sends a frame:
# REQUESTS (default 2000) from one client, then REQUESTS from each of 8
# clients at once; requests per second, request -> datagram latency (median,
# p99), and the service's resident memory (VmRSS) while 100,000 requests pass.
# Then 100 boards, each a playlist of 3 items at 1 s with {time} and {date},
# set 10 ms apart, and no client: the service's CPU over 20 s (share of one
# core, per frame; a new minute re-sends every board), then its system calls
# per frame besides the sends and its stat calls, counted by strace over
# 10 s. Then REQUESTS MQTT message/set publishes through a local mosquitto,
# one at a time: publish -> datagram latency (median, p99).
# REQUESTS 0: the playlists alone. REQUESTS page: the same 100 playlists and
# one page open in headless Chromium (scripts/deps.sh) through a counting
# proxy: its HTTP requests a second and the KB a second it receives, over 20 s
# after it has loaded.
set -e
cd "$(dirname "$0")/.."
program=$(readlink -f "${1:-build/VaroServe}")
[ -x "$program" ] || { echo "bench-serve: no $program: build it first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tests/sandbox.sh env XDG_CONFIG_HOME="$work/config" HOME="$work" /usr/bin/python3 - "$program" "${2:-2000}" "$work" <<'EOF'
import atexit, http.client, json, multiprocessing, os, re, shutil, signal, socket, statistics, struct, subprocess, sys, threading, time

program, work = sys.argv[1], sys.argv[3]
page = sys.argv[2] == "page"
requests = 0 if page else int(sys.argv[2])
if shutil.which("strace") is None:
    sys.exit("no strace: scripts/deps.sh test installs it, for the system calls' figures")
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
received = [0]  # datagrams, a text that comes again counted again
def receive():
    while True:
        data = receiver.recv(70000)
        received[0] += 1
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
def requests_cases():
    print("VmRSS at start: %.1f MiB" % rss())
    run("one client", 1, requests)
    run("8 clients at once", 8, requests)
    done, step = 0, 10000
    while done < 100000:
        with multiprocessing.Pool(8) as pool:
            pool.map(client, [("m%d-%d" % (done, c), step // 8) for c in range(8)])
        done += step
        if done in (10000, 50000, 100000):
            print("VmRSS after %6d more requests: %.1f MiB" % (done, rss()))
    service.terminate()
    print("exit status after SIGTERM: %d" % service.wait())

def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

def datagrams_during(seconds):
    before = received[0]
    time.sleep(seconds)
    return received[0] - before

def playlists(name):
    quiet = subprocess.Popen([program, "--listen", "127.0.0.1:0", "--data", work + "/%s.sqlite" % name, "UDP%d" % line],
                             stderr=subprocess.PIPE, text=True)
    atexit.register(quiet.kill)
    quiet_port = int(re.search(r"127\.0\.0\.1:(\d+)/", quiet.stderr.readline()).group(1))
    connection = http.client.HTTPConnection("127.0.0.1", quiet_port)
    for board in range(100):
        items = [{"text": "%d-%s {time}" % (board, name) + (" {date}" if name != "one" else ""), "seconds": 1}
                 for name in ("one", "two", "three")]
        connection.request("PUT", "/api/boards/%d/playlist" % board, json.dumps(items),
                           {"Content-Type": "application/json"})
        reply = connection.getresponse()
        reply.read()
        if reply.status != 200:
            sys.exit("answer %d" % reply.status)
        time.sleep(0.01)  # boards set at different moments: their turns end apart
    connection.close()
    return quiet, quiet_port

def page_case():
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    quiet, quiet_port = playlists("page")
    counted = {"requests": 0, "down": 0}
    proxy = socket.socket()
    proxy.bind(("127.0.0.1", 0))
    proxy.listen(64)
    def pipe(source, target, up):
        while True:
            try:
                data = source.recv(65536)
            except OSError:
                data = b""
            if not data:
                for end in (source, target):
                    try:
                        end.shutdown(socket.SHUT_RDWR)
                    except OSError:
                        pass
                return
            if up:  # a request's line starts a packet: the page sends no pipelined requests
                counted["requests"] += len(re.findall(rb"(?:^|\r\n)(?:GET|PUT|POST|DELETE|HEAD) /", data))
            else:
                counted["down"] += len(data)
            try:
                target.sendall(data)
            except OSError:
                return
    def accept():
        while True:
            browser_side = proxy.accept()[0]
            service_side = socket.create_connection(("127.0.0.1", quiet_port))
            threading.Thread(target=pipe, args=(browser_side, service_side, True), daemon=True).start()
            threading.Thread(target=pipe, args=(service_side, browser_side, False), daemon=True).start()
    threading.Thread(target=accept, daemon=True).start()
    options = webdriver.ChromeOptions()
    for argument in ("--headless=new", "--no-sandbox", "--user-data-dir=" + work + "/chromium"):
        options.add_argument(argument)
    browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        browser.get("http://127.0.0.1:%d/" % proxy.getsockname()[1])
        time.sleep(5)  # loaded, and every card drawn once
        before, start = dict(counted), time.perf_counter()
        time.sleep(20)
        seconds = time.perf_counter() - start
        cards = browser.execute_script("return document.querySelectorAll('.card').length")
    finally:
        browser.quit()
    print("%-22s %6.1f requests a second  %.1f KB a second received  (%d cards)"
          % ("one page, 100 boards", (counted["requests"] - before["requests"]) / seconds,
             (counted["down"] - before["down"]) / seconds / 1000, cards))
    quiet.terminate()
    quiet.wait()

def playlists_case():
    quiet, quiet_port = playlists("playlists")
    time.sleep(3)  # past the first turns
    seconds, start = 20, cpu_seconds(quiet.pid)
    frames = datagrams_during(seconds)
    used = cpu_seconds(quiet.pid) - start
    rate = frames / seconds
    print("%-22s %6d frames a second  CPU %.1f %% of a core  %.2f ms CPU per frame"
          % ("100 playlists, 3 x 1 s", rate, 100 * used / seconds, 1000 * used / max(frames, 1)))
    counts = work + "/strace.txt"
    traced = time.perf_counter()
    tracer = subprocess.Popen(["strace", "-c", "-f", "-q", "-o", counts, "-p", str(quiet.pid)])
    time.sleep(10)
    tracer.send_signal(signal.SIGINT)
    traced = time.perf_counter() - traced
    tracer.wait()
    calls = {}
    with open(counts) as table:
        for row in table:
            cells = row.split()
            if len(cells) >= 5 and cells[-1].isidentifier() and cells[3].isdigit() and cells[-1] != "total":
                calls[cells[-1]] = int(cells[3])
    sends = sum(calls.get(name, 0) for name in ("sendto", "sendmsg", "sendmmsg"))
    stats = sum(calls.get(name, 0) for name in ("stat", "lstat", "fstat", "newfstatat", "statx"))
    # strace slows the service down: stat calls a second at the untraced rate.
    print("%-22s %6d sends in %.0f s  %.2f other system calls per frame  %.2f stat calls per frame, %.0f a second"
          % ("  under strace", sends, traced, (sum(calls.values()) - sends) / max(sends, 1), stats / max(sends, 1),
             stats / max(sends, 1) * rate))
    quiet.terminate()
    print("exit status after SIGTERM (playlists): %d" % quiet.wait())

if page:
    page_case()
    sys.exit(0)
if requests > 0:
    requests_cases()
playlists_case()
if requests == 0:
    sys.exit(0)

# The bus: a local broker, a service joined to it, and a client of ours that
# publishes message/set with QoS 1, one at a time, each timed from its
# PUBLISH leaving to its frame's datagram. The broker sends without Nagle's
# delay, as the README advises.
broker_program = next((p for p in ("/usr/sbin/mosquitto", "/usr/bin/mosquitto") if os.path.exists(p)), None)
if broker_program is None:
    sys.exit("no mosquitto: apt-get install mosquitto for the bus's figures")
probe = socket.socket()
probe.bind(("127.0.0.1", 0))
broker_port = probe.getsockname()[1]
probe.close()
with open(work + "/broker.conf", "w") as config:
    # Inside the namespace this runs as root: the broker is told to stay so.
    config.write("listener %d 127.0.0.1\nallow_anonymous true\nuser root\nset_tcp_nodelay true\n" % broker_port)
broker = subprocess.Popen([broker_program, "-c", work + "/broker.conf"], stderr=subprocess.DEVNULL)
atexit.register(broker.kill)
bus = subprocess.Popen([program, "--listen", "127.0.0.1:0", "--data", work + "/bus.sqlite", "--mqtt",
                        "mqtt://127.0.0.1:%d" % broker_port, "--mqtt-prefix", "bench", "--no-ha", "UDP%d" % line],
                       stderr=subprocess.PIPE, text=True)
atexit.register(bus.kill)
while "connected" not in bus.stderr.readline():
    pass
time.sleep(0.3)  # its subscriptions, sent as it connected, settle at the broker

def field(text):
    data = text.encode()
    return struct.pack("!H", len(data)) + data

def packet(kind, body):
    size, rest = b"", len(body)
    while True:
        rest, digit = rest >> 7, rest & 127
        size += bytes([digit | (128 if rest else 0)])
        if not rest:
            return bytes([kind]) + size + body

publisher = socket.create_connection(("127.0.0.1", broker_port))
publisher.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
publisher.sendall(packet(0x10, field("MQTT") + bytes([4, 2]) + struct.pack("!H", 60) + field("bench-publisher")))
publisher.recv(4)  # CONNACK
publisher.setblocking(False)
latencies = []
for i in range(requests):
    text = "bus-%d" % i
    start = time.perf_counter_ns()
    publisher.sendall(packet(0x32, field("bench/%d/message/set" % (i % 100)) + struct.pack("!H", i % 65535 + 1)
                             + text.encode()))
    deadline = time.perf_counter() + 5
    while text.encode() not in arrived and time.perf_counter() < deadline:
        time.sleep(0)
    if text.encode() in arrived:
        latencies.append((arrived[text.encode()] - start) / 1e6)
    try:
        publisher.recv(65536)  # PUBACKs
    except BlockingIOError:
        pass
latencies.sort()
print("%-22s %6d publishes  one at a time  latency median %.2f ms  p99 %.2f ms%s"
      % ("MQTT message/set", requests, statistics.median(latencies), latencies[int(0.99 * (len(latencies) - 1))],
         "  (%d datagrams missing)" % (requests - len(latencies)) if len(latencies) < requests else ""))
bus.terminate()
print("exit status after SIGTERM (bus): %d" % bus.wait())
EOF
