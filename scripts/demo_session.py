#!/usr/bin/env python3
"""A demo session with the real helper under Wine, against the test application, with the
project's test UI Automation server registered (scripts/demo does that). It prints every
request line sent and every response line received (shortened), and between them what each
answer shows: the window list, a look (screenshot written to a PNG, the outline as an
indented tree), a semantic press that opens a dialog, a semantic setText read back in pages,
a wait, physical input, a batch, the refusals a caller meets, a browser location, and a
command's output. It
ends with a summary and fails when a step does not answer as shown.

Usage: demo_session.py <windows-build-dir> [<output-dir>] [--refresh-readme]
The screenshot with the outline drawn over it (Pillow) and the sample outline beside it are
written to the output folder; with --refresh-readme they also replace the README's picture
(docs/demo-look.png) and its sample, so that the refs of both come from one look."""
import base64
import json
import os
import re
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from winhelper_e2e import Helper, TestApp  # noqa: E402

import demo_outline  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
DEMO_TITLE = "Winhelper Demo"


class DemoFailure(Exception):
    pass


class Session:
    """One helper, the requests it answered and the files the demo wrote."""

    def __init__(self, helper):
        self.helper = helper
        self.answered = {"ok": 0, "error": 0}
        self.files = []

    @staticmethod
    def show(direction, text):
        print("%s %s" % (direction, text if len(text) <= 300 else
                         text[:300] + "... (%d bytes)" % len(text)))

    def exchange(self, line, request_id, timeout=None):
        self.show(">>", line)
        self.helper.send(line)
        response = self.helper.wait_response(request_id, timeout)
        self.show("<<", json.dumps(response, separators=(",", ":")))
        self.answered["ok" if response.get("ok") else "error"] += 1
        return response

    def request(self, request_id, cmd, args=None, timeout=None):
        line = json.dumps({"protocolVersion": 4, "id": request_id, "cmd": cmd,
                           "args": {} if args is None else args}, separators=(",", ":"))
        return self.exchange(line, request_id, timeout)

    def quiet_result(self, request_id, cmd, args=None):
        """As result(), without printing the lines."""
        self.helper.send(json.dumps({"protocolVersion": 4, "id": request_id, "cmd": cmd,
                                     "args": args or {}}))
        response = self.helper.wait_response(request_id)
        self.answered["ok" if response.get("ok") else "error"] += 1
        if not response.get("ok"):
            raise DemoFailure("%s answered %s" % (cmd, json.dumps(response.get("error"))))
        return response["result"]

    def result(self, request_id, cmd, args=None, timeout=None):
        """The result of a request that must succeed."""
        response = self.request(request_id, cmd, args, timeout)
        if not response.get("ok"):
            raise DemoFailure("%s answered %s" % (cmd, json.dumps(response.get("error"))))
        return response["result"]

    def refused(self, request_id, cmd, args, code):
        """A request that must be refused with `code`; prints the refusal."""
        response = self.request(request_id, cmd, args)
        error = response.get("error") or {}
        if error.get("code") != code:
            raise DemoFailure("%s: expected %s, got %s" % (cmd, code, json.dumps(response)))
        say("refused with %s: %s" % (error["code"], error["message"]))


def heading(text):
    print("\n== " + text)


def say(text):
    print("   " + text)


def find_node(outline, **wanted):
    for node in demo_outline.walk(outline):
        if all(node.get(key) == value for key, value in wanted.items()):
            return node
    raise DemoFailure("no outline node with %r" % (wanted,))


def listed(session, request_id, title):
    windows = session.result(request_id, "listWindows")["windows"]
    for window in windows:
        say("%-5s %-28r %-14s pid %s" % (window["rootRef"], window["title"], window["appName"],
                                         window["pid"]))
    matches = [w for w in windows if w["title"].startswith(title)]
    if not matches:
        raise DemoFailure("%r is not listed" % title)
    return matches[0]


def protocol_basics(session):
    heading("what the helper is, and lines it refuses")
    session.result("d1", "diagnostics")
    session.exchange('{"protocolVersion":3,"id":"old","cmd":"diagnostics","args":{}}', "old")
    session.exchange('{"protocolVersion":4,"id":"q","cmd":"diagnostics"}', "q")
    session.exchange("this is not json", "unknown")
    session.request("u1", "fly")


