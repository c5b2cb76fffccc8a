#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lays out the C++ sources that git tracks with the repository's .clang-format.
# --check changes nothing and fails, naming the files, when one is not laid out.
set -euo pipefail
cd "$(dirname "$0")/.."

format=clang-format-14
command -v "$format" >/dev/null || format=clang-format
mapfile -t sources < <(git ls-files -- '*.cpp' '*.h')

if [ "${1:-}" = "--check" ]; then
    unformatted=()
    for f in "${sources[@]}"; do
        "$format" --style=file "$f" | cmp -s - "$f" || unformatted+=("$f")
    done
    if [ ${#unformatted[@]} -ne 0 ]; then
        printf 'Not laid out by %s (run scripts/format.sh):\n' "$format" >&2
        printf '  %s\n' "${unformatted[@]}" >&2
        exit 1
    fi
    exit 0
fi
"$format" --style=file -i "${sources[@]}"
