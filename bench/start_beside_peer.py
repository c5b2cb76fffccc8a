#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Linkshelf's start on a big catalog beside a peer's: the KDE bookmark editor (keditbookmarks)
opening the same tree as an XBEL file. The catalog holds 2,000 folders, nested as a user's
are, with a few entries each and 100,000 in the selected one; the XBEL file holds the same
folders, bookmarks and descriptions. Each program is started under its own virtual X server,
in a private home, and timed from its start to its window shown; Linkshelf also on an empty
catalog, and the peer on an empty XBEL file, so that what the big tree adds is told apart from
what starting costs. Medians of alternated runs; prints result lines for bench/run.sh.

Usage: start_beside_peer.py PATH_TO_LINKSHELF [--quick] [--entries N]
"""

import os
import shutil
import statistics
import sys
from xml.sax.saxutils import escape, quoteattr

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import start_million  # noqa: E402  (the timed start, the entries of a big folder)
from start_million import session  # noqa: E402

PEER = 'keditbookmarks'
PEER_TITLE = 'Bookmark Editor'
FOLDERS = 2000
SELECTED = 0


def folder_level(i):
    """Top-level folders every 40, their children every 5, grandchildren between."""
    if i % 40 == 0:
        return 0
    return 1 if i % 5 == 0 or i % 40 == 1 else 2


def catalog(count):
    """The folders as (level, name, contents bytes), the selected one holding count entries."""
    folders = []
    for i in range(FOLDERS):
        size = count if i == SELECTED else i % 20
        folders.append((folder_level(i), f'Folder {i}', start_million.big_contents(size)))
    return folders


def write_catalog(work, folders):
    tree, itree, state = [], [], bytearray()
    for i, (level, name, contents) in enumerate(folders):
        tree.append('\t' * level + name)
        itree.append(f'cat{i}.lsf')
        state.append((1 if level == 0 else 0) | (2 if i == SELECTED else 0))  # expanded, selected
        session.write(os.path.join(work, f'cat{i}.lsf'), contents)
    session.write(os.path.join(work, 'tree.lsf'), ('\r\n'.join(tree) + '\r\n').encode())
    session.write(os.path.join(work, 'itree.lsf'), ('\r\n'.join(itree) + '\r\n').encode())
    session.write(os.path.join(work, 'etree.lsf'), bytes(state))


def bookmark_lines(contents, indent):
    lines = []
    for kind, path, _, description in session.parse_contents(contents):
        if kind == 0:
            href, title = 'file://' + path, path.rsplit('/', 1)[-1]
        else:
            href, title = path, path
        lines.append(f'{indent}<bookmark href={quoteattr(href)}>')
        lines.append(f'{indent} <title>{escape(title)}</title>')
        if description:
            lines.append(f'{indent} <desc>{escape(description)}</desc>')
        lines.append(f'{indent}</bookmark>')
    return lines


def xbel(folders):
    """The same tree as XBEL: each folder's subfolders first, then its bookmarks."""
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<!DOCTYPE xbel>', '<xbel version="1.0">']
    open_levels = []
    pending = []  # the bookmarks of each open folder, written when it closes

    def close_to(level):
        while open_levels and open_levels[-1] >= level:
            depth = len(open_levels)
            lines.extend(pending.pop())
            lines.append(' ' * depth + '</folder>')
            open_levels.pop()

    for level, name, contents in folders:
        close_to(level)
        depth = len(open_levels) + 1
        lines.append(' ' * depth + '<folder>')
        lines.append(' ' * depth + f' <title>{escape(name)}</title>')
        open_levels.append(level)
        pending.append(bookmark_lines(contents, ' ' * (depth + 1)))
    close_to(0)
    lines.append('</xbel>')
    return ('\n'.join(lines) + '\n').encode()


def linkshelf_on(program, folders):
    def prepare(root, dirs, env):
        work = session.prepare_catalog(root, dirs)
        if folders is not None:
            for name in os.listdir(work):
                os.remove(os.path.join(work, name))
            write_catalog(work, folders)
        else:
            session.write(os.path.join(work, 'cat0.lsf'), bytes(4))
        return [program]
    return prepare


def peer_on(document):
    def prepare(root, dirs, env):
        # Nothing reaches the user's own session bus or bookmarks.
        env.pop('DBUS_SESSION_BUS_ADDRESS', None)
        path = os.path.join(root, 'bookmarks.xbel')
        session.write(path, document)
        return [PEER, path]
    return prepare


def peer_shown(desktop, pid):
    """Its window sets only the UTF-8 title, which xdotool's name search does not read: the
    window is found by its class, then its title checked."""
    code, out = desktop.xdotool('search', '--all', '--onlyvisible', '--pid', str(pid), '--class', PEER)
    return code == 0 and any(desktop.xdotool('getwindowname', window)[1] == PEER_TITLE
                             for window in out.splitlines())


def median_ms(runs):
    return statistics.median(t for t, _ in runs)


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    if not shutil.which(PEER):
        print(f'start_beside_peer.py: {PEER} is not installed; skipped', file=sys.stderr)
        return 0
    program, count, runs = start_million.arguments(100000)
    folders = catalog(count)
    document = xbel(folders)
    empty_document = xbel([(0, 'Folder 0', bytes(4))])
    ours, ours_empty, peer, peer_empty = [], [], [], []
    for _ in range(runs):  # alternated, so the machine's load falls alike on all four
        ours_empty.append(start_million.timed(linkshelf_on(program, None)))
        ours.append(start_million.timed(linkshelf_on(program, folders)))
        peer_empty.append(start_million.timed(peer_on(empty_document), peer_shown))
        peer.append(start_million.timed(peer_on(document), peer_shown))
    ours_ms, ours_empty_ms = median_ms(ours), median_ms(ours_empty)
    peer_ms, peer_empty_ms = median_ms(peer), median_ms(peer_empty)
    added = ours_ms - ours_empty_ms
    label = f'{count // 1000}k'
    for name, times in (('Linkshelf', ours), ('Linkshelf, empty', ours_empty), (PEER, peer),
                        (f'{PEER}, empty', peer_empty)):
        print(f'{name}: {", ".join(f"{t:.0f}" for t, _ in times)} ms, '
              f'peak {statistics.median(m for _, m in times) / 1024:.0f} MB', file=sys.stderr)
    print(f'RESULT\tstart-up, 2,000 folders + {label} selected, to window shown, against an empty '
          f'catalog\t{ours_ms:.0f} ms\t{ours_empty_ms:.0f} ms empty\t+{added:.0f} ms\tadds <= 150 ms\t'
          f'{"yes" if added <= 150 else "NO"}')
    print(f'RESULT\tthe same tree as XBEL in {PEER}, to window shown\t{peer_ms:.0f} ms\t'
          f'{peer_empty_ms:.0f} ms empty\tLinkshelf adds {added / peer_ms:.2f}x of it\t<= 0.1x\t'
          f'{"yes" if added <= peer_ms / 10 else "NO"}')
    return 0


if __name__ == '__main__':
    sys.exit(main())
