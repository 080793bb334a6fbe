#!/usr/bin/env bash
# Builds the program and starts it on the demo data folder (made on first use).
# Arguments go to the program, e.g. ./run.sh --screenshot shot.png
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure_packages.sh
ensure_packages "${VV_BUILD_PACKAGES[@]}"

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVV_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"

admin=build/release/src/cli/vekvoro-admin
program=build/release/src/app/vekvoro
demo=${VV_DEMO_DIR:-$PWD/demo}
case "$demo" in /*) ;; *) demo=$PWD/$demo ;; esac

if [ ! -d "$demo" ]; then
    echo "Creating the demo data folder $demo"
    "$admin" create-data "$demo" --demo
fi

if [ ! -x "$program" ]; then
    echo "The program is not built yet; the demo data folder is $demo"
    "$admin" info "$demo" SALECALL
    exit 0
fi

# The program finds its data through SYSPATH.DBF beside it.
program_dir=$(cd "$(dirname "$program")" && pwd)
"$admin" write-syspath "$program_dir" "$demo" "$demo/Letters/"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running under xvfb-run"
    ensure_packages xvfb xauth
    exec xvfb-run -a "$program" "$@"
fi
exec "$program" "$@"
