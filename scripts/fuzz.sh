#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (plus address and undefined
# behaviour sanitizers) and runs each for a bounded time on its seed corpus.
# usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build-fuzz
mkdir -p "$out"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -Isrc)
core_sources=(src/core/*.cpp)
link_sources=("${core_sources[@]}" src/link/frame.cpp src/link/requests.cpp src/link/params.cpp src/link/dispatcher.cpp src/link/chunker.cpp src/link/layouts.cpp src/link/header_learner.cpp)

build() {  # name sources...
  local name=$1; shift
  echo "building $name"
  clang++ "${flags[@]}" "$@" -o "$out/$name"
}

build fuzz_receive tests/fuzz/receive_path.cpp "${link_sources[@]}"
build fuzz_settings tests/fuzz/settings_parser.cpp src/platform/serial_settings.cpp
build fuzz_log_reader tests/fuzz/log_reader.cpp src/datalog/channels.cpp src/datalog/csv_format.cpp \
  src/datalog/log_data.cpp src/datalog/log_reader.cpp
extra_targets=()
if [ -f scripts/fuzz-workbook.sh ]; then
  # shellcheck source=/dev/null
  source scripts/fuzz-workbook.sh
fi

run() {  # name corpus
  local name=$1 corpus=$2
  local work="$out/corpus-$name" artifacts="$out/artifacts-$name/"
  mkdir -p "$work" "$artifacts"
  cp -n "$corpus"/* "$work"/ 2>/dev/null || true
  echo "fuzzing $name for ${seconds}s"
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
    "$out/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts" "$work" 2>&1 | tail -n 60
}

run fuzz_receive tests/fuzz/corpus/receive
run fuzz_settings tests/fuzz/corpus/settings
run fuzz_log_reader tests/fuzz/corpus/log_reader
for t in "${extra_targets[@]}"; do run "$t" "tests/fuzz/corpus/${t#fuzz_}"; done
echo "fuzzing finished without findings"
