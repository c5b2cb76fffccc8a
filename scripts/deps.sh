#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that Linkshelf needs to build, run and test, once:
# a second call finds them present and returns at once.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins libqt6sql6-sqlite
    libglib2.0-dev libglib2.0-bin shared-mime-info
    adwaita-icon-theme hicolor-icon-theme
    xvfb xauth xdotool x11-utils
)
if [ "${1:-}" = "--ci" ] || [ "${1:-}" = "--package" ]; then
    # The Debian package: dependencies computed by dpkg-shlibdeps, icons drawn from the SVG,
    # and the validators of the desktop entry and the metainfo.
    packages+=(dpkg-dev file librsvg2-bin desktop-file-utils appstream)
fi
if [ "${1:-}" = "--ci" ]; then
    # The sanitizer run and the fuzzers need clang's runtime; the layout check needs clang-format.
    packages+=(clang libclang-rt-14-dev llvm clang-format-14)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
