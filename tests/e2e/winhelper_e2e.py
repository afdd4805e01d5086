"""Drivers for the end-to-end tests: the helper over its line protocol, the Win32 test
application, and the X display they run on (Xvfb under Wine).

The caller provides DISPLAY and WINEPREFIX (tests/e2e/wine_env.sh); each test script gets
the folder of the windows build as its first argument. Standard library only.

Every wait has a time limit and raises E2EError with a readable reason, so a test never
hangs and always says what it was waiting for.
"""

import array
import itertools
import json
import os
import re
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

PROTOCOL_VERSION = 4
DEFAULT_TIMEOUT = 30.0


class E2EError(Exception):
    """A step of an end-to-end test failed; the message says which and why."""


def expect(condition, message, *context):
    """Raises E2EError with the message (and the context, when given) unless condition holds."""
    if not condition:
        raise E2EError(message + ("" if not context else ": %r" % (context,)))


def result_of(response):
    """The result of a response that must have succeeded."""
    expect(response.get("ok") is True, "request failed", response)
    return response["result"]


def error_of(response):
    """(code, message) of a response that must have failed."""
    expect(response.get("ok") is False, "request should have failed", response)
    return response["error"]["code"], response["error"]["message"]


def wait_listed(helper, title, timeout=15.0):
    """Lists windows until one titled `title` appears; returns (listing, record)."""
    limit = time.monotonic() + timeout
    while True:
        listing = result_of(helper.request("listWindows"))
        records = [w for w in listing["windows"] if w["title"] == title]
        if records:
            return listing, records[0]
        if time.monotonic() >= limit:
            raise E2EError("%r was not listed: %r" % (title, [w.get("title") for w in listing["windows"]]))
        time.sleep(0.2)


def build_dir_from_argv():
    """The windows build folder named on the command line (exits with usage otherwise)."""
    if len(sys.argv) < 2 or not os.path.isdir(sys.argv[1]):
        sys.exit("usage: %s <windows-build-dir>" % os.path.basename(sys.argv[0]))
    return os.path.abspath(sys.argv[1])


def wine_path(unix_path):
    """The path as a Wine program sees it through the Z: drive."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def run_tool(args, **options):
    """subprocess.run for the X and Wine tools; a missing tool is an E2EError that says so."""
    try:
        return subprocess.run(args, **options)
    except FileNotFoundError as error:
        raise E2EError("%s is not installed (scripts/setup installs it)" % args[0]) from error


def start_tool(args, **options):
    """subprocess.Popen with the same treatment of a missing tool as run_tool."""
    try:
        return subprocess.Popen(args, **options)
    except FileNotFoundError as error:
        raise E2EError("%s is not installed (scripts/setup installs it)" % args[0]) from error


def run_test(main):
    """Runs main(build_dir); prints the failure reason and exits 1 on E2EError."""
    try:
        main(build_dir_from_argv())
    except E2EError as error:
        print("FAIL: %s" % error, file=sys.stderr)
        sys.exit(1)
    print("PASS: %s" % os.path.basename(sys.argv[0]))


class _LineReader:
    """Reads a pipe on its own thread and hands each line (decoded, without newline) to
    on_line."""

    def __init__(self, pipe, on_line):
        self._on_line = on_line
        self._thread = threading.Thread(target=self._run, args=(pipe,), daemon=True)
        self._thread.start()

    def _run(self, pipe):
        for raw in iter(pipe.readline, b""):
            self._on_line(raw.decode("utf-8", errors="replace").rstrip("\r\n"))
        pipe.close()

    def join(self, timeout):
        self._thread.join(timeout)


class _CapturedFile:
    """A temporary file that a child process writes to (used for standard error: a pipe
    could be held open by Wine's service processes, which inherit it, so reading it to the
    end could wait for those rather than for the child)."""

    def __init__(self, prefix):
        self.file = tempfile.TemporaryFile(prefix=prefix)

    def lines(self):
        # pread leaves the file offset, which the child shares, where the child left it.
        fd = self.file.fileno()
        data = os.pread(fd, os.fstat(fd).st_size, 0)
        return data.decode("utf-8", errors="replace").splitlines()


def _stop_process(process, timeout=10.0):
    """Terminates a process started here and reaps it; returns its exit code."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout)
    return process.returncode


