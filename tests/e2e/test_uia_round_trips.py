"""Round trips into the target application through the shipped helper and the test UI
Automation server, the cached walk beside the element-by-element one (the server refusing
caching, as a provider that cannot cache does), side by side in one run with a simulated
cost per round trip: one look, one uiaWaitFor poll and one act preflight on the test
application, a press of a list entry that shares its automation id with an earlier one (found
by its runtime id) and the first page of a long text, and looks of generated windows of
1,201, 5,000 and 50,000 elements. Both ways give byte-identical records, no password field is
ever asked for its value, resolution by runtime id caches the properties of the few elements
it finds rather than of the whole window, and a page reads little more text than it holds."""

import os
import sys
import time

from winhelper_e2e import Helper, TestApp, expect, result_of, run_test

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "uia_server"))
import uia_server  # noqa: E402

from test_uia_look import by_identifier, nodes  # noqa: E402
from test_uia_server import Probe  # noqa: E402
from test_uia_text import NOTES  # noqa: E402

# The simulated cost of one round trip; WINHELPER_E2E_ROUND_TRIP_US sets another.
ROUND_TRIP_US = int(os.environ.get("WINHELPER_E2E_ROUND_TRIP_US", "200"))
REPEATS = 9
WAYS = (("element by element", {"WINHELPER_UIA_NO_CACHE": "1"}), ("cached", {}))
# The test application's window has 24 control-view elements besides its long list's entries.
SIZES = (1201, 5000, 50000)


class Measured:
    """Round trips, local calls and time of each action, from the call log of the process
    that ran it (each process writes its own totals)."""

    def __init__(self, call_logs):
        self.call_logs = call_logs  # way -> CallLog
        self.rows = []

    def run(self, what, way, action, own_process=False, repeats=1):
        """`own_process`: the action runs in a process of its own, whose totals replace the
        file's, so the file is emptied first. With `repeats`, the action runs that many times
        and the shortest time counts: the machine is shared, and its load only adds time."""
        call_log = self.call_logs[way]
        elapsed = None
        for _ in range(repeats):
            if own_process:
                call_log.reset()
            before = call_log.snapshot()
            start = time.monotonic()
            answer = action()
            took = time.monotonic() - start
            elapsed = took if elapsed is None else min(elapsed, took)
            cost = uia_server.CallLog.difference(before, call_log.snapshot())
            expect(cost.get("#password_value_reads", 0) == 0, "a password field was asked for "
                   "its value", what, way, cost)
        self.rows.append((what, way, cost.get("#round_trips", 0), cost.get("#local_calls", 0),
                          cost.get("#cached_values", 0), cost.get("#text_units_read", 0),
                          elapsed))
        return answer, cost

    def report(self):
        print("%-32s %-20s %12s %12s %14s %11s %10s" % ("", "", "round trips", "local calls",
                                                        "cached values", "text units", "ms"))
        for what, way, trips, local, values, units, elapsed in self.rows:
            print("%-32s %-20s %12d %12d %14d %11d %10.0f" % (what, way, trips, local, values,
                                                              units, elapsed * 1000))

    def trips(self, what, way):
        return [r[2] for r in self.rows if r[0] == what and r[1] == way][0]

    def cost(self, what, way, kind):
        column = {"values": 4, "units": 5}[kind]
        return [r[column] for r in self.rows if r[0] == what and r[1] == way][0]


def first_difference(a, b, path="outline"):
    if isinstance(a, dict) and isinstance(b, dict):
        for key in sorted(set(a) | set(b)):
            found = first_difference(a.get(key), b.get(key), path + "." + key)
            if found:
                return found
        return None
    if isinstance(a, list) and isinstance(b, list) and len(a) == len(b):
        for i, (x, y) in enumerate(zip(a, b)):
            found = first_difference(x, y, "%s[%d]" % (path, i))
            if found:
                return found
        return None
    return None if a == b else (path, a, b)


def environment(call_log, changes):
    env = call_log.environment()
    env.pop("WINHELPER_UIA_NO_CACHE", None)
    env["WINHELPER_UIA_ROUND_TRIP_US"] = str(ROUND_TRIP_US)
    env.update(changes)
    return env


def with_environment(call_log, changes):
    env = environment(call_log, changes)
    os.environ.clear()
    os.environ.update(env)


