"""act and actBatch of the real helper under Wine against the test application: a click at
a point of a look presses the real button and the dialog it opens shows up in the root
delta; typed text and key presses reach the focused edit; the default policy refuses input
after the foreground step; an outline-only look refuses points; a batch of a click and a
key press runs as one transaction.

Without a window manager the X window of the main window is its client area, so a control's
client point plus the X window's position is its screen point; a look of the window's own
size maps screen points to look points by subtracting the frame origin."""

import os
import time

from winhelper_e2e import (E2EError, Helper, TestApp, error_of, expect, find_x_window, result_of,
                           run_test)

# Client-area points inside controls (see testapp/controls.cpp for the layout).
OPEN_DIALOG = (70, 24)
NAME_EDIT = (215, 60)
BLOCKED = "Background policy blocks global Windows coordinate/raw input grounding"





class Session:
    def __init__(self, helper, app, window):
        self.helper, self.app, self.window = helper, app, window
        listing = result_of(helper.request("listWindows", {}))
        records = [r for r in listing["windows"] if r.get("title", "").startswith(app.title)]
        expect(len(records) == 1, "one listed main window", listing["windows"])
        self.root = records[0]
        self.pid = self.root["pid"]
        frame = self.root["framePoints"]
        self.frame_x = frame.get("x", 0)
        self.frame_y = frame.get("y", 0)

    def look(self, include_image=True):
        result = result_of(self.helper.request(
            "look", {"rootRef": self.root["rootRef"], "includeImage": include_image}))
        return result["lookId"]

    def look_point(self, client_point):
        """A client point of the main window in the coordinates of a full-size look."""
        return {"x": self.window.x + client_point[0] - self.frame_x,
                "y": self.window.y + client_point[1] - self.frame_y}

    def action(self, look_id, action, target, policy="foreground", params=None, **extra):
        args = {"lookId": look_id, "action": action, "target": target, "policy": policy,
                "pid": self.pid, "params": params or {}}
        args.update(extra)
        return args

    def act(self, *args, **kwargs):
        return self.helper.request("act", self.action(*args, **kwargs), timeout=30)


def wait_dialog_closed(timeout=10.0):
    limit = time.monotonic() + timeout
    while find_x_window(lambda name: name == "Test Dialog") is not None:
        if time.monotonic() >= limit:
            raise E2EError("the Test Dialog stayed open")
        time.sleep(0.1)


def wait_for_event(app, event, timeout=10.0):
    limit = time.monotonic() + timeout
    while event not in app.events():
        if time.monotonic() >= limit:
            raise E2EError("no %r among the reported events %r" % (event, app.events()[-5:]))
        time.sleep(0.1)


def check_point_click_opens_dialog(s, look_id):
    result = result_of(s.act(look_id, "click", s.look_point(OPEN_DIALOG)))
    s.app.wait_for_title("clicked Open Dialog")
    expect(result["outcome"] == "unknown", "outcome", result)
    performed = result["performed"]
    expect(performed.get("delivery") == "hid" and performed.get("grounding") == "coordinates",
           "physical delivery at coordinates", performed)
    expect(performed.get("deltaSource") == "win-event+snapshot", "delta source", performed)
    appeared = [c for c in result.get("rootDelta", [])
                if c.get("change") == "appeared" and c.get("title") == "Test Dialog"]
    expect(appeared, "the dialog appeared in the root delta", result.get("rootDelta"))
    # The dialog has the keyboard; Escape dismisses it without moving the foreground.
    result_of(s.act(look_id, "keypress", s.look_point(OPEN_DIALOG),
                    params={"keys": ["Escape"], "preserveFocus": True}))
    s.app.wait_for_title("closed Test Dialog")
    wait_dialog_closed()


def check_typing_reaches_the_edit(s, look_id):
    result_of(s.act(look_id, "click", s.look_point(NAME_EDIT)))
    typed = result_of(s.act(look_id, "typeText", s.look_point(NAME_EDIT),
                            params={"text": "hi", "preserveFocus": True}))
    expect(typed["performed"]["grounding"] == "coordinates", "typing grounding", typed)
    s.app.wait_for_title("text 'hi'")
    result_of(s.act(look_id, "keypress", s.look_point(NAME_EDIT), params={"keys": ["Enter"]}))
    s.app.wait_for_title("enter")


def check_refusals(s, look_id):
    code, message = error_of(s.act(look_id, "click", s.look_point(OPEN_DIALOG), policy="default"))
    expect((code, message) == ("foreground_required", BLOCKED), "default policy refuses",
           code, message)
    outline_only = s.look(include_image=False)
    code, message = error_of(s.act(outline_only, "click", s.look_point(OPEN_DIALOG)))
    expect(code == "coordinate_unavailable_for_root", "outline-only look refuses points",
           code, message)
    expect(find_x_window(lambda name: name == "Test Dialog") is None, "no dialog opened")


def check_batch(s, look_id):
    actions = [s.action(look_id, "click", s.look_point(NAME_EDIT)),
               s.action(look_id, "keypress", s.look_point(NAME_EDIT), params={"keys": ["z"]})]
    result = result_of(s.helper.request("actBatch", {"actions": actions}, timeout=30))
    expect(result["performed"].get("transaction") is True, "a transaction", result)
    expect(result["performed"].get("actionCount") == 2, "two steps ran", result)
    expect(len(result["steps"]) == 2 and "stoppedAt" not in result, "not stopped", result)
    expect(result["outcome"] == "unknown", "physical steps leave the outcome unknown", result)
    expect("deltaSource" in result["performed"], "the batch's delta source", result)
    wait_for_event(s.app, "key VK 0x5A")


def main(build_dir):
    app = TestApp(build_dir, "E2E Act %d" % os.getpid(), x=40, y=40)
    try:
        window = app.wait_shown(timeout=60)
        with Helper(build_dir) as helper:
            s = Session(helper, app, window)
            look_id = s.look()
            check_point_click_opens_dialog(s, look_id)
            check_typing_reaches_the_edit(s, look_id)
            check_refusals(s, look_id)
            check_batch(s, look_id)
            helper.close()
    finally:
        app.stop()


if __name__ == "__main__":
    run_test(main)
