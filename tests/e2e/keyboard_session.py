#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Starts the built program under a virtual X server on a prepared catalog, drives it with
real key presses and checks what it wrote to disk.

Usage: keyboard_session.py PATH_TO_LINKSHELF
Exits 77 (skipped) when Xvfb or xdotool is not installed.
"""

import ctypes
import ctypes.util
import os
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time

SKIP = 77
STEP_TIMEOUT = 10.0  # seconds to wait for any one window or file


class Failure(Exception):
    pass


# --- the catalog's file formats, written and read independently of the program ---------

def contents_bytes(entries):
    """A contents file: count, then per entry Path, Program, Description and Kind."""
    out = struct.pack('<i', len(entries))
    for kind, path, program, description in entries:
        for text in (path, program, description):
            raw = text.encode('utf-8')
            out += struct.pack('<i', len(raw)) + raw
        out += struct.pack('<i', kind)
    return out


def parse_contents(data):
    (count,) = struct.unpack_from('<i', data, 0)
    at, entries = 4, []
    for _ in range(count):
        texts = []
        for _ in range(3):
            (length,) = struct.unpack_from('<i', data, at)
            texts.append(data[at + 4:at + 4 + length].decode('utf-8'))
            at += 4 + length
        (kind,) = struct.unpack_from('<i', data, at)
        at += 4
        entries.append((kind, *texts))
    if at != len(data):
        raise Failure(f'contents file has {len(data) - at} bytes after its entries')
    return entries


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def read(path):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except FileNotFoundError:
        return None


# --- the X server and the window -------------------------------------------------------

def start_xvfb():
    """Xvfb on a display number it picks itself, so parallel runs never collide."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ['Xvfb', '-displayfd', str(write_end), '-screen', '0', '1024x768x24', '-nolisten', 'tcp'],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b''
    deadline = time.monotonic() + STEP_TIMEOUT
    while not number.endswith(b'\n'):
        ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
        chunk = os.read(read_end, 16) if ready else b''
        if not chunk:
            server.kill()
            raise Failure('Xvfb did not report its display')
        number += chunk
    os.close(read_end)
    return server, ':' + number.decode().strip()


def title_pattern(title):
    # Qt may add the application's display name after the title.
    return f'^{title}($| )'


class Desktop:
    def __init__(self, display):
        self.env = dict(os.environ, DISPLAY=display)

    def xdotool(self, *args, timeout=STEP_TIMEOUT):
        done = subprocess.run(['xdotool', *args], env=self.env, capture_output=True, text=True,
                              timeout=timeout)
        return done.returncode, done.stdout.strip()

    def wait_window(self, title, pid):
        """The visible window of the program with exactly this title."""
        try:
            code, out = self.xdotool('search', '--sync', '--all', '--onlyvisible', '--pid', str(pid),
                                     '--name', title_pattern(title))
        except subprocess.TimeoutExpired:
            raise Failure(f'no window "{title}" within {STEP_TIMEOUT} s') from None
        if code != 0 or not out:
            raise Failure(f'no window "{title}"')
        return out.splitlines()[-1]

    def windows(self, title, pid):
        code, out = self.xdotool('search', '--all', '--onlyvisible', '--pid', str(pid), '--name',
                                 title_pattern(title))
        return out.splitlines() if code == 0 else []

    def focus(self, window):
        # No window manager runs under a bare X server: the input focus is set directly.
        self.xdotool('windowfocus', '--sync', window)

    def keys(self, window, *keys):
        self.focus(window)
        self.xdotool('key', '--delay', '40', *keys)

    def press(self, *keys):
        """Keys to whatever has the keyboard now: an open menu keeps it while it shows."""
        self.xdotool('key', '--delay', '60', *keys)

    def pause_typing(self):
        """A list joins letters typed within 0.4 s into one name to look for; a user who types
        the first letter of another name has paused longer than that."""
        time.sleep(0.5)

    def shifted(self, window, key):
        # Shift is let go after the key, as a user does: the window acts on the key's release,
        # and "key shift+..." would let go of Shift first.
        self.focus(window)
        self.xdotool('keydown', 'Shift_L', 'key', key, 'keyup', 'Shift_L')

    def type(self, window, text):
        self.focus(window)
        self.xdotool('type', '--delay', '20', text)


    def close(self, window):
        """Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW)."""
        x11 = ctypes.CDLL(ctypes.util.find_library('X11') or 'libX11.so.6')
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.c_void_p]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

        class ClientMessage(ctypes.Structure):
            _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                        ('display', ctypes.c_void_p), ('window', ctypes.c_ulong),
                        ('message_type', ctypes.c_ulong), ('format', ctypes.c_int),
                        ('data', ctypes.c_long * 5)]

        class Event(ctypes.Union):
            _fields_ = [('xclient', ClientMessage), ('pad', ctypes.c_long * 24)]

        display = x11.XOpenDisplay(self.env['DISPLAY'].encode())
        if not display:
            raise Failure('cannot open the display to close the window')
        event = Event()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = int(window)
        event.xclient.message_type = x11.XInternAtom(display, b'WM_PROTOCOLS', 0)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(display, b'WM_DELETE_WINDOW', 0)
        x11.XSendEvent(display, int(window), 0, 0, ctypes.byref(event))
        x11.XFlush(display)
        x11.XCloseDisplay(display)