class Helper:
    """`wine winhelper.exe` with pipes. Responses are matched to requests by id, so
    requests may be answered in any order; unclaimed responses wait in a buffer."""

    def __init__(self, build_dir, timeout=DEFAULT_TIMEOUT):
        exe = os.path.join(build_dir, "winhelper.exe")
        if not os.path.isfile(exe):
            raise E2EError("helper not built: %s" % exe)
        self.timeout = timeout
        self._responses = {}
        self.unmatched = []  # stdout lines that are not JSON objects with a string id
        self._cond = threading.Condition()
        self._ids = itertools.count(1)
        self._stderr = _CapturedFile("winhelper-stderr-")
        self.process = start_tool(
            ["wine", exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self._stderr.file)
        self._stdout = _LineReader(self.process.stdout, self._on_stdout_line)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _on_stdout_line(self, line):
        try:
            response = json.loads(line)
        except ValueError:
            response = None
        with self._cond:
            if isinstance(response, dict) and isinstance(response.get("id"), str):
                self._responses.setdefault(response["id"], []).append(response)
            else:
                self.unmatched.append(line)
            self._cond.notify_all()

    @property
    def stderr_lines(self):
        return self._stderr.lines()

    def send(self, line):
        """Writes one raw line (a newline is added) to the helper's standard input."""
        try:
            self.process.stdin.write(line.encode("utf-8") + b"\n")
            self.process.stdin.flush()
        except (BrokenPipeError, ValueError) as error:
            raise E2EError("helper stdin closed (%s); stderr: %s"
                           % (error, self._stderr_tail())) from error

    def request(self, cmd, args=None, id=None, timeout=None):
        """Sends one request and returns the parsed response that carries its id."""
        request_id = id if id is not None else "e2e-%d" % next(self._ids)
        self.send(json.dumps({"protocolVersion": PROTOCOL_VERSION, "id": request_id,
                              "cmd": cmd, "args": {} if args is None else args}))
        return self.wait_response(request_id, timeout)

    def wait_response(self, request_id, timeout=None):
        """The next response for request_id, waiting at most timeout seconds."""
        limit = time.monotonic() + (self.timeout if timeout is None else timeout)
        with self._cond:
            while not self._responses.get(request_id):
                remaining = limit - time.monotonic()
                if remaining <= 0:
                    raise E2EError("no response for id %r within the time limit; stderr: %s"
                                   % (request_id, self._stderr_tail()))
                if self.process.poll() is not None and not self._responses.get(request_id):
                    self._stdout.join(1.0)
                    if not self._responses.get(request_id):
                        raise E2EError("helper exited with %s before answering %r; stderr: %s"
                                       % (self.process.returncode, request_id,
                                          self._stderr_tail()))
                self._cond.wait(min(remaining, 0.2))
            return self._responses[request_id].pop(0)

    def close(self, timeout=15.0):
        """Ends the helper's input and waits for it to finish; returns its exit code."""
        if self.process.poll() is None:
            try:
                self.process.stdin.close()
            except BrokenPipeError:
                pass
            try:
                self.process.wait(timeout)
            except subprocess.TimeoutExpired:
                _stop_process(self.process)
        self._stdout.join(5.0)
        return self.process.returncode

    def _stderr_tail(self, count=10):
        lines = self._stderr.lines()[-count:]
        return " | ".join(lines) if lines else "(empty)"


# --- X display -----------------------------------------------------------------------------

class XWindow:
    """A top-level X window as xwininfo reports it (absolute position)."""

    def __init__(self, window_id, name, x, y, width, height):
        self.id, self.name = window_id, name
        self.x, self.y, self.width, self.height = x, y, width, height

    def __repr__(self):
        return "XWindow(%s %r %dx%d%+d%+d)" % (self.id, self.name, self.width, self.height,
                                                self.x, self.y)


_TREE_LINE = re.compile(
    r'^\s*(0x[0-9a-fA-F]+) "(.*)": \(.*\)\s+(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+?(-?\d+)\+?(-?\d+)\s*$')


def _xwininfo(*args):
    result = run_tool(["xwininfo", *args], capture_output=True, text=True, timeout=20,
                            errors="replace")
    if result.returncode != 0:
        raise E2EError("xwininfo %s failed: %s" % (" ".join(args), result.stderr.strip()))
    return result.stdout


def list_x_windows():
    """Named children of the root window, mapped or not, topmost first."""
    # The walk fails with BadWindow when a window goes while xwininfo reads the tree; the
    # next walk no longer meets it.
    for attempt in range(3):
        try:
            tree = _xwininfo("-root", "-tree")
            break
        except E2EError:
            if attempt == 2:
                raise
            time.sleep(0.05)
    windows = []
    for line in tree.splitlines():
        match = _TREE_LINE.match(line)
        if match:
            wid, name, width, height, x, y = match.groups()
            windows.append(XWindow(wid, name, int(x), int(y), int(width), int(height)))
    return windows


def is_viewable(window):
    try:
        return "IsViewable" in _xwininfo("-id", window.id)
    except E2EError:
        return False  # the window went away between the listing and this query


def find_x_window(matches):
    """The first viewable top-level window whose name satisfies matches(name), or None."""
    for window in list_x_windows():
        if matches(window.name) and is_viewable(window):
            return window
    return None


def wait_for_x_window(matches, timeout=DEFAULT_TIMEOUT, what="window"):
    """Polls the X server until find_x_window(matches) finds one; returns it."""
    limit = time.monotonic() + timeout
    while True:
        window = find_x_window(matches)
        if window is not None:
            return window
        if time.monotonic() >= limit:
            names = [w.name for w in list_x_windows()]
            raise E2EError("%s did not appear within %.0f s; named X windows: %r"
                           % (what, timeout, names))
        time.sleep(0.2)


# --- screenshots ---------------------------------------------------------------------------

class Image:
    """A 32-bit TrueColor X image: pixel values as the X server stores them, plus masks."""

    def __init__(self, width, height, pixels, masks):
        self.width, self.height = width, height
        self.pixels = pixels  # array('I'), row-major, one pixel value each
        self.masks = masks    # (red, green, blue)

    def crop(self, x, y, width, height):
        """The part inside the rectangle, clipped to the image."""
        left, top = max(0, x), max(0, y)
        right, bottom = min(self.width, x + width), min(self.height, y + height)
        if right <= left or bottom <= top:
            return Image(0, 0, array.array("I"), self.masks)
        rows = array.array("I")
        for row in range(top, bottom):
            start = row * self.width
            rows.extend(self.pixels[start + left:start + right])
        return Image(right - left, bottom - top, rows, self.masks)

    def distinct_colours(self):
        return len(set(self.pixels))

    def rgb(self, value):
        return tuple(_scale_channel(value, mask) for mask in self.masks)

    def save_png(self, path):
        """Writes the image as an 8-bit RGB PNG (for looking at failures)."""
        raw = bytearray()
        for row in range(self.height):
            raw.append(0)  # filter: none
            for value in self.pixels[row * self.width:(row + 1) * self.width]:
                raw.extend(self.rgb(value))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                      + chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))


