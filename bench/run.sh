#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmarks in Release and runs them all, printing one table of figures.
# Usage: bench/run.sh [--quick]   (--quick: small data and one run each, to check they work)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${LINKSHELF_BENCH_BUILD:-$root/build-bench}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLINKSHELF_BENCH=ON "${launcher[@]}" >/dev/null
cmake --build "$build" --target bench_contents bench_folderswitch bench_startup bench_adddirectory \
    bench_sort bench_memory bench_foldertree bench_undo bench_search bench_linkchecker bench_scaling linkshelf >/dev/null

export QT_QPA_PLATFORM=offscreen
results="$(mktemp)"
trap 'rm -f "$results"' EXIT
for name in contents folderswitch startup adddirectory sort memory foldertree undo search linkchecker scaling; do
    echo "running bench_$name ..." >&2
    "$build/bench/bench_$name" "$@" | tee -a "$results" | grep -v '^RESULT' >&2 || true
done
# The real program under a virtual X server: from the close request to the process's end.
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    echo "running close_to_exit.py ..." >&2
    python3 "$root/bench/close_to_exit.py" "$build/src/app/linkshelf" "$@" \
        | tee -a "$results" | grep -v '^RESULT' >&2 || true
    # The same program started on a catalog whose selected folder holds a million entries.
    echo "running start_million.py ..." >&2
    python3 "$root/bench/start_million.py" "$build/src/app/linkshelf" "$@" \
        | tee -a "$results" | grep -v '^RESULT' >&2 || true
    # Beside a peer: the KDE bookmark editor on the same tree as XBEL, when it is installed.
    if command -v keditbookmarks >/dev/null; then
        echo "running start_beside_peer.py ..." >&2
        python3 "$root/bench/start_beside_peer.py" "$build/src/app/linkshelf" "$@" \
            | tee -a "$results" | grep -v '^RESULT' >&2 || true
    else
        echo "start_beside_peer.py skipped: keditbookmarks is not installed" >&2
    fi
fi

{
    printf 'figure\tvalue\tbaseline\tratio\ttarget\tmet\n'
    grep '^RESULT' "$results" | cut -f2-
} | awk -F'\t' '
    { for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) } rows = NR }
    END {
        for (r = 1; r <= rows; r++) {
            line = "|"
            for (i = 1; i <= 6; i++) line = line sprintf(" %-" width[i] "s |", cell[r, i])
            print line
            if (r == 1) { line = "|"; for (i = 1; i <= 6; i++) { dashes = ""; for (k = 0; k < width[i] + 2; k++) dashes = dashes "-"; line = line dashes "|" } print line }
        }
    }'
