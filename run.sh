#!/usr/bin/env bash
# Builds the program and starts it on the demo data folder (made on first use).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure_packages.sh
ensure_packages "${VV_BUILD_PACKAGES[@]}"

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVV_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"

admin=build/release/src/cli/vekvoro-admin
demo=${VV_DEMO_DIR:-$PWD/demo}
if [ ! -d "$demo" ]; then
    "$admin" demo "$demo"
fi
if [ -x build/release/src/app/vekvoro ]; then
    exec build/release/src/app/vekvoro "$@"
fi
echo "Demo data folder: $demo"
"$admin" info "$demo" SALECALL
"$admin" count "$demo" SALECALL