def _scale_channel(value, mask):
    if mask == 0:
        return 0
    shift = (mask & -mask).bit_length() - 1
    top = mask >> shift
    return ((value & mask) >> shift) * 255 // top


def parse_xwd(data):
    """Decodes an xwd dump of a 24- or 32-bit TrueColor/DirectColor visual (what Xvfb's
    24-bit screen produces); anything else raises E2EError."""
    if len(data) < 100:
        raise E2EError("xwd output too short (%d bytes)" % len(data))
    fields = struct.unpack(">25I", data[:100])
    header_size, version = fields[0], fields[1]
    width, height, byte_order = fields[4], fields[5], fields[7]
    bits_per_pixel, bytes_per_line, visual_class = fields[11], fields[12], fields[13]
    masks, ncolors = fields[14:17], fields[19]
    if version != 7 or bits_per_pixel not in (24, 32) or visual_class not in (4, 5):
        raise E2EError("unsupported xwd image: version %d, %d bits per pixel, visual class %d"
                       % (version, bits_per_pixel, visual_class))
    start = header_size + ncolors * 12
    if len(data) < start + bytes_per_line * height:
        raise E2EError("xwd output truncated")
    size = bits_per_pixel // 8
    # Rebuild every pixel as a little-endian 32-bit word: bytes in the dump's order, least
    # significant first, zero-padded to four.
    order = range(size) if byte_order == 0 else range(size - 1, -1, -1)
    words = bytearray(width * height * 4)
    for row in range(height):
        line = data[start + row * bytes_per_line:start + row * bytes_per_line + width * size]
        base = row * width * 4
        for target, source in enumerate(order):
            words[base + target:base + width * 4:4] = line[source::size]
    pixels = array.array("I")
    pixels.frombytes(bytes(words))
    if sys.byteorder != "little":
        pixels.byteswap()
    return Image(width, height, pixels, masks)


