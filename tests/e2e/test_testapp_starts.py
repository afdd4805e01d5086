"""The test application starts under Wine with the title, place and size it was given,
draws its controls, refuses bad options, and goes away when stopped."""

import os
import subprocess
import tempfile
import time

from winhelper_e2e import E2EError, TestApp, list_x_windows, run_test, screenshot

# Where the window is asked to be. Without a window manager Wine gives the X window only the
# client area, so the X geometry must lie inside this rectangle rather than equal it.
X, Y, W, H = 60, 50, 700, 400


def check_geometry(window):
    inside = (window.x >= X and window.y >= Y and window.x + window.width <= X + W
              and window.y + window.height <= Y + H)
    if not inside or window.width < W * 0.9 or window.height < H * 0.8:
        raise E2EError("window %r does not fill the requested %dx%d%+d%+d" % (window, W, H, X, Y))


def check_drawn(window):
    image = screenshot().crop(window.x, window.y, window.width, window.height)
    # Controls, labels and the 40-line notes give hundreds of colours once anti-aliased;
    # an undrawn or blank window has one or two.
    colours = image.distinct_colours()
    if colours < 8:
        path = os.path.join(tempfile.gettempdir(), "test_testapp_starts-%d.png" % os.getpid())
        image.save_png(path)
        raise E2EError("window looks blank (%d colours); screenshot at %s" % (colours, path))


def check_bad_option_refused(build_dir):
    app = TestApp(build_dir, "E2E Refused", extra_args=["--w", "wide"])
    try:
        code = app.process.wait(60)
    except subprocess.TimeoutExpired:
        code = None
    finally:
        app.stop()
    stderr = " | ".join(app.stderr_lines)
    if code != 2 or "--w needs a whole number, got 'wide'" not in stderr:
        raise E2EError("bad --w value: exit %s, stderr %r (expected exit 2 and a message)"
                       % (code, stderr))


def wait_gone(title, timeout=15.0):
    limit = time.monotonic() + timeout
    while any(w.name == title for w in list_x_windows()):
        if time.monotonic() >= limit:
            raise E2EError("window %r still exists after the app was stopped" % title)
        time.sleep(0.2)


def main(build_dir):
    check_bad_option_refused(build_dir)

    title = "E2E Starts %d" % os.getpid()
    app = TestApp(build_dir, title, x=X, y=Y, w=W, h=H)
    try:
        window = app.wait_shown(timeout=60)
        if window.name != title:
            raise E2EError("title is %r before any input, expected %r" % (window.name, title))
        check_geometry(window)
        check_drawn(window)
    finally:
        app.stop()
    wait_gone(title)


if __name__ == "__main__":
    run_test(main)
