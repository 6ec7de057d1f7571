#!/usr/bin/env bash
# Set-up, build and run in one place, for a fresh Debian machine:
#   ./dev.sh run    installs what is missing, builds, starts the program
#   ./dev.sh test   installs what is missing, builds, runs every test
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config ca-certificates
          qt6-base-dev libcurl4-openssl-dev libicu-dev zlib1g-dev
          libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev fonts-noto-cjk libqt6svg6)

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {
    local dir=$1
    shift
    local werror=OFF
    [ "${CI:-}" = true ] && werror=ON
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLILAN_WERROR=$werror "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

case "${1:-}" in
run)
    install_missing "${packages[@]}"
    build build
    if [ -x build/bin/lilan-rank ]; then
        exec build/bin/lilan-rank
    elif [ -x build/bin/lilan-rank-cli ]; then
        exec build/bin/lilan-rank-cli --help
    else
        echo "Built, but neither build/bin/lilan-rank nor build/bin/lilan-rank-cli is there." >&2
        exit 1
    fi
    ;;
test)
    install_missing "${packages[@]}"
    build build
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir build --output-on-failure -j "$(nproc)"
    # The same unit tests again under AddressSanitizer and UBSan; any report fails.
    build build-asan -DLILAN_SANITIZE=ON -DLILAN_BUILD_GUI=OFF -DLILAN_BUILD_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
    # A few seconds of fuzzing for every parser, under the same sanitizers.
    fuzz/run.sh 5
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
