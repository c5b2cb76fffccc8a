#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""How long the real program lives on after its window is asked to close: starts it under a
virtual X server on a catalog of a few hundred entries, closes its window as a window
manager's close button does, and times the close request to the process's exit. Checks that
the folder tree files were written at closing. Prints one result line for bench/run.sh.

Usage: close_to_exit.py PATH_TO_LINKSHELF [--quick]
"""

import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'e2e'))
import keyboard_session as session  # noqa: E402  (the same X server, window and catalog helpers)


def prepare(root, dirs):
    work = session.prepare_catalog(root, dirs)
    # Entries whose icons the workers look up while the window closes.
    files = [(0, os.path.join(root, 'docs', f'file {i}.txt'), '', '') for i in range(400)]
    session.write(os.path.join(work, 'cat0.lsf'), session.contents_bytes(files))
    return work


def one_run(program, settle):
    with tempfile.TemporaryDirectory(prefix='linkshelf-close-') as root:
        env, dirs = session.private_environment(root)
        work = prepare(root, dirs)
        server, display = session.start_xvfb()
        desktop = session.Desktop(display)
        env['DISPLAY'] = display
        app = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            window = desktop.wait_window('Linkshelf', app.pid)
            time.sleep(settle)
            tree = os.path.join(work, 'tree.lsf')
            inode = os.stat(tree).st_ino
            start = time.monotonic()
            desktop.close(window)
            app.wait(timeout=session.STEP_TIMEOUT)
            elapsed = (time.monotonic() - start) * 1000
            if os.stat(tree).st_ino == inode:
                raise session.Failure('the folder tree files were not written at closing')
            return elapsed
        finally:
            if app.poll() is None:
                app.kill()
                app.wait()
            server.terminate()
            server.wait()


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    program = os.path.abspath(sys.argv[1])
    runs = 1 if '--quick' in sys.argv else 9
    # Closed at once (icons still being looked up) and after the window has settled.
    times = [one_run(program, settle) for settle in (0.0, 1.0) for _ in range(runs)]
    median = statistics.median(times)
    print(f'close to exit, ms: {", ".join(f"{t:.0f}" for t in times)}', file=sys.stderr)
    print(f'RESULT\twindow closed to process ended\t{median:.1f} ms\t\t\tmax {max(times):.0f} ms; <= 200 ms\t'
          f'{"yes" if max(times) <= 200 else "NO"}')
    return 0


if __name__ == '__main__':
    sys.exit(main())
