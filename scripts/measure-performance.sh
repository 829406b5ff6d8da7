#!/usr/bin/env bash
# Measures the performance figures of kelvo6 on this machine in one run and
# writes them to docs/performance.md. Takes about two minutes, most of it the
# 60 s that the status window polls the simulated ECU.
# usage: scripts/measure-performance.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=docs/performance.md
cpu_seconds=${KELVO6_PERF_CPU_SECONDS:-60}
runs=${KELVO6_PERF_RUNS:-5}
scope_seconds=${KELVO6_PERF_SCOPE_SECONDS:-30}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "$(nproc)" --target bench_receive bench_live bench_multipoint bench_scope kelvo6 kelvo6-ecusim

raw=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$raw"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$raw"  # private, as Qt wants it
mkdir -p "$(dirname "$out")"
cat /proc/loadavg >"$raw/load_before"

echo "receive path (Google Benchmark)"
"$build/bench/bench_receive" --benchmark_format=json --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true >"$raw/receive.json"
echo "MENU to the end of the handshake, $runs runs"
"$build/bench/bench_live" handshake "$runs" >"$raw/handshake"
echo "start-up to the first window, $runs runs"
"$build/bench/bench_live" startup "$runs" >"$raw/startup"
if command -v Xvfb >/dev/null; then
  echo "start-up to the first window on an X display (Xvfb), $runs runs"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$raw/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$raw/display" ] && break; sleep 0.1; done
  DISPLAY=":$(head -n 1 "$raw/display")" "$build/bench/bench_live" startup "$runs" xcb >"$raw/startup_x"
  kill "$xvfb_pid"
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
fi
echo "every window once"
"$build/bench/bench_live" windows >"$raw/windows"
echo "status window polling for ${cpu_seconds} s"
"$build/bench/bench_live" status-cpu "$cpu_seconds" >"$raw/status"
for baud in 9600 57600 115200; do
  for channels in 7 21; do
    echo "oscilloscope sampling and recording $channels channels against kelvo6-ecusim --baud $baud for ${scope_seconds} s"
    "$build/bench/bench_scope" rate "$baud" "$scope_seconds" record "$channels" >"$raw/scope_${baud}_$channels"
  done
done
echo "a two-hour log in the log viewer"
"$build/bench/bench_scope" open-log 144000 >"$raw/scope_log"
cat /proc/loadavg >"$raw/load_after"
echo "calibration figures (virtual time) to docs/calibration-figures.md"
"$build/bench/bench_multipoint" >docs/calibration-figures.md

# The machine, as the figures depend on it.
cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
{
  echo "cores=$(nproc)"
  echo "cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
  echo "memory=$(awk '/^MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)"
  echo "kernel=$(uname -sr)"
  echo "debian=$(cat /etc/debian_version 2>/dev/null || echo unknown)"
  echo "compiler=$("${cxx:-c++}" --version | head -n 1)"
  echo "qt=$(pkg-config --modversion Qt6Core 2>/dev/null || echo unknown)"
  echo "build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")"
  echo "date=$(date -u '+%Y-%m-%d %H:%M UTC')"
} >"$raw/machine"

python3 - "$raw" "$out" "$cpu_seconds" "$0 $*" "$scope_seconds" <<'EOF'
import json, os, statistics, sys
raw, out, cpu_seconds, command = sys.argv[1:5]

def lines(name):
    values = {}
    for line in open(f"{raw}/{name}"):
        key, sep, value = line.strip().partition("=")
        if sep:
            values.setdefault(key, []).append(value)
    return values

machine = {k: v[0] for k, v in lines("machine").items()}
handshake = lines("handshake")
startup = lines("startup")
windows = {k: v[0] for k, v in lines("windows").items()}
status = {k: v[0] for k, v in lines("status").items()}
# A figure taken from a run that went wrong is no figure.
if windows["windows_opened"] != "16":
    sys.exit(f"only {windows['windows_opened']} of 16 windows were opened: {windows['windows_list']}")
if status["status_window_open_at_end"] != "1" or status["status_lost_link_counter"] != "0":
    sys.exit("the status window lost the link while it was measured")
load_before = open(f"{raw}/load_before").read().split()[:3]
load_after = open(f"{raw}/load_after").read().split()[:3]

