"""The test application reports the input it receives, in the formats that the helper's
end-to-end tests read. Input here comes from the X server (xdotool), independently of the
helper, so a fault in the reporting is not mistaken for a fault in the helper.

Without a window manager Wine's X window for the main window is exactly its client area, so
client coordinates (controls.cpp) map to the screen by adding the X window's position."""

import os
import time

from winhelper_e2e import (E2EError, TestApp, click, find_x_window, run_test, wait_for_x_window,
                           xdotool)

# Client-area points inside controls (see controls.cpp for the layout).
OPEN_DIALOG = (70, 24)
ENABLE_FEATURE = (160, 24)
NAME_EDIT = (215, 60)
FRUIT_FIRST_ROW = (60, 203)
BACKGROUND = (400, 350)


def wait_for_events(app, expected, timeout=10.0):
    """Waits until the event log ends with `expected` (a list of event lines)."""
    limit = time.monotonic() + timeout
    while True:
        events = app.events()
        if events[-len(expected):] == expected:
            return
        if time.monotonic() >= limit:
            raise E2EError("events end with %r, expected %r" % (events[-len(expected):], expected))
        time.sleep(0.1)


def check_dialog(app, window):
    click(window, OPEN_DIALOG)
    app.wait_for_title("clicked Open Dialog")
    dialog = wait_for_x_window(lambda name: name == "Test Dialog", timeout=10,
                               what="the Test Dialog")
    # The OK button sits at the centre of the template's width and 52/70 of its height.
    xdotool("mousemove", str(dialog.x + dialog.width // 2),
            str(dialog.y + dialog.height * 52 // 70), "click", "1")
    app.wait_for_title("clicked OK")
    limit = time.monotonic() + 10
    while find_x_window(lambda name: name == "Test Dialog") is not None:
        if time.monotonic() >= limit:
            raise E2EError("the Test Dialog stayed open after OK")
        time.sleep(0.1)


def main(build_dir):
    app = TestApp(build_dir, "E2E Input %d" % os.getpid(), x=30, y=30)
    try:
        window = app.wait_shown(timeout=60)

        click(window, NAME_EDIT)
        xdotool("type", "--delay", "30", "ab")
        wait_for_events(app, ["key VK 0x41", "text 'a'", "key VK 0x42", "text 'ab'"])
        app.wait_for_title("text 'ab'")

        click(window, FRUIT_FIRST_ROW)
        app.wait_for_title("selected 'Apple'")

        # Ctrl+L moves the focus from the list to the Name edit and selects its text, so
        # typing replaces it; then Enter.
        xdotool("key", "ctrl+l")
        app.wait_for_title("ctrl+L")
        xdotool("type", "--delay", "30", "x")
        xdotool("key", "Return")
        wait_for_events(app, ["ctrl+L", "key VK 0x58", "text 'x'", "enter"])

        # Alt alone must not leave the window in menu mode, where F5 would be swallowed.
        xdotool("key", "alt")
        xdotool("key", "F5")
        wait_for_events(app, ["key VK 0x12", "key VK 0x74"])

        click(window, BACKGROUND, button="3")
        app.wait_for_title("click right at %d,%d" % BACKGROUND)

        click(window, ENABLE_FEATURE)
        app.wait_for_title("checked Enable feature")

        check_dialog(app, window)
    finally:
        app.stop()


if __name__ == "__main__":
    run_test(main)