def first_look(session, root, out_dir, refresh_readme):
    heading("a look: screenshot and UI Automation outline")
    look = session.result("k1", "look", {"rootRef": root["rootRef"]})
    image = look["image"]
    png = os.path.join(out_dir, "demo-look.png")
    with open(png, "wb") as out:
        out.write(base64.b64decode(image["jpegBase64"]))
    session.files.append(png)
    outline = look["outline"]
    say("%s: %dx%d screenshot written to %s" % (look["lookId"], image["width"], image["height"],
                                                 png))
    say("outline of %d elements (timings %s):" % (demo_outline.count(outline),
                                                  json.dumps(look["timings"])))
    for line in demo_outline.lines(outline):
        say("  " + line)
    drawn = demo_outline.draw_over(png, outline, os.path.join(out_dir, "demo-look-outline.png"))
    sample = demo_outline.sample(outline, "Window %r %s" % (root["title"], root["rootRef"]))
    sample_path = os.path.join(out_dir, "demo-look-outline.txt")
    with open(sample_path, "w", encoding="utf-8") as out:
        out.write("\n".join(sample) + "\n")
    session.files.append(sample_path)
    if drawn:
        session.files.append(drawn)
        say("the outline drawn over the screenshot: %s" % drawn)
        if refresh_readme:
            refresh_readme_picture(drawn, sample, find_node(outline, title="Open Dialog")["ref"])
            session.files += [README_PICTURE, README]
    else:
        say("(Pillow is not installed: no picture with the outline drawn over it)")
        if refresh_readme:
            raise DemoFailure("--refresh-readme needs Pillow for the picture")
    return look


README = os.path.join(ROOT, "README.md")
README_PICTURE = os.path.join(ROOT, "docs", "demo-look.png")


def refresh_readme_picture(drawn, sample, open_dialog_ref):
    """The README's picture, the sample outline beside it (between <pre> and </pre>) and
    the ref of "Open Dialog" in the caption."""
    with open(README, encoding="utf-8") as readme:
        text = readme.read()
    start = text.index("<td><pre>\n") + len("<td><pre>\n")
    end = text.index("</pre></td>", start)
    text = text[:start] + "\n".join(sample) + "\n" + text[end:]
    text = re.sub(r"`win:look_\d+:@e\d+` to press", "`%s` to press" % open_dialog_ref, text, 1)
    with open(README, "w", encoding="utf-8") as readme:
        readme.write(text)
    shutil.copyfile(drawn, README_PICTURE)


def step(look, root, action, ref, policy="default", **params):
    return {"lookId": look["lookId"], "action": action, "policy": policy, "pid": root["pid"],
            "target": {"ref": ref}, "params": params}


def describe_act(result):
    performed = result.get("performed", {})
    say("outcome %s, delivered by %s (%s), evidence %s" % (
        result["outcome"], performed.get("delivery"), performed.get("grounding"),
        json.dumps(result.get("evidence", {}))))
    for change in result.get("rootDelta", []):
        say("root delta: %s %s %r (%s)" % (change.get("change"), change.get("kind"),
                                           change.get("title"), performed.get("deltaSource")))


def semantic_press(session, root, look):
    heading("a semantic press: \"Open Dialog\" by its ref, through the invoke pattern")
    button = find_node(look["outline"], title="Open Dialog")
    pressed = session.result("p1", "act", step(look, root, "press", button["ref"]))
    describe_act(pressed)
    appeared = [c for c in pressed.get("rootDelta", []) if c.get("change") == "appeared"]
    if not appeared:
        raise DemoFailure("the dialog did not appear in the root delta")
    # The dialog is a root of its own: list it, look at it and press its OK button.
    dialog = listed(session, "p2", "Test Dialog")
    dialog_look = session.result("p3", "look", {"rootRef": dialog["rootRef"],
                                                "includeImage": False})
    for line in demo_outline.lines(dialog_look["outline"]):
        say("  " + line)
    ok = find_node(dialog_look["outline"], title="OK")
    closed = session.result("p4", "act", step(dialog_look, dialog, "press", ok["ref"]))
    describe_act(closed)


def semantic_text(session, root, look):
    heading("a semantic setText through the value pattern, read back in pages")
    name = find_node(look["outline"], identifier="1003")
    text = "Hello from the winhelper demo"
    written = session.result("s1", "act", step(look, root, "setText", name["ref"], text=text))
    describe_act(written)
    offset, pages = 0, []
    while True:
        page = session.result("s%d" % (2 + len(pages)), "uiaReadText", {
            "lookId": look["lookId"], "elementRef": name["ref"], "offset": offset, "limit": 12})
        pages.append(page["text"])
        say("page at offset %d: %r (of %d characters, hasMore %s)"
            % (offset, page["text"], page["totalChars"], page["hasMore"]))
        offset += 12
        if not page["hasMore"]:
            break
    if "".join(pages) != text:
        raise DemoFailure("the pages read back %r, not %r" % ("".join(pages), text))

    heading("a wait: the helper polls the window's elements until one matches")
    waited = session.result("w1", "uiaWaitFor", {"rootRef": root["rootRef"], "role": "edit",
                                                 "text": "winhelper demo", "timeoutMs": 5000})
    say("found %s after polling %d elements" % (waited["found"], waited["nodeCount"]))