# Wire rate at 57600 baud: 10 bits per byte (start, 8 data, stop).
wire_bytes = 57600 / 10
receive = {}
for b in json.load(open(f"{raw}/receive.json"))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        receive[b["run_name"]] = b["items_per_second"]
def receive_row(name, size, what):
    measured = receive[name]
    wire = wire_bytes / size
    return (f"Receive path, {size}-byte {what} answers", f"{measured:,.0f} chunks/s",
            f"wire rate at 57600 baud: {wire:.1f} chunks/s", f"{measured / wire:,.0f} × wire rate")

# The handshake's floor is the sum of the intervals its timer was armed with.
armings = set(handshake["handshake_timer_armings_ms"])
if len(armings) != 1:
    sys.exit(f"the handshake timer was armed differently between runs: {armings}")
arming_list = [int(x) for x in armings.pop().split(",")]
floor = sum(arming_list)
hs = [float(x) for x in handshake["handshake_ms"]]
hs_median = statistics.median(hs)
st = [float(x) for x in startup["startup_ms"]]
st_median = statistics.median(st)
st_x = [float(x) for x in lines("startup_x")["startup_ms"]] if os.path.exists(f"{raw}/startup_x") else []
startup_limit_ms = 1000
rss_mib = int(windows["rss_all_windows_kib"]) / 1024
rss_limit_mib = 150
cpu = float(status["status_cpu_percent"])
cpu_limit = 2.0
answers_per_s = int(status["status_bytes_received"]) / 43 / float(status["status_wall_s"])

rows = [
    receive_row("BM_ParameterSet129", 129, "parameter set"),
    receive_row("BM_LiveData43", 43, "live data"),
    receive_row("BM_ParameterSet129HeaderKnown", 129, "parameter set (ECU header known)"),
    receive_row("BM_LiveData43HeaderKnown", 43, "live data (ECU header known)"),
    (f"MENU to the end of the handshake (median of {len(hs)})", f"{hs_median:.0f} ms",
     f"floor set by the timer pacing: {floor} ms", f"{hs_median / floor:.3f} × floor"),
    (f"CPU share of one core, status window polling for {float(status['status_wall_s']):.0f} s",
     f"{cpu:.2f} %", f"limit {cpu_limit:g} %", f"{cpu / cpu_limit:.2f} of limit"),
    ("Resident memory after opening every window once", f"{rss_mib:.1f} MiB",
     f"limit {rss_limit_mib} MiB", f"{rss_mib / rss_limit_mib:.2f} of limit"),
    (f"Start-up to the first window painted (median of {len(st)})", f"{st_median:.0f} ms",
     f"limit {startup_limit_ms} ms", f"{st_median / startup_limit_ms:.2f} of limit"),
]
if st_x:
    m = statistics.median(st_x)
    rows.append((f"Start-up to the first window painted on an X display (Xvfb, median of {len(st_x)})",
                 f"{m:.0f} ms", f"limit {startup_limit_ms} ms", f"{m / startup_limit_ms:.2f} of limit"))

# The oscilloscope: samples per second against the line's limit for one 5-byte
# request and one 43-byte answer, less the simulated ECU's own 5 ms.
ecu_delay_ms = 5
status_poll_rate = 1000 / 300
scope_bauds, scope_channels = (9600, 57600, 115200), (7, 21)
scope = {(b, c): {k: v[0] for k, v in lines(f"scope_{b}_{c}").items()} for b in scope_bauds for c in scope_channels}
for (b, c), f in scope.items():
    if f["recording"] != "1":
        sys.exit(f"the oscilloscope's recording stopped during the {b} baud run with {c} channels")
def scope_limit(b):
    return 1000 / (48 * 10 * 1000 / b + ecu_delay_ms)
scope_log = {k: v[0] for k, v in lines("scope_log").items()}
for (b, c), f in scope.items():
    rate = float(f["samples_per_s"])
    rows.append((f"Oscilloscope samples/s against `kelvo6-ecusim --baud {b}`, {c} channels, recording",
                 f"{rate:.1f} /s ({rate / status_poll_rate:.1f} × the status window's 3.3 /s)",
                 f"line limit {float(f['line_limit_per_s']):.1f} /s; less the ECU's {ecu_delay_ms} ms: "
                 f"{scope_limit(b):.1f} /s", f"{rate / scope_limit(b):.2f} of limit"))
