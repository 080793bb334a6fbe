#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them; one line per figure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_packages.sh
ensure_packages "${VV_BUILD_PACKAGES[@]}"
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVV_BUILD_TESTS=OFF -DVV_BUILD_BENCH=ON >/dev/null
cmake --build build/bench -j "$(nproc)" --target vv_bench
exec build/bench/bench/vv_bench --benchmark_counters_tabular=true "$@"
