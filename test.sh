#!/usr/bin/env bash
# Builds everything with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test, then runs each fuzzer briefly.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure_packages.sh
ensure_packages "${VV_BUILD_PACKAGES[@]}" "${VV_FUZZ_PACKAGES[@]}"

jobs=$(nproc)
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVV_WERROR=ON -DVV_SANITIZE=ON >/dev/null
cmake --build build/test -j "$jobs"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

fuzz_seconds=${VV_FUZZ_SECONDS:-20}
if [ "$fuzz_seconds" -gt 0 ]; then
    cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
          -DVV_BUILD_FUZZ=ON -DVV_BUILD_TESTS=OFF -DVV_BUILD_GUI=OFF >/dev/null
    cmake --build build/fuzz -j "$jobs" --target fuzzers
    for fuzzer in build/fuzz/fuzz/fuzz_*; do
        [ -f "$fuzzer" ] && [ -x "$fuzzer" ] || continue
        name=$(basename "$fuzzer")
        corpus=build/fuzz/corpus/$name
        mkdir -p "$corpus"
        seeds=fuzz/seeds/${name#fuzz_}
        dict=fuzz/${name#fuzz_}.dict
        echo "Fuzzing $name for ${fuzz_seconds}s"
        "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
                  $( [ -f "$dict" ] && echo "-dict=$dict" ) \
                  "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) 2>build/fuzz/$name.log \
            || { tail -50 build/fuzz/$name.log; echo "$name found a problem"; exit 1; }
    done
fi

ctest --test-dir build/test --output-on-failure -j "$jobs"