def helper_commands(build_dir, title, measured):
    """A look, a wait poll and an act preflight, each way, in two helpers side by side. Both
    look before either clicks, since a click changes the application's title."""
    helpers = {}
    try:
        saved = dict(os.environ)
        for way, changes in WAYS:
            with_environment(measured.call_logs[way], changes)
            helpers[way] = Helper(build_dir)
        os.environ.clear()
        os.environ.update(saved)
        looks = {}
        for way, helper in helpers.items():
            listing = result_of(helper.request("listWindows"))
            roots = [w for w in listing["windows"] if w["title"].startswith(title)]
            expect(len(roots) == 1, "the test application is listed",
                   [w["title"] for w in listing["windows"]])
            root = roots[0]
            look_args = {"rootRef": root["rootRef"], "includeImage": False}
            result_of(helper.request("look", look_args))  # loads the server into the helper
            looks[way], _ = measured.run("look", way, lambda: result_of(helper.request(
                "look", look_args)), repeats=REPEATS)
            waited, _ = measured.run("uiaWaitFor poll", way, lambda: result_of(helper.request(
                "uiaWaitFor", {"rootRef": root["rootRef"], "text": "Open Dialog"})),
                repeats=REPEATS)
            expect(waited["found"] is True, "the wait finds the button", waited)
        expect(looks["cached"]["outline"] == looks["element by element"]["outline"],
               "the look's outline is the same both ways",
               first_difference(looks["cached"]["outline"], looks["element by element"]["outline"]))
        for way, helper in helpers.items():
            # A browser-like window's click goes physical: the preflight reads the bounds
            # and hit-tests the centre; the check box is clicked for real.
            look = looks[way]
            step = {"lookId": look["lookId"], "action": "click", "policy": "foreground",
                    "pid": root["pid"], "deferRootDelta": True,
                    "target": {"ref": by_identifier(look["outline"], "1002")["ref"]}}
            acted, _ = measured.run("act preflight and click", way,
                                    lambda: result_of(helper.request("act", step, timeout=30)))
            expect(acted["performed"]["delivery"] == "hid" and "evidence" not in acted,
                   "the click went physical after a clean preflight", acted)
            # "Item 2" shares its automation id with "Banana", which comes first: the fast
            # path finds the wrong twin, and the runtime id finds the right one.
            twin = dict(step, action="press", policy="ax_only", target={
                "ref": [n for n in nodes(look["outline"]) if n.get("title") == "Item 2"][0]["ref"]})
            pressed, cost = measured.run("press of a twin by runtime id", way,
                                         lambda: result_of(helper.request("act", twin, timeout=30)))
            expect(pressed["evidence"] == {"selected": True}, "the twin is selected", pressed)
            notes = {"lookId": look["lookId"], "limit": 500,
                     "elementRef": by_identifier(look["outline"], "1009")["ref"]}
            page, cost = measured.run("uiaReadText, first page", way, lambda: result_of(
                helper.request("uiaReadText", notes)))
            expect(page["text"] == NOTES[:500] and page["totalChars"] == len(NOTES)
                   and page["hasMore"] is True, "the first page of the notes", page)
        for helper in helpers.values():
            expect(helper.close() == 0, "helper exits cleanly")
    finally:
        for helper in helpers.values():
            helper.close()


def generated_windows(build_dir, title, measured, probe):
    """Records of windows of several sizes, each way, through the probe."""
    for size in SIZES:
        app_title = "%s %d" % (title, size)
        entries = size - 24
        with TestApp(build_dir, app_title, x=60, y=60,
                     extra_args=("--long-list", str(entries))) as app:
            app.wait_shown()
            records = {}
            for way, changes in WAYS:
                probe.env = environment(measured.call_logs[way], changes)
                records[way], _ = measured.run("look of %d elements" % size, way,
                                               lambda: probe.outline(app_title), True)
            expect(records["cached"] == records["element by element"],
                   "records of the %d-element window differ" % size)
            expect(any(r.get("truncated") for r in records["cached"]),
                   "the %d-element window marks what it left out" % size)


def main(build_dir):
    title = "E2E UIA Round Trips %d" % os.getpid()
    call_logs = {way: uia_server.CallLog() for way, _ in WAYS}
    measured = Measured(call_logs)
    probe = Probe(build_dir, call_logs["cached"])
    try:
        with uia_server.registered(build_dir):
            with TestApp(build_dir, title, browser_class=True) as app:
                app.wait_shown()
                helper_commands(build_dir, title, measured)
            generated_windows(build_dir, title, measured, probe)
        measured.report()
        for what in ("look", "uiaWaitFor poll"):
            before, after = measured.trips(what, "element by element"), measured.trips(what, "cached")
            expect(after * 20 <= before, "%s: %d round trips cached, %d element by element"
                   % (what, after, before))
        # Resolution by runtime id caches at most the root, the automation-id match and the
        # twin (14 properties each), not the whole window; a page of 500 characters reads up
        # to 501 (two UTF-16 units each at most).
        expect(measured.cost("press of a twin by runtime id", "cached", "values") <= 3 * 14,
               "resolution cached the properties of few elements")
        expect(measured.cost("uiaReadText, first page", "cached", "units") <= 2 * 501,
               "the first page read little more text than it holds")
        at_1201 = measured.trips("look of 1201 elements", "cached")
        for size in SIZES[1:]:
            trips = measured.trips("look of %d elements" % size, "cached")
            expect(trips <= at_1201 and
                   trips * 20 <= measured.trips("look of %d elements" % size, "element by element"),
                   "a %d-element window costs %d round trips" % (size, trips))
    finally:
        for call_log in call_logs.values():
            call_log.remove()


if __name__ == "__main__":
    run_test(main)
