#!/usr/bin/env bash
# Runs the benchmarks of a Release tree (default build/bench) and prints the README's performance
# tables from their medians, then the near-touching sweep's summary.
#   tools/bench_tables.sh [TREE]
set -euo pipefail

tree=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/bench}
options=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true --benchmark_format=csv)

# Each median row as "name label cpu_time unit counter...", the name without "_median".
medians() {
    "$@" "${options[@]}" 2>/dev/null | tr -d '"' | awk -F, '
        NR == 1 { for (i = 11; i <= NF; ++i) counter[i] = $i; next }
        $1 ~ /_median$/ {
            sub(/_median$/, "", $1)
            line = $1 " " ($8 == "" ? "-" : $8) " " $4 " " $5
            for (i = 11; i <= NF; ++i) line = line " " $i
            print line
        }'
}

echo "Median CPU time per query in nanoseconds, and state tests per query of the walk:"
echo
medians "$tree/bench/vclip_bench" | awk '
    { split($1, n, "/"); kind = n[1]; pair = n[2]; label[pair] = $2; time[kind, pair] = $3
      tests[kind, pair] = $5 }
    END {
        print "| pair | walk, carried | tests | walk, empty slots | tests | Bullet, warm | FCL | Bullet / carried | FCL / carried |"
        print "|---|---|---|---|---|---|---|---|---|"
        for (p = 0; (p "") in label; ++p) {
            c = time["Coherent", p]
            printf "| %s | %.0f | %.2f | %.0f | %.1f | %.0f | %.0f | %.1fx | %.1fx |\n", label[p], c,
                tests["Coherent", p], time["Fresh", p], tests["Fresh", p], time["Bullet", p],
                time["Gjk", p], time["Bullet", p] / c, time["Gjk", p] / c
        }
    }'
echo
echo "The simulator's step at 1/60 s, a ball among N fixed blocks:"
echo
medians "$tree/bench/sim_bench" | awk '
    BEGIN {
        print "| active fixed blocks | time per step | pair queries per step | simulated seconds per second |"
        print "|---|---|---|---|"
    }
    { split($1, n, "/")
      printf "| %s | %.1f %s | %.0f | %.0f |\n", n[2] == 25 ? "25 (the demo)" : n[2], $3, $4, $6, $7 }'
echo
"$tree/bench/vclip_stress"
