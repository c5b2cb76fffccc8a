#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a demo catalog for the screenshots: `democatalog.py small WORKDIR FILESDIR` (a few
# folders, real files of common types in FILESDIR) or `democatalog.py large WORKDIR`
# (hundreds of folders, one of them with thousands of entries).
import os
import struct
import sys

FILE, URL = 0, 1


def entry(kind, path, program='', description=''):
    out = b''
    for text in (path, program, description):
        data = text.encode()
        out += struct.pack('<i', len(data)) + data
    return out + struct.pack('<i', kind)


def write_catalog(workdir, folders):
    """folders: (level, name, entries, flags) in tree order; flags 1 expanded, 2 selected."""
    os.makedirs(workdir, exist_ok=True)
    tree, index, state = [], [], bytearray()
    for number, (level, name, entries, flags) in enumerate(folders):
        tree.append('\t' * level + name)
        index.append(f'cat{number}.lsf')
        state.append(flags)
        with open(os.path.join(workdir, f'cat{number}.lsf'), 'wb') as f:
            f.write(struct.pack('<i', len(entries)) + b''.join(entries))
    with open(os.path.join(workdir, 'tree.lsf'), 'wb') as f:
        f.write(('\r\n'.join(tree) + '\r\n').encode())
    with open(os.path.join(workdir, 'itree.lsf'), 'wb') as f:
        f.write(('\r\n'.join(index) + '\r\n').encode())
    with open(os.path.join(workdir, 'etree.lsf'), 'wb') as f:
        f.write(bytes(state))


def small(workdir, files):
    os.makedirs(files, exist_ok=True)
    documents = [
        ('Quarterly report.pdf', 'Q3 figures for the board', '%PDF-1.4\n'),
        ('notes.txt', 'Meeting notes\r\nAction items at the end', 'notes\n'),
        ('budget.ods', 'Household budget 2026', 'PK'),
        ('holiday.png', 'Beach at sunset', '\x89PNG'),
        ('podcast.mp3', '', 'ID3'),
        ('site-backup.tar.gz', 'Backup of the old site', '\x1f\x8b'),
        ('deploy.sh', 'Deploy script', '#!/bin/sh\n'),
        ('index.html', '', '<!DOCTYPE html>\n'),
        ('slides.odp', 'Talk slides', 'PK'),
    ]
    home = []
    for name, description, content in documents:
        path = os.path.join(files, name)
        with open(path, 'w', encoding='latin-1') as f:
            f.write(content)
        home.append(entry(FILE, path, '', description))
    home += [
        entry(URL, 'https://www.example.com/', '', 'Example home page'),
        entry(URL, 'https://docs.example.org/guide/', '', 'User guide'),
        entry(FILE, '/media/usb/films/travel-2025.mkv', '', 'On the USB stick'),
    ]
    write_catalog(workdir, [
        (0, 'Hot Files', home, 2),
        (0, 'Projects', [entry(URL, 'https://git.example.net/linkshelf', '', 'Sources')], 1),
        (1, 'Website', [entry(URL, 'https://www.example.com/admin/', '', 'Back office')], 0),
        (1, 'Talks', [], 0),
        (0, 'Reading', [entry(URL, 'https://news.example.net/', '', 'Daily news')], 0),
        (0, 'Tools', [], 0),
    ])


TOPICS = ['Archive', 'Books', 'Clients', 'Cooking', 'Design', 'Family', 'Finance', 'Games',
          'Garden', 'Health', 'Hobbies', 'House', 'Journals', 'Languages', 'Maps', 'Music',
          'News', 'Photos', 'Projects', 'Recipes', 'Research', 'School', 'Science', 'Shopping',
          'Software', 'Sport', 'Taxes', 'Travel', 'Videos', 'Work']
PARTS = ['2019', '2020', '2021', '2022', '2023', '2024', '2025', '2026', 'Drafts', 'Inbox',
         'Old', 'Shared', 'To read']
EXTENSIONS = ['pdf', 'odt', 'ods', 'txt', 'png', 'jpg', 'html', 'mp3', 'zip', 'md']
WORDS = ['annual', 'budget', 'chapter', 'draft', 'invoice', 'letter', 'minutes', 'notes',
         'offer', 'plan', 'report', 'review', 'scan', 'summary', 'ticket']


def large(workdir, big_entries=5000):
    folders = []
    for t, topic in enumerate(TOPICS):
        expanded = 1 if topic in ('Projects', 'Research') else 0
        folders.append((0, topic, [entry(URL, f'https://www.example.com/{topic.lower()}/')], expanded))
        for p, part in enumerate(PARTS):
            count = (t * 7 + p * 3) % 12
            entries = [entry(FILE, f'/home/demo/{topic}/{part}/file-{n:02}.pdf') for n in range(count)]
            folders.append((1, part, entries, 0))
    big = []
    for n in range(big_entries):
        word = WORDS[n % len(WORDS)]
        if n % 4 == 3:
            big.append(entry(URL, f'https://www.example.com/research/{word}/{n:05}', '',
                             f'{word.capitalize()} page {n}'))
        else:
            ext = EXTENSIONS[n % len(EXTENSIONS)]
            description = f'{word.capitalize()} {n // 15 + 1}' if n % 5 != 4 else ''
            big.append(entry(FILE, f'/home/demo/Research/2026/{word}-{n:05}.{ext}', '', description))
    # The research folder of 2026 holds the big list and is the selected one.
    research = TOPICS.index('Research') * (len(PARTS) + 1) + 1 + PARTS.index('2026')
    level, name, _, _ = folders[research]
    folders[research] = (level, name, big, 2)
    write_catalog(workdir, folders)


if __name__ == '__main__':
    if sys.argv[1] == 'small':
        small(sys.argv[2], sys.argv[3])
    else:
        large(sys.argv[2])
