#!/usr/bin/env bash
# Rank-check throughput: lilan-rank-cli checks ROWS rows (inclusion only, no
# interval) against lilan-search-sim serving real-size pages on loopback.
# Prints rows per second and the checker's CPU time per result page.
# usage: bench/rank_check_bench.sh [BIN_DIR] [ROWS] [PAGE_KB]
set -euo pipefail
bin=${1:-build/bin}
rows=${2:-1000}
kb=${3:-370}
tmp=$(mktemp -d)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

for ((i = 1; i <= rows; i++)); do
    printf 'http://site%d.example\t%d\tsite%d.example\tmu\n' "$i" $((i % 20 + 1)) "$i"
    printf 'kw%d,site%d.example\r\n' "$i" "$i" >&3
done >"$tmp/rankings" 3>"$tmp/list"

"$bin/lilan-search-sim" --rankings "$tmp/rankings" --size-kb "$kb" >"$tmp/sim.out" &
sim_pid=$!
for _ in $(seq 100); do
    grep -q listening "$tmp/sim.out" 2>/dev/null && break
    sleep 0.05
done
port=$(sed -n 's/.*:\([0-9]*\)$/\1/p' "$tmp/sim.out")

TIMEFORMAT='%R %U %S'
{ time "$bin/lilan-rank-cli" check --host "127.0.0.1:$port" --interval 0 --inclusion-only --quiet \
    "$tmp/list" -o "$tmp/out" ; } 2>"$tmp/time"
read -r real user sys <"$tmp/time"
done_rows=$(grep -c . "$tmp/out" || true)
indexed=$(grep -c ',已收录' <(iconv -f GBK -t UTF-8 "$tmp/out") || true)
awk -v r="$done_rows" -v i="$indexed" -v t="$real" -v u="$user" -v s="$sys" -v kb="$kb" 'BEGIN {
    printf "rows checked            %d (%d indexed)\n", r, i
    printf "page size               %d KiB\n", kb
    printf "wall time               %.2f s\n", t
    printf "rows per second         %.0f\n", r / t
    printf "checker CPU per page    %.2f ms (user+sys of lilan-rank-cli / pages)\n", (u + s) * 1000 / r
}'
