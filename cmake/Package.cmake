# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in a build folder, or scripts/package.sh.
set(CPACK_PACKAGE_NAME linkshelf)
set(CPACK_PACKAGE_VENDOR "Quorvane")
set(CPACK_PACKAGE_CONTACT "Quorvane <linkshelf@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "organiser for links to files, folders and web addresses")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.example.com/linkshelf/")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}")

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quorvane <linkshelf@example.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The extended description under the summary line; CPack indents it as debian/control wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Linkshelf keeps a catalog of links in a tree of named folders. Each folder
holds entries: files on a local, removable or network disk, or web and FTP
addresses, shown with the icon the desktop gives their type, their name and a
description of your own. Opening an entry hands it to the desktop's default
program or to a program chosen for that entry.")
# The linked libraries' packages come from dpkg-shlibdeps (dpkg-dev). What the program loads
# or reads at run time without linking it is named here: the SVG icon engine plugin that
# draws every toolbar glyph and folder icon (libqt6svg6; the linker drops the library itself,
# as no symbol of it is used), Qt SQL's SQLite driver plugin that reads Firefox's bookmark
# database, and the MIME database that gives entries their types. The X11
# and offscreen platform plugins come with libqt6gui6.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6 (>= 6.4), libqt6sql6-sqlite (>= 6.4), shared-mime-info")
# Recommended: the icon themes; Qt's Wayland plugin (else the program runs through XWayland);
# and Qt's GTK platform theme, through which a GNOME desktop's light or dark theme reaches
# the program's palette (Qt reads a KDE desktop's colours by itself).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, adwaita-icon-theme, qt6-wayland, qt6-gtk-platformtheme")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

include(CPack)
