"""A provider that stops answering, through the shipped helper and the test UI Automation
server, which holds a call to a hung window until the timeout set on the automation object
passes (UIA_E_TIMEOUT) and blocks when none was set, as UI Automation does.

The helper creates CUIAutomation8 and sets its timeouts (the server's counters record the
class and both values). While the test application's UI thread hangs (F9 with --hang-ms), a
look, a press, a setText, uiaReadText and uiaWaitFor on it, sent together, each answer within
6 s, while listWindows and diagnostics answer at once. Prints each answer's time."""

import os
import sys
import time

from test_act import wait_for_event
from test_input_barriers import ask_together
from test_uia_act import Session
from winhelper_e2e import Helper, TestApp, expect, result_of, run_test

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "uia_server"))
import uia_server  # noqa: E402

HANG_MS = 12000
WITHIN_S = 6.0
# "At once", with room for a loaded machine.
QUICK_S = 2.5
TIMEOUT_CODE = "0x80131505"


def requests_on(session):
    ref = session.ref
    look_id = session.last["lookId"]
    return [
        ("look", "look", {"rootRef": session.root["rootRef"], "includeImage": False}),
        ("press", "act", session.step("press", ref("1002"))),
        ("setText", "act", session.step("setText", ref("1003"), text="while hung")),
        ("uiaReadText", "uiaReadText", {"lookId": look_id, "elementRef": ref("1009"),
                                        "limit": 200}),
        ("uiaWaitFor", "uiaWaitFor", {"rootRef": session.root["rootRef"], "text": "no such text",
                                      "timeoutMs": 1000}),
        ("listWindows", "listWindows", {}),
        ("diagnostics", "diagnostics", {}),
    ]


def check_counters(call_log):
    counts = call_log.snapshot()
    expect(counts.get("#created_CUIAutomation8", 0) >= 1
           and counts.get("#created_CUIAutomation", 0) == 0, "only CUIAutomation8 is created",
           {k: v for k, v in counts.items() if k.startswith("#")})
    expect(counts.get("#connection_timeout_ms") == 2000
           and counts.get("#transaction_timeout_ms") == 5000, "the timeouts are set",
           {k: v for k, v in counts.items() if k.startswith("#")})
    expect(counts.get("#timed_out_calls", 0) >= 1, "calls ran into the timeout", counts)


def main(build_dir):
    app = TestApp(build_dir, "E2E Hung Provider %d" % os.getpid(),
                  extra_args=["--hang-ms", str(HANG_MS)])
    call_log = uia_server.CallLog()
    try:
        app.wait_shown(timeout=60)
        saved = dict(os.environ)
        os.environ.update(call_log.environment())
        try:
            helper = Helper(build_dir)
        finally:
            os.environ.clear()
            os.environ.update(saved)
        with uia_server.registered(build_dir), helper:
            session = Session(helper, app.title)
            session.look()
            result_of(helper.request("act", session.step("keypress", session.ref("1003"),
                                                         "foreground", keys=["F9"])))
            wait_for_event(app, "hanging %d ms" % HANG_MS)
            started = time.monotonic()
            answers = ask_together(helper, requests_on(session))
            print("while the provider hangs: %s" % {
                name: "%d ms" % round(seconds * 1000) for name, (_, seconds) in answers.items()})
            expect(time.monotonic() - started < HANG_MS / 1000.0,
                   "every answer came before the hang ended")
            for name, (response, seconds) in answers.items():
                bound = QUICK_S if name in ("listWindows", "diagnostics") else WITHIN_S
                expect(seconds < bound, "%s answered within %.1f s" % (name, bound), seconds,
                       response)
            look = result_of(answers["look"][0])
            expect("1002" not in str(look["outline"]), "the look goes on without elements", look)
            for name in ("uiaReadText",):
                response = answers[name][0]
                expect(not response.get("ok") and TIMEOUT_CODE in response["error"]["message"],
                       "%s fails naming the timeout" % name, response)
            time.sleep(HANG_MS / 1000.0)
            session.look()
            expect(session.ref("1002"), "the window is read again once it answers")
            helper.close()
        check_counters(call_log)
    finally:
        app.stop()
        call_log.remove()


if __name__ == "__main__":
    run_test(main)
