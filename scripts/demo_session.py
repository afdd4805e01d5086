#!/usr/bin/env python3
"""A demo session with the real helper under Wine: prints every request line
sent and every response line received, then starts the test application, lists
the windows, takes a look at the test application and writes its screenshot to
a PNG file, then clicks its button and shows the dialog in the root delta.
Usage: demo_session.py <windows-build-dir> [<screenshot.png>]"""
import base64
import json
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from winhelper_e2e import Helper, TestApp  # noqa: E402

DEMO_TITLE = "Winhelper Demo"


def show(direction, text):
    print("%s %s" % (direction, text if len(text) <= 400 else text[:400] + "... (%d bytes)" % len(text)))


def exchange(helper, line, request_id):
    show(">>", line)
    helper.send(line)
    response = helper.wait_response(request_id)
    show("<<", json.dumps(response, separators=(",", ":")))
    return response


def request(helper, request_id, cmd, args=None):
    line = json.dumps({"protocolVersion": 4, "id": request_id, "cmd": cmd,
                       "args": {} if args is None else args}, separators=(",", ":"))
    return exchange(helper, line, request_id)


def text_commands(helper, build_dir):
    """openBrowserLocation into a copy of the test application named chrome.exe, then the
    element commands, which answer Wine's missing UI Automation as an error."""
    browser_dir = tempfile.mkdtemp(prefix="winhelper-demo-chrome-")
    try:
        exe = os.path.join(browser_dir, "chrome.exe")
        shutil.copy(os.path.join(build_dir, "testapp.exe"), exe)
        with TestApp(build_dir, "Demo Browser", x=80, y=80, w=480, h=360, exe=exe) as browser:
            browser.wait_shown(timeout=60)
            request(helper, "b1", "openBrowserLocation", {"appName": "nosuchbrowser", "url": "x"})
            request(helper, "b2", "openBrowserLocation", {"appName": "chrome", "url": "example.org"})
            browser.wait_for_title("enter")
            print("   the browser's title now reports: %s" % browser.current_title())
            windows = request(helper, "b3", "listWindows")["result"]["windows"]
            record = next(w for w in windows if w["title"].startswith("Demo Browser"))
            request(helper, "w1", "uiaWaitFor", {"rootRef": record["rootRef"], "text": "Name",
                                                 "timeoutMs": 500})
            request(helper, "t1", "uiaReadText", {"lookId": "look_999", "elementRef": "win:look_999:@e1"})
    finally:
        shutil.rmtree(browser_dir, ignore_errors=True)


def outline_lines(node, depth=0, limit=40):
    """One line per node ("role 'title' ref"), indented by depth; at most `limit` lines."""
    lines = ["%s%s %r %s" % ("  " * depth, node.get("role"), node.get("title"), node.get("ref"))]
    for child in node.get("children", []):
        if len(lines) >= limit:
            break
        lines.extend(outline_lines(child, depth + 1, limit - len(lines)))
    return lines[:limit]


def count_nodes(node):
    return 1 + sum(count_nodes(child) for child in node.get("children", []))


def look_at_test_app(helper, build_dir, png_path):
    print("== a look at the test application")
    with TestApp(build_dir, DEMO_TITLE, x=40, y=40, w=640, h=420) as app:
        app.wait_shown()
        listing = request(helper, "l1", "listWindows")
        records = [w for w in listing["result"]["windows"] if w["title"] == DEMO_TITLE]
        if not records:
            print("the test application was not listed")
            return
        look = request(helper, "k1", "look", {"rootRef": records[0]["rootRef"]})
        if not look.get("ok"):
            return
        result = look["result"]
        image = result.get("image")
        if image is not None:
            with open(png_path, "wb") as out:
                out.write(base64.b64decode(image["jpegBase64"]))
            print("screenshot %dx%d written to %s" % (image["width"], image["height"], png_path))
        outline = result["outline"]
        print("%s: outline of %d node(s), timings %s"
              % (result["lookId"], count_nodes(outline), json.dumps(result["timings"])))
        for line in outline_lines(outline):
            print("  " + line)


ACT_TITLE = "Winhelper Demo Act"
# The "Open Dialog" button's client point in the test application.
OPEN_DIALOG = (70, 24)


def click_open_dialog(helper, build_dir):
    """Clicks the test application's button at a point of a look; the root delta of the
    answer shows the dialog that appeared."""
    print("== a click that opens a dialog")
    with TestApp(build_dir, ACT_TITLE, x=60, y=60) as app:
        window = app.wait_shown()
        listing = request(helper, "c1", "listWindows")
        records = [w for w in listing["result"]["windows"] if w["title"] == ACT_TITLE]
        if not records:
            print("the test application was not listed")
            return
        root = records[0]
        look = request(helper, "c2", "look", {"rootRef": root["rootRef"]})
        if not look.get("ok"):
            return
        frame = root.get("framePoints", {})
        # Without a window manager the X window is the client area; a full-size look maps
        # screen points to image points by subtracting the frame origin.
        point = {"x": window.x + OPEN_DIALOG[0] - frame.get("x", 0),
                 "y": window.y + OPEN_DIALOG[1] - frame.get("y", 0)}
        acted = request(helper, "c3", "act", {
            "lookId": look["result"]["lookId"], "action": "click", "policy": "foreground",
            "pid": root["pid"], "target": point})
        for change in acted.get("result", {}).get("rootDelta", []):
            print("root delta: %s %s %r" % (change.get("change"), change.get("kind"),
                                            change.get("title")))


def main(build_dir, png_path):
    with Helper(build_dir) as helper:
        print("== what the helper is")
        request(helper, "d1", "diagnostics")
        print("== lines the helper refuses")
        exchange(helper, '{"protocolVersion":3,"id":"old","cmd":"diagnostics","args":{}}', "old")
        exchange(helper, '{"protocolVersion":4,"id":"q","cmd":"diagnostics"}', "q")
        exchange(helper, "this is not json", "unknown")
        request(helper, "u1", "fly")
        look_at_test_app(helper, build_dir, png_path)
        click_open_dialog(helper, build_dir)
        print("== a browser location and the element text commands")
        text_commands(helper, build_dir)
        helper.close()
        for line in helper.stderr_lines:
            print("stderr: " + line)


if __name__ == "__main__":
    build = os.path.abspath(sys.argv[1])
    main(build, os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else os.path.join(build, "demo-look.png"))