def wait_for(what, condition, timeout=STEP_TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.05)
    raise Failure(f'timed out waiting for {what}')


def retry(what, action, condition):
    """Repeats action until condition holds: for a result that shows when a background task ends."""
    deadline = time.monotonic() + STEP_TIMEOUT
    while time.monotonic() < deadline:
        action()
        try:
            wait_for(what, condition, timeout=1.0)
            return
        except Failure:
            pass
    raise Failure(f'timed out waiting for {what}')


def expect(what, actual, expected):
    if actual != expected:
        raise Failure(f'{what}:\n  expected {expected!r}\n  actual   {actual!r}')


# --- the session -----------------------------------------------------------------------

def private_environment(root):
    dirs = {name: os.path.join(root, name) for name in ('home', 'config', 'data', 'cache', 'runtime')}
    for path in dirs.values():
        os.makedirs(path, exist_ok=True)
    os.chmod(dirs['runtime'], 0o700)
    env = {key: value for key, value in os.environ.items() if not key.startswith(('XDG_', 'QT_'))}
    env.update(HOME=dirs['home'], XDG_CONFIG_HOME=dirs['config'], XDG_DATA_HOME=dirs['data'],
               XDG_CACHE_HOME=dirs['cache'], XDG_RUNTIME_DIR=dirs['runtime'], QT_QPA_PLATFORM='xcb',
               LC_ALL='C.UTF-8')
    return env, dirs


def prepare_catalog(root, dirs):
    work = os.path.join(root, 'my catalog')
    registry = os.path.join(dirs['config'], 'Quorvane', 'Linkshelf', 'registry.ini')
    write(registry, f'[HKEY_LOCAL_MACHINE]\nSOFTWARE\\Quorvane\\Linkshelf\\WorkDir={work}\n'.encode())
    write(os.path.join(work, 'tree.lsf'), b'Alpha\r\n\tChild\r\nBeta\r\n')
    write(os.path.join(work, 'itree.lsf'), b'cat0.lsf\r\ncat1.lsf\r\ncat2.lsf\r\n')
    write(os.path.join(work, 'etree.lsf'), bytes([2, 0, 0]))  # Alpha selected, all collapsed
    alpha = [(0, os.path.join(root, 'docs', 'readme.txt'), '', 'the first entry'),
             (1, 'https://example.com/', '', '')]
    write(os.path.join(work, 'cat0.lsf'), contents_bytes(alpha))
    write(os.path.join(work, 'cat1.lsf'), bytes(4))
    write(os.path.join(work, 'cat2.lsf'), bytes(4))
    write(os.path.join(root, 'docs', 'readme.txt'), b'read me\n')
    write(os.path.join(root, 'docs', 'notes.txt'), b'notes\n')
    return work


