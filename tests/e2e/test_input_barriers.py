"""Windows that will not take input, through the real helper under Wine.

A test application whose UI thread stops answering for 10 s (F9 with --hang-ms): while it
hangs, listWindows, diagnostics and a look at another application's window answer as
quickly as before; once Windows reports the window as hung (after 5 s), a look at it is a
screen copy with an empty outline and the warning line, and physical input into it is
refused at once; after it recovers, looks read its elements and input reaches it again.

A message box closed with Enter and followed at once by input for its owner leaves Wine's
foreground on the closed box, and plain foreground requests for the owner are refused; the
action on the owner still succeeds (the foreground step's escalation).

Wine gives every process the same integrity level and the input desktop is always the
user's, so the refusals for elevated targets and the secure desktop are covered by the unit
tests only."""

import json
import os
import sys
import threading
import time

from test_act import NAME_EDIT, OPEN_DIALOG, Session, wait_for_event
from winhelper_e2e import (PROTOCOL_VERSION, Helper, TestApp, error_of, expect, result_of,
                           run_test, wait_for_x_window)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "uia_server"))
import uia_server  # noqa: E402

HANG_MS = 10000
# Windows (and Wine) call a window hung once its thread has not looked at its queue for 5 s.
HUNG_AFTER_S = 6.0
# A bound that only catches a hang: the machine may be shared and loaded.
QUICK_S = 5.0
NOT_RESPONDING = ("The target window is not responding, so Windows would hold the input back "
                  "until it recovers; physical input was not sent")
SKIPPED = "[uia] WARN extraction skipped: the window is not responding"


def ask_together(helper, requests):
    """Sends every (name, cmd, args) at once; returns {name: (response, seconds)}."""
    ids = {}
    start = time.monotonic()
    for name, cmd, args in requests:
        ids[name] = "barrier-%s-%d" % (cmd, len(ids))
        helper.send(json.dumps({"protocolVersion": PROTOCOL_VERSION, "id": ids[name],
                                "cmd": cmd, "args": args}))
    answers = {}

    def wait(name):
        response = helper.wait_response(ids[name], timeout=30)
        answers[name] = (response, time.monotonic() - start)

    waiters = [threading.Thread(target=wait, args=(name,)) for name in ids]
    for waiter in waiters:
        waiter.start()
    for waiter in waiters:
        waiter.join()
    missing = [name for name in ids if name not in answers]
    expect(not missing, "every request was answered", missing)
    return answers


def report(when, answers):
    print("%s: %s" % (when, {name: "%d ms" % round(seconds * 1000)
                             for name, (_, seconds) in answers.items()}))


def expect_before_recovery(app, answers, when):
    """Every answer came while the window still hung: an answer held by the hung window
    would only come after the application logged that it runs again."""
    expect("responding again" not in app.events(),
           "answered %s without waiting for the hung window" % when, sorted(answers))
    for name, (response, seconds) in answers.items():
        expect(seconds < QUICK_S, "%s answered within %.0f s %s" % (name, QUICK_S, when), seconds)


def others(calm):
    return [("listWindows", "listWindows", {}), ("diagnostics", "diagnostics", {}),
            ("look at another window", "look", {"rootRef": calm.root["rootRef"]})]


def check_hang(helper, hung, calm):
    report("before the hang", ask_together(helper, others(calm)))
    look_id = hung.look()
    result_of(hung.act(look_id, "keypress", hung.look_point(NAME_EDIT), params={"keys": ["F9"]}))
    wait_for_event(hung.app, "hanging %d ms" % HANG_MS)
    started = time.monotonic()

    answers = ask_together(helper, others(calm))
    report("while the window hangs, before Windows reports it", answers)
    expect_before_recovery(hung.app, answers, "while the window hangs")
    for response, _ in answers.values():
        result_of(response)

    time.sleep(max(0.0, started + HUNG_AFTER_S - time.monotonic()))
    answers = ask_together(helper, [("look at the hung window", "look",
                                     {"rootRef": hung.root["rootRef"]})])
    answers.update(ask_together(helper, [("physical input into it", "act", hung.action(
        look_id, "click", hung.look_point(NAME_EDIT)))] + others(calm)[:2]))
    report("once Windows reports the window as hung", answers)
    expect_before_recovery(hung.app, answers, "once the window is reported hung")
    look = result_of(answers["look at the hung window"][0])
    expect("image" in look and not look["outline"].get("children"),
           "a screen copy with an empty outline", look.get("outline"))
    expect(SKIPPED in helper.stderr_lines, "the warning says why", helper.stderr_lines[-3:])
    expect(error_of(answers["physical input into it"][0]) == ("target_not_found", NOT_RESPONDING),
           "input refused", answers["physical input into it"][0])

    wait_for_event(hung.app, "responding again", timeout=HANG_MS / 1000.0 + 10)


def check_recovery(helper, hung):
    warnings = helper.stderr_lines.count(SKIPPED)
    look = result_of(helper.request("look", {"rootRef": hung.root["rootRef"]}))
    expect(look["outline"].get("children"), "the recovered window's elements are read", look)
    expect(helper.stderr_lines.count(SKIPPED) == warnings, "no new warning")
    look_id = look["lookId"]
    result_of(hung.act(look_id, "click", hung.look_point(NAME_EDIT)))
    result_of(hung.act(look_id, "typeText", hung.look_point(NAME_EDIT),
                       params={"text": "back", "preserveFocus": True}))
    hung.app.wait_for_title("text 'back'")


def check_closed_message_box(calm):
    look_id = calm.look()
    result_of(calm.act(look_id, "click", calm.look_point(OPEN_DIALOG)))
    wait_for_x_window(lambda name: name == "Test Message", what="the message box")
    # The box has the keyboard; Enter presses its OK button. Acting on the owner at once,
    # while the box goes, is what leaves Wine's foreground on the closed box.
    result_of(calm.act(look_id, "keypress", calm.look_point(OPEN_DIALOG),
                       params={"keys": ["Enter"], "preserveFocus": True}))
    start = time.monotonic()
    result_of(calm.act(look_id, "click", calm.look_point(NAME_EDIT)))
    print("click on the owner after the box closed: %d ms" % round((time.monotonic() - start) * 1000))
    result_of(calm.act(look_id, "typeText", calm.look_point(NAME_EDIT),
                       params={"text": "after the box", "preserveFocus": True}))
    calm.app.wait_for_title("text 'after the box'")
    expect("closed Test Message" in calm.app.events(), "the box was closed by Enter")


def main(build_dir):
    tag = os.getpid()
    hung_app = TestApp(build_dir, "E2E Hang %d" % tag, x=40, y=40,
                       extra_args=["--hang-ms", str(HANG_MS)])
    calm_app = TestApp(build_dir, "E2E Calm %d" % tag, x=40, y=520, extra_args=["--message-box"])
    try:
        hung_window = hung_app.wait_shown(timeout=60)
        calm_window = calm_app.wait_shown(timeout=60)
        with uia_server.registered(build_dir), Helper(build_dir) as helper:
            hung = Session(helper, hung_app, hung_window)
            calm = Session(helper, calm_app, calm_window)
            check_hang(helper, hung, calm)
            check_recovery(helper, hung)
            check_closed_message_box(calm)
            helper.close()
    finally:
        hung_app.stop()
        calm_app.stop()


if __name__ == "__main__":
    run_test(main)
