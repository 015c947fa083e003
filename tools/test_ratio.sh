#!/usr/bin/env bash
# The test suite's size against the code's: non-blank lines of every C++, CMake, Python and shell
# file under tests/, and of the C++ files outside it. The suite is kept within 0.40 of the code.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

non_blank() {  # non_blank <file list on stdin>: the files' non-blank lines, summed
    local total=0 file
    while IFS= read -r file; do
        total=$((total + $(grep -c -v -E '^\s*$' "$file" || true)))
    done
    echo "$total"
}

code=$(git ls-files | grep -E '\.(h|hpp|cpp|cc)$' | grep -v '^tests/' | non_blank)
tests=$(git ls-files tests | grep -E '(\.(h|hpp|cpp|cc|py|sh|cmake)|CMakeLists\.txt)$' | non_blank)
# Judged on the exact ratio: rounded to two places, 0.403 would pass for 0.40.
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.3f", t / c }')
verdict=$(awk -v t="$tests" -v c="$code" 'BEGIN { print (t <= 0.40 * c ? "within" : "OVER") }')
echo "test budget: tests/ has ${tests} non-blank lines, the code outside it ${code}: ratio ${ratio} (${verdict} the budget of 0.40)"
