#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the screenshots in this folder: the main window in its four view styles, the
# properties dialog, the about box and a large catalog, at 100% and 200% scale, in a light
# and a dark palette, each under a virtual X server of its own with a made-up catalog.
# Usage: docs/screenshots/make.sh [PROGRAM]   (default: build/src/app/linkshelf)
# Needs xvfb, xdotool, imagemagick and, for the palettes, qt6ct.
#
# The palettes are the desktop's, as a user sets them: Qt's qt6ct platform theme with its
# stock "darker" colour scheme for the dark shots and the Fusion style's own palette for the
# light ones (both through qt6ct, so fonts and metrics are the same). The program itself
# is not told anything.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work=/tmp/linkshelf-screenshots
width=800 height=520

# One run of the program in a fresh home under its own X server. Arguments: the output file,
# the view style, the catalog (small or large), the scale, the palette, and an action
# (none, properties, about) done before the picture is taken.
shoot() {
    local out=$1 view=$2 catalog=$3 scale=$4 palette=$5 action=$6
    local home=$work/home
    rm -rf "$home" && mkdir -p "$home/.config/Quorvane/Linkshelf" "$home/.config/qt6ct" "$home/runtime"
    chmod 700 "$home/runtime"
    if [ "$catalog" = small ]; then
        python3 "$here/democatalog.py" small "$home/Links" "$home/Documents"
    else
        python3 "$here/democatalog.py" large "$home/Links"
    fi
    local tree_width=180
    [ "$catalog" = large ] && tree_width=230
    cat >"$home/.config/Quorvane/Linkshelf/registry.ini" <<INI
[HKEY_LOCAL_MACHINE]
SOFTWARE\\Quorvane\\Linkshelf\\WorkDir=$home/Links
[HKEY_CURRENT_USER]
Software\\linkshelf\\TMain\\MainList_ViewStyle=$view
Software\\linkshelf\\TMain\\NormPos="0,0,$width,$height"
Software\\linkshelf\\TMain\\MainTree_Width=$tree_width
Software\\linkshelf\\TMain\\MainList_Columns="260,350"
Software\\linkshelf\\TMain\\GroupBox1_Height=90
INI
    {
        echo "[Appearance]"
        echo "style=Fusion"
        echo "icon_theme=Adwaita"
        echo "standard_dialogs=default"
        if [ "$palette" = dark ]; then
            echo "custom_palette=true"
            echo "color_scheme_path=/usr/share/qt6ct/colors/darker.conf"
        else
            echo "custom_palette=false"
        fi
        echo "[Fonts]"
        echo 'general="DejaVu Sans,9,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"'
        echo 'fixed="DejaVu Sans Mono,9,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"'
    } >"$home/.config/qt6ct/qt6ct.conf"

    HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
    XDG_CACHE_HOME=$home/.cache XDG_RUNTIME_DIR=$home/runtime \
    QT_QPA_PLATFORMTHEME=qt6ct QT_SCALE_FACTOR=$scale QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 $((width * scale))x$((height * scale))x24 -dpi 96" \
        bash "$here/make.sh" --inside "$program" "$out" "$scale" "$action"
}

# Inside the X server: start, wait for the window, act, take the picture, stop.
inside() {
    local program=$1 out=$2 scale=$3 action=$4
    "$program" >/dev/null 2>&1 &
    local pid=$!
    xdotool search --sync --onlyvisible --name '^Linkshelf' >/dev/null
    sleep 2
    # Toolbar buttons and the list's rows, in unscaled pixels.
    click() { xdotool mousemove $(($1 * scale)) $(($2 * scale)) click 1; sleep 0.7; }
    case $action in
        properties) click 300 275; click 368 35; sleep 1 ;;
        about) click 427 35; sleep 1 ;;
    esac
    import -window root "$out"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

if [ "${1:-}" = --inside ]; then
    shift
    inside "$@"
    exit
fi

program="$(realpath "${1:-$here/../../build/src/app/linkshelf}")"
[ -x "$program" ] || { echo "make.sh: no program at $program" >&2; exit 1; }
for scale in ${SCALES:-1 2}; do
    for palette in ${PALETTES:-light dark}; do
        suffix=""
        [ "$palette" = dark ] && suffix="-dark"
        [ "$scale" = 2 ] && suffix="$suffix@2x"
        shoot "$here/report$suffix.png" vsReport small "$scale" "$palette" none
        shoot "$here/large-icons$suffix.png" vsIcon small "$scale" "$palette" none
        shoot "$here/small-icons$suffix.png" vsSmallIcon small "$scale" "$palette" none
        shoot "$here/list$suffix.png" vsList small "$scale" "$palette" none
        shoot "$here/properties$suffix.png" vsReport small "$scale" "$palette" properties
        shoot "$here/about$suffix.png" vsReport small "$scale" "$palette" about
        shoot "$here/large-catalog$suffix.png" vsReport large "$scale" "$palette" none
    done
done
rm -rf "$work"
