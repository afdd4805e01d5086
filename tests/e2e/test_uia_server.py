"""The helper's UI Automation code, built exactly as the helper links it (the COM client and
the core algorithms, run by uia_probe.exe), against the test UI Automation server serving the
test application's real controls.

Also checks that the server is registered for this test only: before and after it, the
prefix has no UI Automation class and opening a session fails as "Class not registered"."""

import json
import os
import subprocess
import sys
import tempfile
import time

from winhelper_e2e import E2EError, TestApp, find_x_window, run_test, start_tool

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "uia_server"))
import uia_server  # noqa: E402

TITLE = "UIA Server App"
CLASS_NOT_REGISTERED = "0x80040154"


class Probe:
    def __init__(self, build_dir, call_log):
        self.exe = os.path.join(build_dir, "uia_probe.exe")
        if not os.path.isfile(self.exe):
            raise E2EError("probe not built: %s" % self.exe)
        self.env = call_log.environment()

    def run(self, *args):
        # Output goes through a file: Wine's service processes may hold a pipe open.
        with tempfile.TemporaryFile() as output:
            process = start_tool(["wine", self.exe, *args], stdin=subprocess.DEVNULL,
                                 stdout=output, stderr=subprocess.DEVNULL, env=self.env)
            try:
                code = process.wait(60)
            except subprocess.TimeoutExpired:
                process.kill()
                raise E2EError("uia_probe %s did not finish within 60 s" % " ".join(args))
            output.seek(0)
            text = output.read().decode("utf-8", "replace").strip()
        if code != 0:
            raise E2EError("uia_probe %s exited %d: %r" % (" ".join(args), code, text))
        try:
            return json.loads(text)
        except ValueError:
            raise E2EError("uia_probe %s printed %r" % (" ".join(args), text))

    def ok(self, *args):
        answer = self.run(*args)
        if not answer.get("ok"):
            raise E2EError("uia_probe %s failed: %s" % (" ".join(args), answer.get("error")))
        return answer

    def outline(self, title=TITLE):
        return self.ok("outline", title)["elements"]


def expect(condition, message):
    if not condition:
        raise E2EError(message)


def by_id(elements, automation_id):
    found = [e for e in elements if e["automationId"] == automation_id]
    expect(len(found) >= 1, "no element with automation id %r in %r"
           % (automation_id, [e["automationId"] for e in elements]))
    return found[0]


def wait_for_event(app, event, timeout=10.0):
    limit = time.monotonic() + timeout
    while event not in app.events():
        if time.monotonic() >= limit:
            raise E2EError("the app never reported %r; events: %r" % (event, app.events()))
        time.sleep(0.1)


def check_unavailable(probe, when):
    answer = probe.run("outline", TITLE)
    expect(not answer.get("ok") and CLASS_NOT_REGISTERED in answer.get("error", ""),
           "%s registration, opening UI Automation should fail as not registered: %r"
           % (when, answer))


