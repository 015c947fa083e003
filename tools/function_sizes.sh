#!/usr/bin/env bash
# Every function of the core (math, geometry, collision, sim) that has grown past what a newcomer
# can change safely: more than 80 lines, or a cognitive complexity above 40 as clang-tidy's
# readability-function-cognitive-complexity measures it. Prints each such function and exits 1 if
# there is one.
#
#   tools/function_sizes.sh          the functions over the limits
#   tools/function_sizes.sh --all    every function with its figures, largest complexity first
#
# It configures (does not build) build/function-sizes for its compile_commands.json.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

max_lines=80
max_complexity=40
show_all=false
case "${1:-}" in
    "") ;;
    --all) show_all=true ;;
    *)
        echo "function_sizes.sh: unknown option \"$1\"; the only option is --all" >&2
        exit 2
        ;;
esac

folders=(math geometry collision sim)
tree=build/function-sizes
if [ ! -f "$tree/compile_commands.json" ]; then
    env -u CMAKE_CXX_COMPILER_LAUNCHER cmake -S . -B "$tree" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
        -DTOVREL_TESTS=OFF -DTOVREL_BENCH=OFF -DTOVREL_FUZZ=OFF >/dev/null
fi
mapfile -t sources < <(git ls-files "${folders[@]}" | grep -E '\.cpp$')

# Thresholds of 0 make clang-tidy report every function, so one pass gives both figures; the
# limits are applied below. Functions in headers are reported once per file that includes them.
config="{CheckOptions: [
    {key: readability-function-size.LineThreshold, value: 0},
    {key: readability-function-cognitive-complexity.Threshold, value: 0},
    {key: readability-function-cognitive-complexity.DescribeBasicIncrements, value: false}]}"
header_filter="^${root}/($(IFS='|'; echo "${folders[*]}"))/"
report=$(clang-tidy --quiet -p "$tree" \
    -checks='-*,readability-function-size,readability-function-cognitive-complexity' \
    -config="$config" -header-filter="$header_filter" "${sources[@]}" 2>/dev/null || true)

# One row per function: complexity, lines, where, name. A function too short to be reported by
# the size check (one line) shows 0 lines.
rows=$(awk -v root="${root}/" '
    function place(s) { sub(/:[0-9]+: (warning|note):.*/, "", s); sub(root, "", s); return s }
    /warning: function .* has cognitive complexity of/ {
        where = place($0); name[where] = $0; sub(/^.*function \047/, "", name[where])
        sub(/\047.*$/, "", name[where]); match($0, /complexity of [0-9]+/)
        complexity[where] = substr($0, RSTART + 14, RLENGTH - 14) + 0
    }
    /warning: function .* exceeds recommended size/ {
        where = place($0); name[where] = $0; sub(/^.*function \047/, "", name[where])
        sub(/\047.*$/, "", name[where])
    }
    /note: [0-9]+ lines including whitespace and comments/ {
        where = place($0); match($0, /note: [0-9]+ lines/)
        lines[where] = substr($0, RSTART + 6, RLENGTH - 12) + 0
    }
    END {
        for (where in name) printf "%d %d %s %s\n", complexity[where], lines[where], where, name[where]
    }' <<<"$report" | sort -k1,1nr -k2,2nr -k3,3)

if [ -z "$rows" ]; then
    echo "function_sizes.sh: clang-tidy reported no functions; is it installed?" >&2
    exit 2
fi

print_table() {
    awk 'BEGIN { printf "%10s %6s  %s\n", "complexity", "lines", "function" }
         { printf "%10d %6d  %s %s\n", $1, $2, $4, $3 }'
}

if $show_all; then
    print_table <<<"$rows"
    exit 0
fi
over=$(awk -v l="$max_lines" -v c="$max_complexity" '$2 > l || $1 > c' <<<"$rows")
if [ -n "$over" ]; then
    echo "functions over ${max_lines} lines or a cognitive complexity of ${max_complexity}:"
    print_table <<<"$over"
    exit 1
fi
max=$(awk 'NR == 1 || $1 > c { c = $1 } NR == 1 || $2 > l { l = $2 } END { print l " lines, complexity " c }' <<<"$rows")
echo "function sizes: every function of ${folders[*]} within ${max_lines} lines and a cognitive complexity of ${max_complexity} (largest: ${max})"