def screenshot(png_path=None):
    """The whole X screen; also saved as a PNG when png_path is given."""
    result = run_tool(["xwd", "-root", "-silent"], capture_output=True, timeout=30)
    if result.returncode != 0:
        raise E2EError("xwd failed: %s" % result.stderr.decode(errors="replace").strip())
    image = parse_xwd(result.stdout)
    if png_path:
        image.save_png(png_path)
    return image


# --- the test application ------------------------------------------------------------------

class TestApp:
    """`wine testapp.exe` with a base title of its own. Reported input is read from the
    window title (what the helper sees too) or from the event log the app appends to.

    wait_shown() uses the class attribute `window_waiter(app, timeout)`, which polls the X
    server; tests that can ask the helper for windows may replace it."""

    __test__ = False      # not a pytest test class
    window_waiter = None  # set below to _wait_shown_on_x

    def __init__(self, build_dir, title, x=None, y=None, w=None, h=None, browser_class=False,
                 topmost=False, extra_args=(), exe=None):
        # `exe` runs a copy of the test application under another name (say chrome.exe).
        exe = exe or os.path.join(build_dir, "testapp.exe")
        if not os.path.isfile(exe):
            raise E2EError("test application not built: %s" % exe)
        self.title = title
        handle, self.log_path = tempfile.mkstemp(prefix="testapp-events-", suffix=".log")
        os.close(handle)
        args = ["wine", exe, "--title", title, "--log", wine_path(self.log_path)]
        for name, value in (("--x", x), ("--y", y), ("--w", w), ("--h", h)):
            if value is not None:
                args += [name, str(value)]
        if browser_class:
            args.append("--browser-class")
        if topmost:
            args.append("--topmost")
        args += list(extra_args)
        self._stderr = _CapturedFile("testapp-stderr-")
        self.process = start_tool(args, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=self._stderr.file)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    @property
    def stderr_lines(self):
        return self._stderr.lines()

    def owns_title(self, name):
        return name == self.title or name.startswith(self.title + " - ")

    def wait_shown(self, timeout=DEFAULT_TIMEOUT):
        """Waits until the main window is on screen; returns what the waiter found."""
        return type(self).window_waiter(self, timeout)

    def window(self):
        """The main window on the X display, or None."""
        return find_x_window(self.owns_title)

    def current_title(self):
        window = self.window()
        return window.name if window is not None else None

    def wait_for_title(self, event, timeout=10.0):
        """Waits until the title reports `event` ("<title> - <event>")."""
        expected = self.title + " - " + event
        limit = time.monotonic() + timeout
        while True:
            current = self.current_title()
            if current == expected:
                return
            if time.monotonic() >= limit:
                raise E2EError("title is %r, expected %r" % (current, expected))
            time.sleep(0.1)

    def events(self):
        """Every event the app reported so far, oldest first."""
        with open(self.log_path, encoding="utf-8", errors="replace") as log:
            return log.read().splitlines()

    def stop(self, timeout=10.0):
        """Ends the app (if still running) and removes its event log; returns the exit code."""
        code = _stop_process(self.process, timeout)
        if os.path.exists(self.log_path):
            os.unlink(self.log_path)
        return code


def xdotool(*args):
    """Drives the X server directly, independently of the helper."""
    result = run_tool(["xdotool", *args], capture_output=True, text=True, timeout=20)
    if result.returncode != 0:
        raise E2EError("xdotool %s failed: %s" % (" ".join(args), result.stderr.strip()))


def click(window, point, button="1"):
    """Clicks at `point` relative to an X window's top-left corner."""
    xdotool("mousemove", str(window.x + point[0]), str(window.y + point[1]), "click", button)


def _wait_shown_on_x(app, timeout):
    limit = time.monotonic() + timeout
    while True:
        if app.process.poll() is not None:
            raise E2EError("test application exited with %s before showing its window; "
                           "stderr: %r" % (app.process.returncode, app.stderr_lines[-10:]))
        window = app.window()
        if window is not None:
            return window
        if time.monotonic() >= limit:
            names = [w.name for w in list_x_windows()]
            raise E2EError("window %r did not appear within %.0f s; named X windows: %r"
                           % (app.title, timeout, names))
        time.sleep(0.2)


TestApp.window_waiter = _wait_shown_on_x
