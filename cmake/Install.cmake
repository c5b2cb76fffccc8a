# SPDX-License-Identifier: GPL-3.0-or-later
# Installs Linkshelf as a desktop application: the program, its help page, the desktop entry,
# the icon in every usual size, the AppStream metainfo and the man page.
include(GNUInstallDirs)

set(LINKSHELF_APP_ID com.quorvane.Linkshelf)

install(TARGETS linkshelf RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program looks for its help page at ../share/linkshelf/help/ from its own folder.
install(FILES ${PROJECT_SOURCE_DIR}/help/index.htm
        DESTINATION ${CMAKE_INSTALL_DATADIR}/linkshelf/help)
install(FILES ${PROJECT_SOURCE_DIR}/data/${LINKSHELF_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/${LINKSHELF_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The man page names the installed help page and the version; it is installed compressed,
# as Debian's policy asks (-n keeps the build date out, so the file is reproducible).
configure_file(${PROJECT_SOURCE_DIR}/data/linkshelf.1.in ${PROJECT_BINARY_DIR}/man/linkshelf.1 @ONLY)
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/linkshelf.1.gz
    COMMAND ${GZIP} -9nf --keep ${PROJECT_BINARY_DIR}/man/linkshelf.1
    DEPENDS ${PROJECT_BINARY_DIR}/man/linkshelf.1
    VERBATIM)
add_custom_target(linkshelf_man ALL DEPENDS ${PROJECT_BINARY_DIR}/man/linkshelf.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/man/linkshelf.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The icon: the SVG for every size, and PNGs for the desktops and menus that want bitmaps.
# The PNGs are drawn from the same SVG at build time, so there is one picture to keep.
set(linkshelf_icon_svg ${PROJECT_SOURCE_DIR}/resources/icons/linkshelf.svg)
install(FILES ${linkshelf_icon_svg}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${LINKSHELF_APP_ID}.svg)

set(LINKSHELF_ICON_SIZES 16 22 24 32 48 64 128 256 512)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
    set(linkshelf_icon_pngs)
    foreach(size IN LISTS LINKSHELF_ICON_SIZES)
        set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/${LINKSHELF_APP_ID}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
            COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --keep-aspect-ratio
                    --output=${png} ${linkshelf_icon_svg}
            DEPENDS ${linkshelf_icon_svg}
            COMMENT "Drawing the ${size}x${size} application icon"
            VERBATIM)
        list(APPEND linkshelf_icon_pngs ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(linkshelf_icons ALL DEPENDS ${linkshelf_icon_pngs})
else()
    # Only the bitmaps are missing then; the scalable icon serves every desktop that reads SVG.
    message(WARNING "rsvg-convert (librsvg2-bin) not found: the PNG application icons are not built")
endif()
