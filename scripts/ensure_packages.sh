#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# Sourced by run.sh and test.sh; pass the package list as arguments.
ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

VV_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config libssl-dev zlib1g-dev libzip-dev
                   libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev libgl-dev
                   python3 python3-dbf python3-dbfread poppler-utils unzip
                   fonts-liberation2)
VV_FUZZ_PACKAGES=(clang libclang-rt-dev)