for (b, c), f in scope.items():
    cpu_scope = float(f["cpu_percent"])
    rows.append((f"CPU share of one core, oscilloscope sampling at full rate and recording, {b} baud, {c} channels "
                 f"({float(f['repaints_per_s']):.1f} repaints/s)",
                 f"{cpu_scope:.2f} %", "limit 5 %", f"{cpu_scope / 5:.2f} of limit"))
rows.append((f"Two-hour log ({int(scope_log['rows']):,} rows) opened in the viewer, to the first drawn chart",
             f"{float(scope_log['open_ms']):.0f} ms", "limit 1000 ms", f"{float(scope_log['open_ms']) / 1000:.2f} of limit"))
rows.append(("Panning / zooming that log, redraw (median; worst of 20)",
             f"{float(scope_log['pan_median_ms']):.1f} / {float(scope_log['zoom_median_ms']):.1f} ms "
             f"({float(scope_log['pan_worst_ms']):.1f} / {float(scope_log['zoom_worst_ms']):.1f})",
             "limit 50 ms", f"{max(float(scope_log['pan_worst_ms']), float(scope_log['zoom_worst_ms'])) / 50:.2f} of limit"))

steps = " + ".join(str(x) for x in arming_list)
md = []
md.append("# Performance figures\n")
md.append(f"Measured in one run on the machine below by `{command}` (what `make perf` runs), "
          "which rewrites this page. "
          "Each figure stands against the line's own rate, the floor that the timer pacing sets, "
          "or a limit we hold the program to.\n")
md.append("| Figure | Measured | Limit or reference | Ratio |")
md.append("|---|---|---|---:|")
for r in rows:
    md.append("| " + " | ".join(r) + " |")
md.append("")
md.append("## How each figure is taken\n")
md.append(f"- **Receive path** (`bench/receive_path.cpp`, Google Benchmark, median of 5 repetitions): "
          "whole answers fed through the chunker, the length test and the dispatcher into the shared "
          "state, without a window. The wire rate at 57600 baud, 10 bits per byte, is "
          f"{wire_bytes:.0f} bytes/s: {wire_bytes / 129:.1f} answers/s of 129 bytes, "
          f"{wire_bytes / 43:.1f} of 43 bytes. The ratio says how many times faster than the "
          "fastest line the program digests what arrives. The port runs at 9600 baud unless the "
          "fitter changes it, a sixth of that rate.")
md.append(f"- **Handshake** (`bench/live_figures.cpp handshake`): the real program (Qt timers, "
          "QSerialPort) against `kelvo6-ecusim` as a separate process on a pseudo-terminal, answering "
          "after its default 5 ms. Timed from the press of MENU on the start-up window to the moment "
          "the main menu enables its screen buttons; a fresh simulator and program for each run. "
          f"Runs: {', '.join(f'{x:.0f}' for x in hs)} ms.")
md.append(f"  The floor is read off the main menu's handshake timer `Timer1` while it runs: the bench's "
          f"scheduler records the interval of every arming, {len(arming_list)} armings in every run, "
          f"{steps} = {floor} ms. The timer is made "
          "with 50 ms and started when the main menu loads; its first tick sends read software version, "
          "the second finds the version, sends read parameter set and re-arms with 1000 ms, the third "
          "sends read table, the fourth finds the table and ends the handshake. Each answer arrives "
          "well inside the interval before the next tick, so no ECU, however fast, can end the "
          "handshake sooner; what lies above the floor is timer lateness and event handling.")
md.append(f"- **CPU share** (`bench/live_figures.cpp status-cpu {cpu_seconds}`): after the handshake, "
          "the main menu's vehicle status button opens the status window once the first live data "
          "has come; after one settling second, user plus system time of the program's process "
          "(getrusage) over the wall time. The window polled throughout: "
          f"{answers_per_s:.2f} live data answers/s arrived (its poll timer runs every 300 ms), "
          "it was still open at the end with its lost-link counter at 0. "
          f"The simulator process used {float(status['status_simulator_cpu_percent']):.2f} % of a core "
          "meanwhile (not counted above).")
