#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the byte-exact catalog fixtures by hand from the file formats, byte by byte, so the
# tests compare our reader and writer against the formats and not against themselves.
# Integers are 32-bit little-endian; text lines end with CR LF.
set -euo pipefail
cd "$(dirname "$0")"
export LC_ALL=C

# tree.lsf of a "Hot Files" folder with a subfolder News, which has a subfolder Daily,
# followed by a top-level folder Tools.
printf 'Hot Files\r\n\tNews\r\n\t\tDaily\r\nTools\r\n' > tree-example.lsf
# itree.lsf for it: News has no record.
printf 'cat0.lsf\r\nNULL\r\ncat1.lsf\r\ncat2.lsf\r\n' > itree-example.lsf
# etree.lsf for it: Hot Files and News expanded, Daily selected, Tools neither.
printf '\x01\x01\x02\x00' > etree-example.lsf

# A folder without entries: N = 0.
printf '\x00\x00\x00\x00' > contents-empty.lsf

# One file entry with an empty program and description: 4 + 16 + 19 bytes.
{
    printf '\x01\x00\x00\x00'                    # N = 1
    printf '\x13\x00\x00\x00/home/ana/notes.txt' # Path, 19 bytes
    printf '\x00\x00\x00\x00'                    # Program, empty
    printf '\x00\x00\x00\x00'                    # Description, empty
    printf '\x00\x00\x00\x00'                    # Kind 0, a file entry
} > contents-file-entry.lsf

# A URL entry whose description has two lines joined by CR LF.
{
    printf '\x01\x00\x00\x00'
    printf '\x14\x00\x00\x00https://example.org/'         # 20 bytes
    printf '\x00\x00\x00\x00'
    printf '\x17\x00\x00\x00first line\r\nsecond line'    # 23 bytes
    printf '\x01\x00\x00\x00'                             # Kind 1, a URL entry
} > contents-multiline.lsf

# Kind 2, which the program never writes, next to an ordinary file entry.
{
    printf '\x02\x00\x00\x00'
    printf '\x0a\x00\x00\x00/tmp/a.txt'
    printf '\x00\x00\x00\x00'
    printf '\x00\x00\x00\x00'
    printf '\x02\x00\x00\x00'                             # Kind 2
    printf '\x0a\x00\x00\x00/tmp/b.txt'
    printf '\x08\x00\x00\x00/bin/vim'
    printf '\x04\x00\x00\x00note'
    printf '\x00\x00\x00\x00'
} > contents-kind2.lsf

# Texts that are not valid UTF-8 (Latin-1 e-acute, a lone 0xFF, a broken two-byte sequence).
{
    printf '\x01\x00\x00\x00'
    printf '\x0f\x00\x00\x00/srv/caf\xe9/\xff.txt'        # 15 bytes
    printf '\x08\x00\x00\x00/opt/\xc3\x28b'               # 8 bytes
    printf '\x06\x00\x00\x00\x80\x81 end'                 # 6 bytes
    printf '\x00\x00\x00\x00'
} > contents-non-utf8.lsf

# An entry written on Western Windows: path, program and description in windows-1252
# (0xDC U-umlaut, 0xFC u-umlaut, 0xDF sharp s, 0x96 en dash, 0x80 euro sign), none of it UTF-8.
{
    printf '\x01\x00\x00\x00'
    printf '\x19\x00\x00\x00/srv/Ablage/\xdcbersicht.txt'    # 25 bytes
    printf '\x0e\x00\x00\x00/opt/b\xfcro/edit'                # 14 bytes
    printf '\x19\x00\x00\x00Gr\xfc\xdfe \x96 5 \x80\r\nzweite Zeile' # 25 bytes
    printf '\x00\x00\x00\x00'
} > contents-windows-1252.lsf

# Catalogs written on Windows in three code pages, each in a folder of its own: a folder with
# a non-ASCII name holding a file entry (a Windows path with non-ASCII letters, a description)
# and a URL entry with a non-ASCII description (in the order the list sorts them, which is the
# order a save writes), and a second folder "Other", empty; the first folder selected. $1 folder, $2 the folder's name, $3 the file's path, $4 the description.
# Lengths are given by hand, as every other fixture gives them.
windows_catalog() {
    mkdir -p "$1"
    printf '%s\r\nOther\r\n' "$2" > "$1/tree.lsf"
    printf 'cat0.lsf\r\ncat1.lsf\r\n' > "$1/itree.lsf"
    printf '\x02\x00' > "$1/etree.lsf"
    printf '\x00\x00\x00\x00' > "$1/cat1.lsf"
}

# windows-1252: "Übersicht", "C:\Users\ann\Café\menü.txt", "Grüße – 5 €".
windows_catalog catalog-windows-1252 $'\xdcbersicht'
{
    printf '\x02\x00\x00\x00'
    printf '\x14\x00\x00\x00https://example.org/'                  # 20 bytes
    printf '\x00\x00\x00\x00'
    printf '\x09\x00\x00\x00\xdcbersicht'                          # 9 bytes
    printf '\x01\x00\x00\x00'
    printf '\x1a\x00\x00\x00C:\\Users\\ann\\Caf\xe9\\men\xfc.txt'   # 26 bytes
    printf '\x00\x00\x00\x00'
    printf '\x0b\x00\x00\x00Gr\xfc\xdfe \x96 5 \x80'                # 11 bytes
    printf '\x00\x00\x00\x00'
} > catalog-windows-1252/cat0.lsf

# windows-1251: "Документы", "C:\Users\ann\Отчёт.txt", "Привет, мир".
windows_catalog catalog-windows-1251 $'\xc4\xee\xea\xf3\xec\xe5\xed\xf2\xfb'
{
    printf '\x02\x00\x00\x00'
    printf '\x16\x00\x00\x00C:\\Users\\ann\\\xce\xf2\xf7\xb8\xf2.txt'  # 22 bytes
    printf '\x00\x00\x00\x00'
    printf '\x0b\x00\x00\x00\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0'    # 11 bytes
    printf '\x00\x00\x00\x00'
    printf '\x14\x00\x00\x00https://example.org/'
    printf '\x00\x00\x00\x00'
    printf '\x09\x00\x00\x00\xc4\xee\xea\xf3\xec\xe5\xed\xf2\xfb'      # 9 bytes
    printf '\x01\x00\x00\x00'
} > catalog-windows-1251/cat0.lsf

# windows-31j: "資料", "C:\Users\ann\表.txt", "日本語". The second byte of "表" (0x95 0x5C) is
# the byte of "\": a reader that cuts the name at that byte shows half a letter.
windows_catalog catalog-windows-31j $'\x8e\x91\x97\xbf'
{
    printf '\x02\x00\x00\x00'
    printf '\x14\x00\x00\x00https://example.org/'
    printf '\x00\x00\x00\x00'
    printf '\x04\x00\x00\x00\x8e\x91\x97\xbf'                         # 4 bytes
    printf '\x01\x00\x00\x00'
    printf '\x13\x00\x00\x00C:\\Users\\ann\\\x95\x5c.txt'             # 19 bytes
    printf '\x00\x00\x00\x00'
    printf '\x06\x00\x00\x00\x93\xfa\x96\x7b\x8c\xea'                 # 6 bytes
    printf '\x00\x00\x00\x00'
} > catalog-windows-31j/cat0.lsf