def run_session(program, root):
    env, dirs = private_environment(root)
    work = prepare_catalog(root, dirs)
    cat0_before = read(os.path.join(work, 'cat0.lsf'))
    server, display = start_xvfb()
    desktop = Desktop(display)
    env['DISPLAY'] = display
    log = open(os.path.join(root, 'program.log'), 'w')
    app = subprocess.Popen([program], env=env, stdout=log, stderr=subprocess.STDOUT)
    try:
        main = desktop.wait_window('Linkshelf', app.pid)

        # F7: a new top-level folder, selected, written at once.
        desktop.keys(main, 'F7')
        prompt = desktop.wait_window('New folder', app.pid)
        desktop.type(prompt, 'Gamma')
        desktop.keys(prompt, 'Return')
        # The three files are renamed into place one after another, the state file last.
        wait_for('the new folder in etree.lsf', lambda: len(read(os.path.join(work, 'etree.lsf')) or b'') == 4)
        expect('tree.lsf', read(os.path.join(work, 'tree.lsf')), b'Alpha\r\n\tChild\r\nBeta\r\nGamma\r\n')
        # A new folder's file takes a free name drawn at random, one that another machine
        # adding a folder at the same moment is unlikely to take.
        index = read(os.path.join(work, 'itree.lsf')).split(b'\r\n')
        expect('itree.lsf', index[:3], [b'cat0.lsf', b'cat1.lsf', b'cat2.lsf'])
        gamma = os.path.join(work, index[3].decode())
        expect('etree.lsf', read(os.path.join(work, 'etree.lsf')), bytes([0, 0, 0, 2]))
        expect('the new contents file', read(gamma), bytes(4))

        # Shift+Ins: a URL typed at the prompt.
        url = 'https://example.org/e2e?q=1'
        desktop.shifted(main, 'Insert')
        prompt = desktop.wait_window('Add URL', app.pid)
        desktop.type(prompt, url)
        desktop.keys(prompt, 'Return')
        wait_for('the URL entry', lambda: read(gamma) != bytes(4))
        expect('Gamma after Shift+Ins', parse_contents(read(gamma)), [(1, url, '', '')])

        # Ins: a file chosen by typing its path into the open dialog.
        notes = os.path.join(root, 'docs', 'notes.txt')
        desktop.keys(main, 'Insert')
        dialog = desktop.wait_window('Open', app.pid)
        desktop.type(dialog, notes)
        desktop.keys(dialog, 'Return')
        wait_for('the file entry', lambda: len(parse_contents(read(gamma))) == 2)
        expect('Gamma after Ins', sorted(parse_contents(read(gamma))), [(0, notes, '', ''), (1, url, '', '')])

        # The four view styles and the sort order, through the View menu (Alt+V), with the tree
        # focused as at the start.
        for letter in ('l', 's', 'i', 'r'):  # Large Icons, Small Icons, List, Report
            desktop.keys(main, 'alt+v')
            desktop.press(letter)
        desktop.keys(main, 'alt+v')
        desktop.press('b', 'd')  # Sort by > Description
        desktop.keys(main, 'alt+v')
        desktop.press('b', 'e')  # Sort by > Descending

        # Tab goes from the tree to the list; typing a name's first letter selects that entry.
        # The Menu key opens the list's menu, C copies to the folder chosen by typing its name.
        beta = os.path.join(work, 'cat2.lsf')
        desktop.keys(main, 'Tab', 'h', 'Menu')
        desktop.press('c')
        chooser = desktop.wait_window('Copy to folder', app.pid)
        desktop.keys(chooser, 'B', 'e', 'Return')
        wait_for('the copy in Beta', lambda: read(beta) != bytes(4))
        expect('Beta after the copy', parse_contents(read(beta)), [(1, url, '', '')])

        # Shift+F10 opens the same menu; P opens the properties, Alt+D goes to the description
        # and Enter in the path field saves.
        desktop.pause_typing()
        desktop.keys(main, 'n', 'shift+F10')
        desktop.press('p')
        dialog = desktop.wait_window('File properties', app.pid)
        desktop.keys(dialog, 'alt+d')
        desktop.type(dialog, 'my notes')
        desktop.keys(dialog, 'alt+p', 'Return')
        wait_for('the new description', lambda: (0, notes, '', 'my notes') in parse_contents(read(gamma)))
        # Sorted by description, descending: the described entry comes first.
        expect('Gamma after the properties', parse_contents(read(gamma)),
               [(0, notes, '', 'my notes'), (1, url, '', '')])

        # Del on the URL asks, and Enter answers the default Yes.
        desktop.pause_typing()
        desktop.keys(main, 'h', 'Delete')
        question = desktop.wait_window('Linkshelf Message', app.pid)
        desktop.keys(question, 'Return')
        wait_for('the deletion', lambda: len(parse_contents(read(gamma))) == 1)
        expect('Gamma after Del', parse_contents(read(gamma)), [(0, notes, '', 'my notes')])

        # Find in all folders: Down goes from the query to the result, Enter shows it, which
        # selects its folder (written at once) and opens nothing; Esc closes the window.
        desktop.keys(main, 'ctrl+shift+f')
        finder = desktop.wait_window('Find in all folders', app.pid)
        desktop.type(finder, 'readme')
        # The search runs in the background: until its result shows, Down stays in the query
        # and Return there searches again.
        retry('the jump to Alpha', lambda: desktop.keys(finder, 'Down', 'Return'),
              lambda: read(os.path.join(work, 'etree.lsf')) == bytes([2, 0, 0, 0]))
        desktop.keys(finder, 'Escape')
        wait_for('the find window to close', lambda: not desktop.windows('Find in all folders', app.pid))

        expect('the untouched folder', read(os.path.join(work, 'cat0.lsf')), cat0_before)
        expect('error boxes', desktop.windows('LS Error !', app.pid), [])

        # Closing writes the folder tree files once more (new files in their places).
        tree_inode = os.stat(os.path.join(work, 'tree.lsf')).st_ino
        desktop.close(main)
        try:
            code = app.wait(timeout=STEP_TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure('the program did not end after its window was closed') from None
        expect('exit code', code, 0)
        if os.stat(os.path.join(work, 'tree.lsf')).st_ino == tree_inode:
            raise Failure('closing the window did not write the folder tree files')
        expect('tree.lsf after closing', read(os.path.join(work, 'tree.lsf')), b'Alpha\r\n\tChild\r\nBeta\r\nGamma\r\n')
        expect('etree.lsf after closing', read(os.path.join(work, 'etree.lsf')), bytes([2, 0, 0, 0]))
        settings = read(os.path.join(dirs['config'], 'Quorvane', 'Linkshelf', 'registry.ini')) or b''
        for stored in (b'MainList_ViewStyle=vsReport', b'SortCol=1', b'Ascending=False'):
            if stored not in settings:
                raise Failure(f'{stored.decode()} was not stored at closing:\n' + settings.decode(errors='replace'))
    except Failure:
        # What the screen showed, for whoever reads the failure.
        if shutil.which('import'):
            subprocess.run(['import', '-window', 'root', os.path.join(root, 'failure.png')], env=desktop.env,
                           capture_output=True, timeout=STEP_TIMEOUT)
        raise
    finally:
        if app.poll() is None:
            app.kill()
            app.wait()
        server.terminate()
        server.wait()
        log.close()


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    missing = [tool for tool in ('Xvfb', 'xdotool') if not shutil.which(tool)]
    if missing:
        print('skipped: not installed:', ', '.join(missing))
        return SKIP
    # A blank in the path, as users' folders often have one.
    root = tempfile.mkdtemp(prefix='linkshelf e2e ')
    try:
        run_session(os.path.abspath(sys.argv[1]), root)
    except (Failure, subprocess.TimeoutExpired) as failure:
        print('FAIL:', failure)
        screenshot = os.path.join(root, 'failure.png')
        if os.path.exists(screenshot) and os.environ.get('LINKSHELF_E2E_KEEP'):
            shutil.copy(screenshot, os.environ['LINKSHELF_E2E_KEEP'])
        log = read(os.path.join(root, 'program.log'))
        if log:
            print('program output:\n' + log.decode(errors='replace'))
        return 1
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print('PASS')
    return 0


if __name__ == '__main__':
    sys.exit(main())
