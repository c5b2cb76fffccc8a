#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Continuous integration for the Debian package: builds it, validates its desktop entry and
# metainfo, installs it, runs the installed program with a fresh catalog, and removes it.
# Usage: .ci/package.sh [BUILD_FOLDER]   (default: build-package)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-package}"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
app_id=com.quorvane.Linkshelf

echo "== package: build"
deb="$(bash scripts/package.sh "$build")"
echo "$deb"
dpkg-deb --field "$deb" Package Version Depends

echo "== package: contents"
contents="$(dpkg-deb --contents "$deb")"
expected=(usr/bin/linkshelf usr/share/linkshelf/help/index.htm
          usr/share/applications/$app_id.desktop usr/share/metainfo/$app_id.metainfo.xml
          usr/share/man/man1/linkshelf.1.gz usr/share/icons/hicolor/scalable/apps/$app_id.svg)
for size in 16 22 24 32 48 64 128 256 512; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for file in "${expected[@]}"; do
    grep -q " \./$file\$" <<<"$contents" || { echo "missing from the package: /$file" >&2; exit 1; }
done

echo "== package: desktop entry and metainfo"
unpacked="$(mktemp -d)"
scratch="$(mktemp -d)"
cleanup() {
    rm -rf "$unpacked" "$scratch"
    if dpkg-query -W -f='${Status}' linkshelf 2>/dev/null | grep -q "ok installed"; then
        $sudo apt-get purge -y -q linkshelf >/dev/null
    fi
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/$app_id.metainfo.xml"
# The tree check also matches the metainfo with its desktop entry and icon.
appstreamcli validate-tree --no-net "$unpacked/usr"

echo "== package: install"
$sudo apt-get install -y -q --no-install-recommends "$deb"
[ "$(command -v linkshelf)" = /usr/bin/linkshelf ]
# The program finds its help page at ../share/linkshelf/help/ from its own folder.
[ -f /usr/bin/../share/linkshelf/help/index.htm ]

# A fresh user: no catalog, no settings, nothing of the machine's user touched.
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
export XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen

echo "== package: linkshelf --version"
version="$(timeout 10 linkshelf --version)" || { echo "linkshelf --version failed" >&2; exit 1; }
echo "$version"
grep -q "1\.2\.0" <<<"$version" || { echo "linkshelf --version does not name 1.2.0" >&2; exit 1; }

echo "== package: first start with a fresh catalog"
status=0
timeout 5 linkshelf || status=$?
# The program runs until it is stopped: the timeout ending it is the expected way out.
[ "$status" -eq 124 ] || { echo "linkshelf ended by itself with status $status" >&2; exit 1; }
for file in tree.lsf cat0.lsf; do
    [ -f "$XDG_DATA_HOME/Linkshelf/tree/$file" ] || { echo "the first start did not create $file" >&2; exit 1; }
done
[ -f "$XDG_CONFIG_HOME/Quorvane/Linkshelf/registry.ini" ]

echo "== package: remove"
$sudo apt-get purge -y -q linkshelf >/dev/null
hash -r
if command -v linkshelf >/dev/null; then echo "linkshelf is still installed" >&2; exit 1; fi
echo "package: ok"