def physical_input(session, root, look, app):
    heading("physical input: a click at a point of the look, then typed text")
    notes_edit = find_node(look["outline"], identifier="1003")
    rect = notes_edit["rect"]
    point = {"x": rect["x"] + rect["w"] - 8, "y": rect["y"] + rect["h"] / 2}
    clicked = session.result("h1", "act", {"lookId": look["lookId"], "action": "click",
                                           "policy": "foreground", "pid": root["pid"],
                                           "target": point})
    describe_act(clicked)
    typed = session.result("h2", "act", {"lookId": look["lookId"], "action": "typeText",
                                         "policy": "foreground", "pid": root["pid"],
                                         "target": point, "params": {"text": " (typed)"}})
    describe_act(typed)
    app.wait_for_title("text 'Hello from the winhelper demo (typed)'")
    say("the test application reports: %s" % app.current_title())


def batch(session, root):
    heading("a batch: three actions on one look, one transaction")
    look = session.result("a1", "look", {"rootRef": root["rootRef"], "includeImage": False})
    outline = look["outline"]
    actions = [step(look, root, "click", find_node(outline, identifier="1002")["ref"]),
               step(look, root, "press", find_node(outline, title="Cherry")["ref"]),
               step(look, root, "setText", find_node(outline, identifier="1003")["ref"],
                    text="set in a batch")]
    result = session.result("a2", "actBatch", {"actions": actions}, timeout=60)
    for index, entry in enumerate(result["steps"]):
        say("step %d: %s %s" % (index, entry["outcome"], json.dumps(entry.get("evidence", {}))))
    return look


def refusals(session, root, image_look, look):
    heading("refusals a caller meets")
    edit = find_node(look["outline"], identifier="1003")
    session.refused("r1", "act", step(look, root, "click", "win:%s:@e999" % look["lookId"]),
                    "stale_ref")
    point = {"x": 10, "y": 10}
    session.refused("r2", "act", {"lookId": image_look["lookId"], "action": "click",
                                  "policy": "ax_only", "pid": root["pid"], "target": point},
                    "coordinate_blocked")
    session.refused("r2b", "act", {"lookId": look["lookId"], "action": "click",
                                   "policy": "foreground", "pid": root["pid"], "target": point},
                    "coordinate_unavailable_for_root")
    session.refused("r3", "act", step(look, root, "typeText", edit["ref"], text="x"),
                    "foreground_required")
    password = find_node(look["outline"], identifier="1004")
    session.refused("r4", "uiaReadText", {"lookId": look["lookId"],
                                          "elementRef": password["ref"]},
                    "secure_text_unreadable")
    say("eight newer looks push %s out of the history (their lines are not shown):"
        % look["lookId"])
    newer = [session.quiet_result("r5-%d" % index, "look",
                                  {"rootRef": root["rootRef"], "includeImage": False})["lookId"]
             for index in range(8)]
    say(", ".join(newer))
    session.refused("r6", "act", step(look, root, "click", edit["ref"]), "stale_look")


def browser_location(session, build_dir):
    heading("a browser location: Ctrl+L, the text and Enter into a window named chrome.exe")
    browser_dir = tempfile.mkdtemp(prefix="winhelper-demo-chrome-")
    try:
        exe = os.path.join(browser_dir, "chrome.exe")
        shutil.copy(os.path.join(build_dir, "testapp.exe"), exe)
        with TestApp(build_dir, "Demo Browser", x=120, y=120, w=480, h=360, exe=exe) as browser:
            browser.wait_shown(timeout=60)
            session.refused("b1", "openBrowserLocation", {"appName": "nosuchbrowser",
                                                          "url": "x"}, "target_not_found")
            session.result("b2", "openBrowserLocation", {"appName": "chrome",
                                                         "url": "example.org"})
            browser.wait_for_title("enter")
            say("the browser's title now reports: %s" % browser.current_title())
    finally:
        shutil.rmtree(browser_dir, ignore_errors=True)


