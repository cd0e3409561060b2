#!/bin/sh
# Measures the CPU share of VaroBoard's window while a 20-column display
# crawls fast (one step every 20 ms). Not a test: a figure for people.
# Usage: scripts/bench-board.sh build/VaroBoard [seconds]
set -e
board="$1"
seconds="${2:-10}"
out=$(mktemp)
trap 'kill "$pid" 2>/dev/null; rm -f "$out"' EXIT
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$board" --columns 20 PTY >"$out" &
pid=$!
while [ ! -s "$out" ]; do sleep 0.1; done
printf '\r1C5\r1B99\r1AA FAST CRAWL ACROSS TWENTY COLUMNS\r1D' >"$(head -n 1 "$out")"
sleep 1
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
before=$(ticks)
sleep "$seconds"
after=$(ticks)
hz=$(getconf CLK_TCK)
awk -v t="$((after - before))" -v hz="$hz" -v s="$seconds" 'BEGIN { printf "VaroBoard used %.1f%% of one core while crawling (limit 5%%)\n", 100 * t / hz / s }'
