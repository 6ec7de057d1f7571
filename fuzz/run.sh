#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz and runs each one for a
# while, starting from its seeds:
#   fuzz/run.sh [SECONDS_PER_TARGET] [TARGET...]
# Seconds default to 60; no targets means every target this checkout builds.
# The seeds in fuzz/corpus are copied into build-fuzz/fuzz-work/<target>,
# which the fuzzer grows; crashing inputs land there too. Exits non-zero when
# any target crashed, hung or ran out of memory.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
[ $# -gt 0 ] && shift
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: $0 [SECONDS_PER_TARGET] [TARGET...]" >&2
    exit 2
fi

packages=(cmake ninja-build clang libclang-rt-14-dev libicu-dev zlib1g-dev libcurl4-openssl-dev
          libgtest-dev libgmock-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DLILAN_SANITIZE=ON -DLILAN_BUILD_FUZZ=ON -DLILAN_BUILD_GUI=OFF -DLILAN_BUILD_BENCH=OFF >/dev/null

mapfile -t available < "$build/fuzz/targets.txt"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${available[@]}")
for t in "${targets[@]}"; do
    if ! printf '%s\n' "${available[@]}" | grep -qx -- "$t"; then
        echo "unknown fuzz target: $t (this checkout builds: ${available[*]})" >&2
        exit 2
    fi
done
cmake --build "$build" -j2 --target "${targets[@]}"

failed=0
for t in "${targets[@]}"; do
    work="$build/fuzz-work/$t"
    mkdir -p "$work/corpus" "$work/artifacts"
    [ -d "fuzz/corpus/$t" ] && cp -n "fuzz/corpus/$t"/* "$work/corpus/"
    log="$work/last-run.log"
    status=0
    "$build/bin/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" >"$log" 2>&1 || status=$?

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    if [ -z "$runs" ]; then # no final figures after a crash: the last progress line has them
        last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
        runs=$(sed -E 's/^#([0-9]+).*/\1/' <<<"$last")
        speed=$(sed -nE 's/.*exec\/s: ([0-9]+).*/\1/p' <<<"$last")
    fi
    if [ "$status" -eq 0 ]; then
        verdict="no crash"
    else
        failed=1
        kind=$(grep -m1 -oE 'ERROR: (AddressSanitizer|UndefinedBehaviorSanitizer|libFuzzer)[^(]*|runtime error:.*|deadly signal|timeout after [0-9]+ seconds|out-of-memory[^)]*' "$log" || true)
        artifact=$(sed -n 's/.*Test unit written to //p' "$log" | tail -1)
        verdict="CRASHED (${kind:-exit status $status}) input: ${artifact:-none} log: $log"
    fi
    printf '%-22s %12s runs %8s exec/s  %s\n' "$t" "${runs:-0}" "${speed:-0}" "$verdict"
done
exit $failed