def check_outline(probe, window):
    elements = probe.outline()
    # Rectangles are true screen pixels: Wine's X window is the client area, where the
    # controls sit at their layout positions (controls.cpp).
    for automation_id, (x, y, width, height) in {"1001": (10, 10, 120, 28),
                                                 "1009": (350, 32, 355, 273)}.items():
        bounds = by_id(elements, automation_id)["bounds"]
        expected = {"x": window.x + x, "y": window.y + y, "width": width, "height": height}
        expect(bounds == expected, "%s's bounds %r, expected %r from the screen"
               % (automation_id, bounds, expected))
    root = elements[0]
    expect(root["role"] == "window" and root["label"] == TITLE and root["automationId"] == "",
           "the first element is not the main window: %r" % root)
    ids = {json.dumps(e["runtimeId"]) for e in elements}
    expect(len(ids) == len(elements), "runtime ids repeat")
    for element in elements[1:]:
        expect(json.dumps(element["parentRuntimeId"]) in ids,
               "%s's parent is not in the outline" % element["automationId"])
        b, r = element["bounds"], root["bounds"]
        expect(r["x"] <= b["x"] and b["x"] + b["width"] <= r["x"] + r["width"] and
               r["y"] <= b["y"] and b["y"] + b["height"] <= r["y"] + r["height"],
               "%s lies outside the window: %r" % (element["automationId"], b))

    expected = {  # automation id: (role, label)
        "1001": ("button", "Open Dialog"), "1002": ("checkbox", "Enable feature"),
        "1003": ("edit", "Name:"), "1004": ("edit", "Password:"),
        "1005": ("edit", "Read-only:"), "1006": ("comboBox", "Colour:"),
        "1007": ("list", "Fruit:"), "1008": ("list", "Long list:"), "1009": ("edit", "Notes:"),
        "1101": ("text", "Name:"),
    }
    for automation_id, (role, label) in expected.items():
        element = by_id(elements, automation_id)
        expect((element["role"], element["label"]) == (role, label),
               "%s is %r %r, expected %r %r" % (automation_id, element["role"],
                                                 element["label"], role, label))
    caps = {e["automationId"]: e["capabilities"] for e in elements}
    expect(caps["1001"]["canInvoke"] and caps["1001"]["canPress"], "the button cannot be invoked")
    expect(caps["1002"]["canPress"] and not caps["1002"]["canInvoke"],
           "the check box should press by toggling, not invoke")
    expect(caps["1003"]["canSetValue"] and not caps["1005"]["canSetValue"],
           "only the writable edit can take a value")
    expect(caps["1008"]["canScroll"], "the long list cannot scroll")
    password = by_id(elements, "1004")
    expect(password["isPassword"] and password["value"] == "",
           "the password field is not hidden: %r" % password)
    expect(by_id(elements, "1005")["value"] == "Fixed value", "the read-only edit's value")
    expect(by_id(elements, "1009")["value"].startswith("Line 01: The quick brown fox"),
           "the notes' value")
    items = [e["label"] for e in elements if e["role"] == "listItem"]
    expect(items[:5] == ["Apple", "Banana", "Cherry", "Date", "Elderberry"],
           "the fruit list's entries: %r" % items)
    expect("Item 1" in items and "Item 20" not in items,
           "only the long list's visible entries are reported: %r" % items)
    return elements


def check_call_counts(probe, call_log):
    """One extraction element by element (the server refusing caching) and through caches:
    the same records, and the calls each costs."""
    element_by_element = dict(probe.env, WINHELPER_UIA_NO_CACHE="1")
    cached_env = probe.env
    try:
        probe.env = element_by_element
        call_log.reset()  # each probe is a process of its own, with totals of its own
        elements = probe.outline()
        cost = call_log.snapshot()
    finally:
        probe.env = cached_env
    expect(cost.get("IUIAutomation.ElementFromHandle") == 1 and
           cost.get("IUIAutomationElement.FindAll") == 1,
           "one walk element by element should cost one root and one FindAll: %r" % cost)
    examined = cost.get("IUIAutomationElementArray.GetElement", 0)
    expect(examined >= len(elements), "fewer elements examined than reported: %r" % cost)
    counted = {m: c for m, c in cost.items() if not m.startswith("#")}
    element_calls = sum(count for method, count in counted.items()
                        if not method.startswith(("IUIAutomation.", "IClassFactory.")))
    print("look of the test application element by element: %d calls (%d round trips), "
          "%d elements examined, %d reported, %.1f calls per examined element"
          % (sum(counted.values()), cost["#round_trips"], examined, len(elements),
             element_calls / examined))
    for method in sorted(counted):
        print("  %6d %s" % (counted[method], method))

    call_log.reset()
    cached = probe.outline()
    cost = call_log.snapshot()
    expect(cached == elements, "the cached walk's records differ from the element-by-element "
           "walk's: %r" % [(a, b) for a, b in zip(cached, elements) if a != b][:3])
    expect(cost["#round_trips"] <= 10 and cost.get("#password_value_reads", 0) == 0,
           "one cached look should cost a handful of round trips: %r" % cost)
    print("look of the test application through caches: %d round trips, %d local calls"
          % (cost["#round_trips"], cost["#local_calls"]))


def print_cost(what, cost):
    calls = {m: c for m, c in cost.items() if not m.startswith("#")}
    print("%s: %d calls, %d round trips (%s)" % (what, sum(calls.values()),
                                                 cost.get("#round_trips", 0), ", ".join(
        "%s %d" % (method, count) for method, count in sorted(calls.items()))))


