#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Linkshelf for release into the given build folder (default: build-package) and makes
# its Debian package there. The package's path is all it prints on standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-package}"
bash scripts/deps.sh >&2
# dpkg-shlibdeps works out the package's dependencies; rsvg-convert draws the PNG icons.
for tool in dpkg-shlibdeps rsvg-convert; do
    command -v "$tool" >/dev/null || { echo "package.sh: $tool is missing (dpkg-dev, librsvg2-bin)" >&2; exit 1; }
done
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# The prefix is the package's: the man page names the help page's installed path.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DLINKSHELF_BENCH=OFF "${launcher[@]}" >&2
cmake --build "$dir" >&2
rm -f "$dir"/linkshelf_*.deb
(cd "$dir" && cpack -G DEB >&2)
ls "$PWD/$dir"/linkshelf_*.deb