md.append(f"- **Resident memory** (`bench/live_figures.cpp windows`): VmRSS of the program's process "
          "after opening each of its windows once on the simulated ECU, the way a fitter reaches "
          "them: serial settings, main menu, vehicle status, end-of-line test, parameter hub and its "
          "five editors, calibration, its chart and the automatic calibration, the message window, "
          "software update: all 16 windows, Form1 to Form16. "
          f"With only the start-up window it was {int(windows['rss_first_window_kib']) / 1024:.1f} MiB; "
          f"the peak was {int(windows['rss_peak_kib']) / 1024:.1f} MiB. The limit leaves a workshop "
          "laptop with 2 GiB room for everything else it runs.")
md.append(f"- **Start-up** (`bench/live_figures.cpp startup`): `kelvo6 --simulate` started as its own "
          "process on the offscreen platform with `KELVO6_REPORT_STARTUP=1`, which makes it print the "
          "wall-clock time of the start-up window's first paint and quit; measured from just before the "
          "process is started, so loading the libraries, starting the in-process simulated ECU and "
          f"building the window are all in it. Runs: {', '.join(f'{x:.0f}' for x in st)} ms"
          + (f"; on an X display (Xvfb, the xcb platform, which also waits for the server's expose): "
             f"{', '.join(f'{x:.0f}' for x in st_x)} ms" if st_x else "")
          + ". The limit "
          "is the second within which a program feels as if it opened at once.")
md.append(f"- **Oscilloscope sampling** (`bench/scope_figures.cpp rate BAUD {sys.argv[5]} record CHANNELS`): the real "
          "program against `kelvo6-ecusim --baud BAUD` as a separate process on a pseudo-terminal, which "
          "answers no sooner than a line at that rate carries the request and the answer (10 bits a byte) "
          f"plus its own {ecu_delay_ms} ms. After the handshake, the main menu's Oscilloscope button; "
          "the first CHANNELS channels that its list offers ticked (21 is every live-data channel), "
          "recording on; after 1.5 s of settling, the samples taken over the wall time. The line's limit "
          "is 48 bytes × 10 bits a sample: 50 ms at 9600 baud (20 /s), 8.3 ms at 57600 (120 /s), "
          "4.2 ms at 115200 (240 /s); "
          f"less the ECU's {ecu_delay_ms} ms it is the figure the oscilloscope can reach at best. The "
          "status window's fixed 300 ms poll reaches 3.3 /s at any baud rate. The CPU share is user plus "
          "system time of the program's process (getrusage) over the same wall time, with the traces "
          "redrawn on the offscreen platform and the log written to disk; the repaints per second are the "
          "redraws of the stacked traces over that time, paced by the window's 250 ms refresh whatever "
          "the sample rate.")
md.append(f"- **Log viewer** (`bench/scope_figures.cpp open-log 144000`): a two-hour drive recorded at the "
          "9600-baud rate, 144,000 rows of every live-data channel, opened in the viewer: read, decoded, "
          f"and drawn ({scope_log['strips']} stacked charts, Qt Charts, each trace thinned to the lowest and "
          "highest value per pixel column), timed to the end of the first complete paint. Panning moves the "
          "10-minute window along the log, zooming steps through the window lengths; each timed to the end "
          "of the repaint of every chart.")
md.append("- **Calibration**: how close the automatic and the multi-point calibration bring the table to the "
          "simulated car's true map, and how long a point takes, are on their own page, "
          "[calibration-figures.md](calibration-figures.md), made in the same run on virtual time.")
md.append("")
md.append("## Machine\n")
md.append("| | |")
md.append("|---|---|")
for key, label in [("cores", "cores (nproc)"), ("cpu", "CPU"), ("memory", "memory"), ("kernel", "kernel"),
                   ("debian", "Debian"), ("compiler", "compiler"), ("qt", "Qt"), ("build_type", "build type"),
                   ("date", "measured")]:
    md.append(f"| {label} | {machine.get(key, 'unknown')} |")
md.append(f"| load average (1, 5, 15 min) | {' '.join(load_before)} before, {' '.join(load_after)} after |")
md.append("")
md.append("The machine may be shared with other work while the script runs; the load average above "
          "shows how busy it was. Timer lateness and CPU share grow on a loaded machine.\n")
open(out, "w").write("\n".join(md))
print("\n".join(md[3:3 + 2 + len(rows)]))
EOF
echo "wrote $out"

# Network serial ports: a section of their own, appended to the page.
echo "network serial ports through ser2net"
scripts/measure-network.sh "$build" >>"$out"