def centre(element):
    b = element["bounds"]
    return str(b["x"] + b["width"] // 2), str(b["y"] + b["height"] // 2)


def check_hit_tests(probe, elements):
    """Element-from-point finds the control, or the list entry, under a screen point."""
    cherry, apple = by_id(elements, "ListItem-2"), by_id(elements, "ListItem-0")
    cases = [("1001", centre(by_id(elements, "1001")), True),
             ("1001", centre(by_id(elements, "1002")), False),
             ("ListItem-2", centre(cherry), True),
             ("ListItem-2", centre(apple), False),
             ("1007", centre(cherry), True)]  # the list holds the entry under the point
    for automation_id, (x, y), expected in cases:
        answer = probe.ok("hit", TITLE, automation_id, x, y)
        expect(answer["hit"] is expected, "hit test of %s at %s,%s: %r, expected %r"
               % (automation_id, x, y, answer["hit"], expected))


def check_actions(probe, app, call_log):
    call_log.reset()
    answer = probe.ok("press", TITLE, "1002")
    print_cost("press of the check box", call_log.snapshot())
    expect(answer["kind"] == "toggled" and answer["state"] is True, "toggle on: %r" % answer)
    wait_for_event(app, "checked Enable feature")
    answer = probe.ok("press", TITLE, "1002")
    expect(answer["kind"] == "toggled" and answer["state"] is False, "toggle off: %r" % answer)
    wait_for_event(app, "unchecked Enable feature")

    answer = probe.ok("set", TITLE, "1003", "héllo wörld")
    expect(answer["value"] == "héllo wörld", "the value read back: %r" % answer)
    wait_for_event(app, "text 'héllo wörld'")

    answer = probe.run("set", TITLE, "1005", "nope")
    expect(not answer["ok"] and "read-only" in answer["error"] and "0x80131509" in answer["error"],
           "the read-only edit should refuse with the server's error text: %r" % answer)
    expect(by_id(probe.outline(), "1005")["value"] == "Fixed value", "the read-only edit changed")

    answer = probe.ok("press", TITLE, "ListItem-1")
    expect(answer["kind"] == "selected" and answer["state"] is True, "select: %r" % answer)
    wait_for_event(app, "selected 'Banana'")

    answer = probe.ok("scroll", TITLE, "1008", "1")
    expect(answer["scrolled"], "the long list did not scroll: %r" % answer)
    items = [e["label"] for e in probe.outline() if e["role"] == "listItem"]
    expect("Item 1" not in items and "Item 2" in items,
           "after one step down the first entry should be out of view: %r" % items)

    answer = probe.ok("press", TITLE, "1006")
    expect(answer["kind"] == "noSupportedPattern", "the combo box offers no press: %r" % answer)

    answer = probe.ok("text", TITLE, "1009")
    lines = answer["text"].split("\r\n")
    expect(len(lines) == 40 and lines[39].startswith("Line 40: "),
           "the notes' text through the text pattern: %r" % answer["text"][:80])
    answer = probe.ok("text", TITLE, "1004")
    expect(answer["text"] is None, "the password field offers no text: %r" % answer)


def check_dialog(probe, app):
    answer = probe.ok("press", TITLE, "1001")
    expect(answer["kind"] == "invoked", "the button press: %r" % answer)
    wait_for_event(app, "clicked Open Dialog")
    limit = time.monotonic() + 10
    while find_x_window(lambda name: name == "Test Dialog") is None:
        if time.monotonic() >= limit:
            raise E2EError("the dialog did not open")
        time.sleep(0.1)
    answer = probe.ok("outline", "Test Dialog")
    dialog, handle = answer["elements"], "#%d" % answer["window"]
    expect(by_id(dialog, "2001")["label"] == "Dialog text", "the dialog's text: %r" % dialog)
    answer = probe.ok("press", handle, "1")
    expect(answer["kind"] == "invoked", "the OK press: %r" % answer)
    wait_for_event(app, "clicked OK")

    # Once the dialog's window is destroyed (after it is hidden), its handle no longer gives
    # an element, and the failure says why.
    limit = time.monotonic() + 10
    while probe.run("outline", handle)["ok"]:
        if time.monotonic() >= limit:
            raise E2EError("the closed dialog's window was never destroyed")
        time.sleep(0.2)
    for args in (("outline", handle), ("press", handle, "1")):
        answer = probe.run(*args)
        expect(not answer["ok"] and "ElementFromHandle" in answer["error"] and
               "does not name a window" in answer["error"],
               "%s on a closed window should fail at the root: %r" % (args[0], answer))


def main(build_dir):
    call_log = uia_server.CallLog()
    probe = Probe(build_dir, call_log)
    try:
        with TestApp(build_dir, TITLE) as app:
            window = app.wait_shown()
            check_unavailable(probe, "before")
            with uia_server.registered(build_dir):
                check_hit_tests(probe, check_outline(probe, window))
                check_call_counts(probe, call_log)
                check_actions(probe, app, call_log)
                check_dialog(probe, app)
            check_unavailable(probe, "after")
    finally:
        call_log.remove()


if __name__ == "__main__":
    run_test(main)
