# SPDX-License-Identifier: GPL-3.0-or-later
# Compile settings shared by every Linkshelf target, through one INTERFACE library.
add_library(linkshelf_common INTERFACE)
target_compile_features(linkshelf_common INTERFACE cxx_std_20)
target_compile_definitions(linkshelf_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_DISABLE_DEPRECATED_UP_TO=0x060400
    QT_NO_KEYWORDS
    LINKSHELF_VERSION="${PROJECT_VERSION}")
target_compile_options(linkshelf_common INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
if(LINKSHELF_WERROR)
    target_compile_options(linkshelf_common INTERFACE -Werror)
endif()
if(LINKSHELF_SANITIZE)
    target_compile_options(linkshelf_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(linkshelf_common INTERFACE -fsanitize=address,undefined)
endif()