def centre_act(session, request_id, record, action, params):
    # Points need a look with an image; the act takes the middle of it.
    look = session.quiet_result(request_id + "-look", "look", {"rootRef": record["rootRef"]})
    target = {"x": look["image"]["width"] // 2, "y": look["image"]["height"] // 2}
    return session.result(request_id, "act", {"lookId": look["lookId"], "action": action,
                                              "policy": "foreground", "pid": record["pid"],
                                              "target": target, "params": params}, timeout=30)


def notepad(session):
    heading("an application started, arranged, typed into and closed through its save prompt")
    started = session.result("n1", "launchApp", {"path": "notepad.exe"}, timeout=40)
    window = started["window"]
    if window is None:
        raise DemoFailure("Notepad showed no window")
    say("Notepad is process %d, listed as %s" % (started["pid"], window["rootRef"]))
    window = session.result("n2", "setWindowState", {
        "rootRef": window["rootRef"], "bounds": {"x": 160, "y": 100, "width": 560,
                                                 "height": 360}})["window"]
    say("moved to %s" % json.dumps(window["bounds"]))
    centre_act(session, "n3", window, "typeText", {"text": "Written by the winhelper demo"})
    # Synthesised keys are still on their way when the act answers; one that reached the
    # save prompt would answer it ("y" in "by" would say yes).
    time.sleep(1.5)
    closed = session.result("n4", "setWindowState", {"rootRef": window["rootRef"],
                                                     "state": "close"})
    for change in closed.get("rootDelta", []):
        say("root delta: %s %s %r" % (change["change"], change["kind"], change["title"]))
    # The prompt may still be on its way when the delta's time is up.
    limit = time.monotonic() + 15
    while True:
        prompts = [w for w in session.quiet_result("n5", "listWindows", {"pid": started["pid"]})
                   ["windows"] if w["kind"] == "dialog"]
        if prompts:
            break
        if time.monotonic() > limit:
            raise DemoFailure("Notepad did not ask to save")
        time.sleep(0.3)
    say("the prompt is listed as %s %r" % (prompts[0]["rootRef"], prompts[0]["title"]))
    centre_act(session, "n6", prompts[0], "keypress", {"keys": ["n"]})
    limit = time.monotonic() + 15
    while session.quiet_result("n7", "listWindows", {"pid": started["pid"]})["windows"]:
        if time.monotonic() > limit:
            raise DemoFailure("Notepad stayed open after its prompt was answered")
        time.sleep(0.3)
    say("answered \"No\": Notepad closed without saving")

    heading("the clipboard: Unicode text put, and read back a page at a time")
    session.result("c1", "clipboardWrite", {"text": "Grüße 你好 😀 from the demo"})
    session.result("c2", "clipboardRead", {"offset": 6, "limit": 5})


def command(session):
    heading("a command and its output: exit code, Unicode intact, the whole tree bounded")
    ran = session.result("x1", "runCommand",
                         {"command": "echo Grüße 你好 & ver & exit /b 2", "timeoutMs": 10000})
    for line in ran["stdout"].splitlines():
        say("| " + line)
    say("exit code %s after %d ms" % (ran["exitCode"], ran["durationMs"]))


def main(build_dir, out_dir, refresh_readme=False):
    os.makedirs(out_dir, exist_ok=True)
    started = time.monotonic()
    with Helper(build_dir) as helper:
        session = Session(helper)
        protocol_basics(session)
        notepad(session)
        command(session)
        with TestApp(build_dir, DEMO_TITLE, x=40, y=40, w=730, h=420) as app:
            app.wait_shown()
            heading("the windows on the desktop")
            root = listed(session, "l1", DEMO_TITLE)
            look = first_look(session, root, out_dir, refresh_readme)
            semantic_press(session, root, look)
            semantic_text(session, root, look)
            physical_input(session, root, look, app)
            refusals(session, root, look, batch(session, root))
            browser_location(session, build_dir)
        helper.close()
        warnings = [line for line in helper.stderr_lines if line.strip()]

    heading("summary")
    say("%d requests answered in %.0f s: %d ok, %d refused as shown"
        % (sum(session.answered.values()), time.monotonic() - started,
           session.answered["ok"], session.answered["error"]))
    for path in session.files:
        say("wrote " + path)
    for line in warnings:
        say("stderr: " + line)
    if any("[uia]" in line for line in warnings):
        raise DemoFailure("the helper warned about UI Automation")


if __name__ == "__main__":
    args = [arg for arg in sys.argv[1:] if arg != "--refresh-readme"]
    build = os.path.abspath(args[0])
    output = os.path.abspath(args[1]) if len(args) > 1 else os.path.join(build, "demo")
    try:
        main(build, output, "--refresh-readme" in sys.argv[1:])
    except DemoFailure as failure:
        print("\ndemo failed: %s" % failure)
        sys.exit(1)
