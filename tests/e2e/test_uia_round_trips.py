"""Round trips into the target application through the shipped helper and the test UI
Automation server, the cached walk beside the element-by-element one (the server refusing
caching, as a provider that cannot cache does), side by side in one run with a simulated
cost per round trip: one look, one uiaWaitFor poll and one act preflight on the test
application, and looks of generated windows of 1,201, 5,000 and 50,000 elements. Both ways
give byte-identical records, and no password field is ever asked for its value."""

import os
import sys
import time

from winhelper_e2e import Helper, TestApp, expect, result_of, run_test

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "uia_server"))
import uia_server  # noqa: E402

from test_uia_look import by_identifier  # noqa: E402
from test_uia_server import Probe  # noqa: E402

ROUND_TRIP_US = 200
WAYS = (("element by element", {"WINHELPER_UIA_NO_CACHE": "1"}), ("cached", {}))
# The test application's window has 22 elements besides its long list's entries.
SIZES = (1201, 5000, 50000)


class Measured:
    def __init__(self, call_log):
        self.call_log = call_log
        self.rows = []

    def run(self, what, way, action):
        before = self.call_log.snapshot()
        start = time.monotonic()
        answer = action()
        elapsed = time.monotonic() - start
        cost = uia_server.CallLog.difference(before, self.call_log.snapshot())
        expect(cost.get("#password_value_reads", 0) == 0, "a password field was asked for "
               "its value", what, way, cost)
        self.rows.append((what, way, cost.get("#round_trips", 0), cost.get("#local_calls", 0),
                          elapsed))
        return answer, cost

    def report(self):
        print("%-32s %-20s %12s %12s %10s" % ("", "", "round trips", "local calls", "ms"))
        for what, way, trips, local, elapsed in self.rows:
            print("%-32s %-20s %12d %12d %10.0f" % (what, way, trips, local, elapsed * 1000))

    def trips(self, what, way):
        return [r[2] for r in self.rows if r[0] == what and r[1] == way][0]


def with_environment(changes):
    for name in ("WINHELPER_UIA_NO_CACHE",):
        os.environ.pop(name, None)
    os.environ.update(changes)


def helper_commands(build_dir, title, measured):
    """A look, a wait poll and an act preflight, each way, in helpers side by side."""
    outlines = {}
    for way, changes in WAYS:
        with_environment(changes)
        with Helper(build_dir) as helper:
            listing = result_of(helper.request("listWindows"))
            root = [w for w in listing["windows"] if w["title"] == title][0]
            look, _ = measured.run("look", way, lambda: result_of(helper.request(
                "look", {"rootRef": root["rootRef"], "includeImage": False})))
            outlines[way] = look["outline"]
            waited, _ = measured.run("uiaWaitFor poll", way, lambda: result_of(helper.request(
                "uiaWaitFor", {"rootRef": root["rootRef"], "text": "Open Dialog"})))
            expect(waited["found"] is True, "the wait finds the button", waited)
            # A browser-like window's click goes physical: the preflight reads the bounds and
            # hit-tests the centre; the check box is clicked for real.
            step = {"lookId": look["lookId"], "action": "click", "policy": "foreground",
                    "pid": root["pid"], "deferRootDelta": True,
                    "target": {"ref": by_identifier(look["outline"], "1002")["ref"]}}
            acted, _ = measured.run("act preflight and click", way,
                                    lambda: result_of(helper.request("act", step, timeout=30)))
            expect(acted["performed"]["delivery"] == "hid" and "evidence" not in acted,
                   "the click went physical after a clean preflight", acted)
            expect(helper.close() == 0, "helper exits cleanly")
    expect(outlines["cached"] == outlines["element by element"],
           "the look's outline is the same both ways")


def generated_windows(build_dir, title, measured, probe):
    """Records of windows of several sizes, each way, through the probe."""
    for size in SIZES:
        app_title = "%s %d" % (title, size)
        entries = size - 22
        with TestApp(build_dir, app_title, x=60, y=60,
                     extra_args=("--long-list", str(entries))) as app:
            app.wait_shown()
            records = {}
            for way, changes in WAYS:
                probe.env = dict(os.environ, **changes)
                records[way], _ = measured.run("look of %d elements" % size, way,
                                               lambda: probe.outline(app_title))
            expect(records["cached"] == records["element by element"],
                   "records of the %d-element window differ" % size)
            expect(any(r.get("truncated") for r in records["cached"]),
                   "the %d-element window marks what it left out" % size)


def main(build_dir):
    title = "E2E UIA Round Trips %d" % os.getpid()
    call_log = uia_server.CallLog()
    os.environ.update(call_log.environment())
    os.environ["WINHELPER_UIA_ROUND_TRIP_US"] = str(ROUND_TRIP_US)
    measured = Measured(call_log)
    probe = Probe(build_dir, call_log)
    try:
        with uia_server.registered(build_dir):
            with TestApp(build_dir, title, browser_class=True) as app:
                app.wait_shown()
                call_log.reset()
                helper_commands(build_dir, title, measured)
            generated_windows(build_dir, title, measured, probe)
        measured.report()
        for what in ("look", "uiaWaitFor poll"):
            before, after = measured.trips(what, "element by element"), measured.trips(what, "cached")
            expect(after * 20 <= before, "%s: %d round trips cached, %d element by element"
                   % (what, after, before))
        at_1201 = measured.trips("look of 1201 elements", "cached")
        for size in SIZES[1:]:
            trips = measured.trips("look of %d elements" % size, "cached")
            expect(trips <= at_1201 and
                   trips * 20 <= measured.trips("look of %d elements" % size, "element by element"),
                   "a %d-element window costs %d round trips" % (size, trips))
    finally:
        call_log.remove()


if __name__ == "__main__":
    run_test(main)
