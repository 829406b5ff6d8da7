#!/usr/bin/env bash
# Network serial port figures: handshake time and oscilloscope samples/s through
# ser2net on loopback next to the direct pseudo-terminal, and up to which added
# answer delay each window keeps working. Prints a "## Network serial ports"
# section for docs/performance.md (scripts/measure-performance.sh appends it).
# usage: scripts/measure-network.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${KELVO6_PERF_RUNS:-5}
seconds=${KELVO6_PERF_NETWORK_SECONDS:-10}
latencies=${KELVO6_PERF_LATENCIES:-"0 100 200 300 500 1000 2000"}
bench="$build/bench/bench_network"
cmake --build "$build" -j "$(nproc)" --target bench_network kelvo6-ecusim >&2
raw=$(mktemp -d)
trap 'rm -rf "$raw"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$raw"

for kind in pty raw rfc2217; do
  echo "handshake through $kind" >&2
  "$bench" handshake "$kind" "$runs" >"$raw/handshake_$kind"
  echo "oscilloscope through $kind, 9600 baud" >&2
  "$bench" scope "$kind" 9600 "$seconds" >"$raw/scope_$kind"
done
for window in menu status parameters calibration oscilloscope; do
  for latency in $latencies; do
    echo "$window with $latency ms added" >&2
    "$bench" window "$window" "$latency" 5 >"$raw/window_${window}_$latency"
  done
done

python3 - "$raw" "$latencies" <<'PY'
import sys
raw, latencies = sys.argv[1], [int(x) for x in sys.argv[2].split()]
def read(name):
    out = {}
    for line in open(f"{raw}/{name}"):
        k, sep, v = line.strip().partition("=")
        if sep: out[k] = v
    return out
names = {"pty": "pseudo-terminal directly", "raw": "ser2net raw (tcp://)", "rfc2217": "ser2net RFC 2217 (rfc2217://)"}
print("\n## Network serial ports\n")
print("Measured by `scripts/measure-network.sh` (`bench/network_figures.cpp`): the real program with "
      "its line port against `kelvo6-ecusim` as a separate process, reached directly on its "
      "pseudo-terminal or through ser2net 4 on loopback (started by the script, 9600n81).\n")
print("| Figure | pseudo-terminal | ser2net raw | ser2net RFC 2217 |")
print("|---|---:|---:|---:|")
hs = [read(f"handshake_{k}") for k in names]
sc = [read(f"scope_{k}") for k in names]
print("| MENU to the end of the handshake, median ms | " + " | ".join(h["handshake_median_ms"] for h in hs) + " |")
print("| Oscilloscope samples/s at 9600 baud | " + " | ".join(f"{float(s['samples_per_s']):.1f}" for s in sc) + " |")
print()
print("Runs (ms): " + "; ".join(f"{names[k]}: {h['runs_ms'].strip()}" for k, h in zip(names, hs)) + ".\n")
print("Each window against a round trip added by a delaying proxy between the program and ser2net "
      "(raw, `kelvo6-ecusim --baud port` at 9600 baud): for `menu` the delay is there from the start and "
      "the handshake must end; for the other windows it is switched on after the handshake, and the "
      "window opened from the main menu must stay open for 5 s with answers arriving and no message "
      "coming up.\n")
print("| Window | " + " | ".join(f"{l} ms" for l in latencies) + " | works up to |")
print("|---|" + "---|" * len(latencies) + "---:|")
for w in ["menu", "status", "parameters", "calibration", "oscilloscope"]:
    cells, upto, failed = [], None, False
    for l in latencies:
        ok = read(f"window_{w}_{l}")["verdict"] == "works"
        cells.append("works" if ok else read(f"window_{w}_{l}")["verdict"])
        failed = failed or not ok
        if not failed: upto = l
    print(f"| {w} | " + " | ".join(cells) + f" | {upto if upto is not None else '-'} ms |")
menu = [(l, read(f"window_menu_{l}")) for l in latencies]
print("\nMENU to the end of the handshake through the delay, ms (software version requests sent): " +
      "; ".join(f"{l} ms: {m['handshake_ms']} ({m['version_requests']})" for l, m in menu) + ".")
PY
