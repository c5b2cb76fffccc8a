#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets with clang and runs each for SECONDS (default 30) on a copy of its
# seed corpus, so the corpus in the repository does not grow. Fails on any finding.
# Usage: fuzz/run.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
targets=(fuzz_contents fuzz_contents_records fuzz_foldertree fuzz_treeindex fuzz_indexpaths fuzz_forwarded fuzz_bookmarks_html fuzz_xbel fuzz_chromium_bookmarks)
build=build-fuzz

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLINKSHELF_FUZZ=ON -DBUILD_TESTING=OFF -DLINKSHELF_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target "${targets[@]}"

summary=()
for target in "${targets[@]}"; do
    work="$build/fuzz-run/$target"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/findings"
    cp fuzz/corpus/"$target"/* "$work/corpus/"
    echo "== $target: ${seconds}s"
    status=0
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/findings/" "$work/corpus" >"$work/log" 2>&1 || status=$?
    tail -n 20 "$work/log"
    if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/findings")" ]; then
        echo "$target: FINDING (exit $status), see $work/log and $work/findings/" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$work/log" | tail -n 1)
    summary+=("$target: $runs executions, $cov")
done

echo "== fuzzing passed"
printf '%s\n' "${summary[@]}"
