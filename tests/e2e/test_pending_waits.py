"""Waits pending in the real helper under Wine, through the test UI Automation server: with
sixteen uiaWaitFor requests waiting for elements that never come (twice the workers), a
burst of other requests (listings, diagnostics, a wait that is met at once) is answered
long before the waits end, and every wait ends with its own result. Prints how long a
listWindows takes behind 0, 8 and 16 pending waits.

`--measure-only` prints the figures without judging them (to measure another build)."""

import json
import os
import statistics
import sys
import time

from winhelper_e2e import Helper, TestApp, expect, result_of, run_test, wait_listed

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "uia_server"))
import uia_server  # noqa: E402

WAIT_MS = 30000
# Far below WAIT_MS: a burst stuck behind the waits would miss it.
BURST_LIMIT_S = 15.0
MEASURE_ONLY = "--measure-only" in sys.argv


def listing_seconds(helper, repeats=5):
    """The median time of a listWindows, in seconds."""
    times = []
    for _ in range(repeats):
        start = time.monotonic()
        result_of(helper.request("listWindows", timeout=WAIT_MS / 1000 + 30))
        times.append(time.monotonic() - start)
    return statistics.median(times)


def send_waits(helper, record, first, count):
    ids = []
    for n in range(first, first + count):
        request_id = "pending-%d" % n
        # Half wait for an element that never comes, half for one to go that stays.
        args = ({"rootRef": record["rootRef"], "text": "no such element %d" % n}
                if n % 2 else {"rootRef": record["rootRef"], "text": "open dialog", "gone": True})
        args["timeoutMs"] = WAIT_MS
        helper.send('{"protocolVersion":4,"id":"%s","cmd":"uiaWaitFor","args":%s}'
                    % (request_id, json.dumps(args)))
        ids.append(request_id)
    return ids


def burst(helper, record):
    """Twenty-four requests at once; all are answered within BURST_LIMIT_S."""
    start = time.monotonic()
    ids = []
    for n in range(24):
        kind = n % 3
        if kind == 0:
            cmd, args = "listWindows", {}
        elif kind == 1:
            cmd, args = "diagnostics", {}
        else:
            cmd, args = "uiaWaitFor", {"rootRef": record["rootRef"], "text": "open dialog",
                                       "role": "button", "timeoutMs": 5000}
        request_id = "burst-%d" % n
        helper.send('{"protocolVersion":4,"id":"%s","cmd":"%s","args":%s}'
                    % (request_id, cmd, json.dumps(args)))
        ids.append((request_id, cmd))
    for request_id, cmd in ids:
        left = BURST_LIMIT_S - (time.monotonic() - start)
        answer = helper.wait_response(request_id, timeout=max(left, 0.1) if not MEASURE_ONLY else 120)
        result = result_of(answer)
        if cmd == "uiaWaitFor":
            expect(result["found"] is True, "a wait met at once is answered found", answer)
    return time.monotonic() - start


def main(build_dir):
    title = "E2E Pending Waits %d" % os.getpid()
    with TestApp(build_dir, title) as app, uia_server.registered(build_dir), \
            Helper(build_dir) as helper:
        app.wait_shown()
        _, record = wait_listed(helper, title)
        figures = {0: listing_seconds(helper)}
        waits = send_waits(helper, record, 0, 8)
        time.sleep(1.0)  # let every wait reach its first poll
        figures[8] = listing_seconds(helper)
        waits += send_waits(helper, record, 8, 8)
        time.sleep(1.0)
        figures[16] = listing_seconds(helper)
        burst_s = burst(helper, record)
        print("listWindows behind 0/8/16 pending waits: %s; burst of 24 behind 16: %.3f s"
              % (", ".join("%.3f s" % figures[n] for n in (0, 8, 16)), burst_s))
        for request_id in waits:
            answer = helper.wait_response(request_id, timeout=WAIT_MS / 1000 + 30)
            result = result_of(answer)
            expect(result["found"] is False and result["timedOut"] is True,
                   "a pending wait ends timed out", answer)
        if not MEASURE_ONLY:
            expect(figures[16] < 5.0, "a listing is not held behind the waits", figures)


if __name__ == "__main__":
    run_test(main)
