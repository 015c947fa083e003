#!/usr/bin/env bash
# Runs the benchmarks of a Release tree (default build/bench) and prints the README's performance
# tables from their medians, then the near-touching sweep's summary.
#   tools/bench_tables.sh [TREE [BEFORE]]
# BEFORE is the Release tree of an earlier version with bench/sim_bench.cpp of this one built in
# it: the simulator's tables then set the two side by side, each run once after the other, and
# the game's step five times in turn (a shared machine drifts: only ratios within one run count).
set -euo pipefail

tree=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/bench}
before=${2:-}
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
# One run of sim_bench as "name cpu_time counters..." lines (name without its iterations).
sim_run() {
    "$1/bench/sim_bench" --benchmark_format=csv "${@:2}" 2>/dev/null | tr -d '"' | awk -F, '
        NR == 1 { next }
        { sub(/\/iterations:[0-9]+$/, "", $1); print $1, $4, $11, $12, $13 }'
}

{
    sim_run "$tree" --benchmark_filter='Step|Flight|Start' | sed 's/^/after /'
    [ -z "$before" ] || sim_run "$before" --benchmark_filter='Step|Flight|Start' | sed 's/^/before /'
    for round in 1 2 3 4 5; do
        [ -z "$before" ] || sim_run "$before" --benchmark_filter=Breakout | sed 's/^/before /'
        sim_run "$tree" --benchmark_filter=Breakout | sed 's/^/after /'
    done
} | awk -v compare="${before:+1}" '
    { split($2, n, "/"); kind = n[1]; k = n[2]; v = $1
      if (kind == "Breakout") { ticks[v] = ticks[v] " " $3 / 3.6; next }  # ms per 3,600 ticks
      time[v, kind, k] = $3; queries[v, kind, k] = $4; mb[v, kind, k] = $5
      if (kind == "Step") blocks[k] = 1 }
    function median(list,    a, m, i, j, t) {
        m = split(list, a, " ")
        for (i = 1; i <= m; ++i) for (j = i + 1; j <= m; ++j) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
        return m % 2 ? a[(m + 1) / 2] : (a[m / 2] + a[m / 2 + 1]) / 2
    }
    END {
        print "The simulator at 1/60 s a step, a ball among K fixed blocks: CPU time per step in us, the ball"
        print "flying into the blocks (Step) and bouncing on the floor below them (Flight), pair queries a step:"
        print ""
        if (compare) {
            print "| K | Step, before | Step, after | before / after | queries | Flight, before | Flight, after | before / after |"
            print "|---|---|---|---|---|---|---|---|"
        } else {
            print "| K | Step | queries | Flight |"
            print "|---|---|---|---|"
        }
        for (k = 25; k <= 6400; k *= 4) {
            if (compare)
                printf "| %d | %.1f | %.1f | %.1fx | %.1f | %.1f | %.1f | %.1fx |\n", k, time["before", "Step", k],
                    time["after", "Step", k], time["before", "Step", k] / time["after", "Step", k],
                    queries["after", "Step", k], time["before", "Flight", k], time["after", "Flight", k],
                    time["before", "Flight", k] / time["after", "Flight", k]
            else
                printf "| %d | %.1f | %.1f | %.1f |\n", k, time["after", "Step", k], queries["after", "Step", k],
                    time["after", "Flight", k]
        }
        printf "\nStep at 6400 over Step at 100: %.0fx; Flight: %.0fx.\n\n",
            time["after", "Step", 6400] / time["after", "Step", 100],
            time["after", "Flight", 6400] / time["after", "Flight", 100]
        print "| K | resident MB, before | after | first Reset and step in ms, before | after |"
        print "|---|---|---|---|---|"
        for (k = 100; k <= 6400; k *= 64)
            printf "| %d | %s | %.0f | %s | %.1f |\n", k, compare ? sprintf("%.0f", mb["before", "Step", k]) : "-",
                mb["after", "Step", k], compare ? sprintf("%.1f", time["before", "Start", k]) : "-",
                time["after", "Start", k]
        after = median(ticks["after"])
        if (compare) {
            prior = median(ticks["before"])
            printf "\nThe demo'"'"'s game on autopilot, CPU time per tick (median of five runs each, in turn): before %.2f us, after %.2f us, before / after %.2fx.\n", prior, after, prior / after
        } else {
            printf "\nThe demo'"'"'s game on autopilot, CPU time per tick: %.2f us.\n", after
        }
    }'
echo
echo "M free balls in a closed room, one run: CPU time per step, simulated seconds per CPU second,"
echo "pair queries a step:"
echo
sim_run "$tree" --benchmark_filter=FreeBalls | awk '
    BEGIN { print "| M | us per step | simulated s per s | pair queries a step |"; print "|---|---|---|---|" }
    { split($1, n, "/"); printf "| %d | %.1f | %.2f | %.0f |\n", n[2], $2, $4, $3 }'
echo
"$tree/bench/vclip_stress"
