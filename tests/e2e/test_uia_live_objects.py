"""No UI Automation object outlives the command that made it: after a look, a semantic and a
physical act, a wait and a text read through the shipped helper, the test server counts no element, array,
condition, cache request, pattern, walker or automation object alive. A helper that forgets
a Release fails here at once, instead of in a soak after half an hour."""

import os
import sys
import time

from winhelper_e2e import Helper, TestApp, expect, result_of, run_test

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "uia_server"))
import uia_server  # noqa: E402

from test_uia_look import by_identifier  # noqa: E402

# How long the helper may take to drop its last reference after it has answered: a worker
# ends its session after writing the response.
SETTLE_SECONDS = 5


def alive(call_log):
    return {name: count for name, count in call_log.snapshot().items()
            if name.startswith("#live_") and count != 0}


def expect_nothing_alive(call_log, after):
    limit = time.monotonic() + SETTLE_SECONDS
    left = alive(call_log)
    while left and time.monotonic() < limit:
        time.sleep(0.1)
        left = alive(call_log)
    counts = call_log.snapshot()
    expect(any(name.startswith("#live_") for name in counts), "the server wrote its live counts",
           after, counts)
    expect(not left, "no UI Automation object is alive after " + after, left)


def main(build_dir):
    title = "E2E UIA Live %d" % os.getpid()
    call_log = uia_server.CallLog()
    os.environ["WINHELPER_UIA_CALL_LOG"] = call_log.environment()["WINHELPER_UIA_CALL_LOG"]
    try:
        with TestApp(build_dir, title) as app, uia_server.registered(build_dir):
            app.wait_shown()
            with Helper(build_dir) as helper:
                listing = result_of(helper.request("listWindows"))
                record = [w for w in listing["windows"] if w["title"].startswith(title)][0]
                look = result_of(helper.request("look", {"rootRef": record["rootRef"]}))
                expect_nothing_alive(call_log, "a look")

                check_box = by_identifier(look["outline"], "1002")["ref"]
                toggled = result_of(helper.request("act", {
                    "lookId": look["lookId"], "action": "click", "target": {"ref": check_box},
                    "policy": "default", "pid": record["pid"]}))
                expect(toggled.get("outcome") == "worked", "the check box toggles", toggled)
                expect_nothing_alive(call_log, "a semantic act")

                edit = by_identifier(look["outline"], "1003")["rect"]
                point = {"x": edit["x"] + edit["w"] // 2, "y": edit["y"] + edit["h"] // 2}
                clicked = result_of(helper.request("act", {
                    "lookId": look["lookId"], "action": "click", "target": point,
                    "policy": "foreground", "pid": record["pid"]}))
                expect(clicked.get("outcome") == "unknown", "a physical click's outcome", clicked)
                expect_nothing_alive(call_log, "a physical act")

                result_of(helper.request("uiaWaitFor", {
                    "rootRef": record["rootRef"], "text": "open dialog", "role": "button",
                    "timeoutMs": 5000}))
                missing = result_of(helper.request("uiaWaitFor", {
                    "rootRef": record["rootRef"], "text": "no such element", "timeoutMs": 600}))
                expect(missing.get("timedOut") is True, "a wait for a missing element times out",
                       missing)
                expect_nothing_alive(call_log, "a found and a timed-out wait")

                notes = by_identifier(look["outline"], "1009")["ref"]
                page = result_of(helper.request("uiaReadText", {
                    "lookId": look["lookId"], "elementRef": notes, "limit": 100}))
                expect(page["text"].startswith("Line 01"), "the notes' first page", page)
                expect_nothing_alive(call_log, "a text read")
                expect(helper.close() == 0, "helper exits cleanly")
    finally:
        call_log.remove()


if __name__ == "__main__":
    run_test(main)
