#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""How much a very large selected folder costs the real program's start: starts it under a
virtual X server on a catalog whose selected folder holds a million entries (a file of about
100 MB, in the order Linkshelf writes it), and on the same catalog with that folder empty, and
times each from the start of the process to its window being shown, with the process's peak
resident memory once the window has shown and settled. Prints result lines for bench/run.sh.

Usage: start_million.py PATH_TO_LINKSHELF [--quick] [--entries N]
"""

import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'e2e'))
import keyboard_session as session  # noqa: E402  (the same X server, window and catalog helpers)

WINDOW_TIMEOUT = 120.0


def big_contents(count):
    """count entries whose captions sort the same by bytes and by collation (a fixed shape with
    the first difference always between digits), written in that order, as Linkshelf writes."""
    files = count // 2
    parts = [count.to_bytes(4, 'little', signed=True)]
    for i in range(count):
        if i < files:
            path = f'/home/user/Documents/projects/archive/quarterly/file-{i:07d}.pdf'.encode()
            kind = 0
        else:
            path = f'https://site{i:07d}.example.org/articles/reading/page.html'.encode()
            kind = 1
        description = f'described entry number {i}'.encode() if i % 3 == 0 else b''
        for text in (path, b'', description):
            parts.append(len(text).to_bytes(4, 'little') + text)
        parts.append(kind.to_bytes(4, 'little', signed=True))
    return b''.join(parts)


def status_kb(pid, field):
    with open(f'/proc/{pid}/status') as status:
        for line in status:
            if line.startswith(field + ':'):
                return int(line.split()[1])
    return -1


def linkshelf_shown(desktop, pid):
    return bool(desktop.windows('Linkshelf', pid))


def wait_shown(desktop, app, shown, log):
    deadline = time.monotonic() + WINDOW_TIMEOUT
    while time.monotonic() < deadline and app.poll() is None:
        if shown(desktop, app.pid):
            return
        time.sleep(0.005)
    with open(log, errors='replace') as output:
        said = output.read()[-2000:]
    ended = 'it is still running' if app.poll() is None else f'it ended with {app.returncode}'
    raise session.Failure(f'the window did not show; {ended}, saying:\n{said}')


def time_to_window(prepare, shown=linkshelf_shown, settle=1.0):
    """Milliseconds from a program's start to shown(desktop, pid) telling its window is shown,
    and its peak resident kB after settling. prepare(root, dirs, env) writes what the program
    reads under root, its private home, and returns the command line."""
    with tempfile.TemporaryDirectory(prefix='linkshelf-start-') as root:
        env, dirs = session.private_environment(root)
        command = prepare(root, dirs, env)
        server, display = session.start_xvfb()
        desktop = session.Desktop(display)
        env['DISPLAY'] = display
        try:
            log = os.path.join(root, 'output.log')
            start = time.monotonic()
            with open(log, 'w') as output:
                app = subprocess.Popen(command, env=env, stdout=output, stderr=subprocess.STDOUT)
            try:
                wait_shown(desktop, app, shown, log)
                elapsed = (time.monotonic() - start) * 1000
                time.sleep(settle)  # what runs after the window shows counts for memory too
                return elapsed, status_kb(app.pid, 'VmHWM')
            finally:
                app.kill()
                app.wait()
        finally:
            server.terminate()
            server.wait()


def timed(prepare, shown=linkshelf_shown):
    """One start; one that never showed is tried again, twice at most: on a machine shared with
    other virtual X servers a program now and then cannot reach the display it was given."""
    for attempt in range(3):
        try:
            return time_to_window(prepare, shown)
        except session.Failure as failure:
            if attempt == 2:
                raise
            print(f'a start failed and is tried again: {failure}', file=sys.stderr)


def one_run(program, contents):
    """Linkshelf on the three-folder catalog of the tests, its selected folder holding contents."""
    def prepare(root, dirs, env):
        work = session.prepare_catalog(root, dirs)
        session.write(os.path.join(work, 'cat0.lsf'), contents)
        return [program]
    return timed(prepare)


def arguments(full_count):
    """The program, the number of entries (--entries N; 10,000 with --quick) and of runs."""
    program = os.path.abspath(sys.argv[1])
    quick = '--quick' in sys.argv
    count = 10000 if quick else full_count
    if '--entries' in sys.argv:
        count = int(sys.argv[sys.argv.index('--entries') + 1])
    return program, count, 1 if quick else 5


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    program, count, runs = arguments(1000000)
    contents = big_contents(count)
    empty = bytes(4)
    big, small = [], []
    for _ in range(runs):  # alternated, so the machine's load falls alike on both
        small.append(one_run(program, empty))
        big.append(one_run(program, contents))
    big_ms = statistics.median(t for t, _ in big)
    small_ms = statistics.median(t for t, _ in small)
    big_kb = statistics.median(m for _, m in big)
    small_kb = statistics.median(m for _, m in small)
    added_ms = big_ms - small_ms
    added_mem = (big_kb - small_kb) * 1024 / len(contents)
    label = f'{count // 1000}k' if count < 1000000 else f'{count // 1000000}M'
    mb = len(contents) / 1e6
    print(f'start, {label} entries: {", ".join(f"{t:.0f}" for t, _ in big)} ms; '
          f'empty: {", ".join(f"{t:.0f}" for t, _ in small)} ms', file=sys.stderr)
    print(f'RESULT\tstart-up, {label} entries selected ({mb:.0f} MB file), to window shown\t'
          f'{big_ms:.0f} ms\t{small_ms:.0f} ms empty\t+{added_ms:.0f} ms\tadds <= 700 ms\t'
          f'{"yes" if added_ms <= 700 else "NO"}')
    print(f'RESULT\tpeak memory, {label} entries selected\t{big_kb / 1024:.0f} MB\t'
          f'{small_kb / 1024:.0f} MB empty\t+{added_mem:.2f}x the file\t<= 1.5x the file\t'
          f'{"yes" if added_mem <= 1.5 else "NO"}')
    return 0


if __name__ == '__main__':
    sys.exit(main())
