"""Soak run: one helper under Wine works against the test application for a long time
(ten minutes by default) while its handles, threads, descriptors and memory are sampled;
none of them may grow once it has warmed up: counts compare the first and last thirds of the
samples, memory the slope of a line fitted over iterations (at most 1 KB per iteration).

Every iteration sends a concurrent burst (a look with image and outline, a screenshot,
listWindows, listRoots, diagnostics), then physical input at points of the look under the
`foreground` policy (a click into the name edit, ctrl+a, typed text, a move and a wheel
scroll over the long list; every third iteration a drag across the notes; every fourth
a click that opens the modal dialog and Escape to close it, so windows come and go through
the event watcher and the root deltas; every fifth a two-step batch), and with the test UI
Automation server registered a semantic toggle of the check box, a page of the notes' text
and a wait for the button. Every request must succeed. --kind repeats one kind of request
instead (see ONE_KIND), to tell which kind of work memory grows with.

    python3 tests/e2e/soak.py <windows-build-dir> [--seconds 600] [--warmup 300]
                              [--sample-every 10] [--report FILE] [--no-uia-server] [--smoke]
                              [--kind mixed|look|burst|...]

Needs DISPLAY and WINEPREFIX (tests/e2e/wine_env.sh); scripts/soak does all of it. The
samples and the verdict go to the report (JSON; default build/soak/report.json). --smoke is
a short run that checks the machinery (every request answered, samples readable) without
judging growth, which needs minutes to be meaningful.
"""

import argparse
import json
import os
import sys
import time

from winhelper_e2e import (PROTOCOL_VERSION, E2EError, Helper, TestApp, expect, find_x_window,
                           result_of, wait_for_x_window, wait_listed)
from test_uia_look import nodes
import soak_metrics

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "uia_server"))
import uia_server  # noqa: E402

# Client-area points inside the test application's controls (testapp/controls.cpp).
OPEN_DIALOG = (70, 24)
NAME_EDIT = (215, 60)
LONG_LIST = (250, 250)
NOTES = ((360, 60), (420, 70), (480, 90))
MAX_FAILURES = 5


class Soak:
    def __init__(self, helper, app, window, uia, kind="mixed"):
        self.helper, self.app, self.window, self.uia = helper, app, window, uia
        self.kind = kind
        _, self.root = wait_listed(helper, app.title)
        frame = self.root["framePoints"]
        self.origin = (window.x - frame.get("x", 0), window.y - frame.get("y", 0))
        self.requests = 0
        self.failures = []
        self.look = None

    def point(self, client):
        """A client point of the main window in a full-size look's pixels."""
        return {"x": self.origin[0] + client[0], "y": self.origin[1] + client[1]}

    def request(self, cmd, args):
        self.requests += 1
        return self.helper.request(cmd, args, timeout=60)

    def succeed(self, what, response):
        if response.get("ok") is not True:
            self.failures.append({"what": what, "response": response})
            raise E2EError("%s failed: %r" % (what, response))
        return response["result"]

    def burst(self, iteration):
        """Requests sent together, so the workers run them at once."""
        calls = [("look", {"rootRef": self.root["rootRef"]}),
                 ("screenshot", {"rootRef": self.root["rootRef"], "maxDimension": 640}),
                 ("listWindows", {}), ("listRoots", {}), ("diagnostics", {})]
        ids = []
        for n, (cmd, args) in enumerate(calls):
            ids.append("soak-%d-%d" % (iteration, n))
            self.requests += 1
            self.helper.send(json.dumps({"protocolVersion": PROTOCOL_VERSION, "id": ids[-1],
                                         "cmd": cmd, "args": args}))
        results = [self.succeed(cmd, self.helper.wait_response(i, 60))
                   for (cmd, _), i in zip(calls, ids)]
        self.look = results[0]
        expect(self.look.get("image"), "the look carries an image", sorted(self.look))

    def act(self, action, target, policy="foreground", **params):
        args = {"lookId": self.look["lookId"], "action": action, "target": target,
                "policy": policy, "pid": self.root["pid"], "params": params}
        return self.succeed("act %s" % action, self.request("act", args))

    def replace_name(self, text):
        """Types `text` over the name edit's whole text. The work must stay the same size every
        iteration: text that piled up (the edit takes no ctrl+a) made every look, title and
        text read longer, which the memory slope counted as growth."""
        edit = self.point(NAME_EDIT)
        self.act("click", edit)
        # The test application selects the name edit's text on ctrl+l, like an address bar.
        self.act("keypress", edit, keys=["ctrl", "l"], preserveFocus=True)
        self.act("typeText", edit, text=text, preserveFocus=True)
        self.app.wait_for_title("text '%s'" % text)
        return edit

    def physical(self, iteration):
        edit = self.replace_name("soak %d" % iteration)
        items = self.point(LONG_LIST)
        self.act("moveMouse", items, preserveFocus=True)
        self.act("scroll", items, scrollY=3 if iteration % 2 else -3, preserveFocus=True)
        if iteration % 3 == 0:
            path = [self.point(p) for p in NOTES]
            self.act("drag", path[0], path=path, preserveFocus=True)
        if iteration % 4 == 0:
            opened = self.act("click", self.point(OPEN_DIALOG))
            wait_for_x_window(lambda name: name == "Test Dialog", 10, "the Test Dialog")
            expect(opened.get("outcome") == "unknown", "a physical click's outcome", opened)
            self.act("keypress", self.point(OPEN_DIALOG), keys=["Escape"], preserveFocus=True)
            limit = time.monotonic() + 10
            while find_x_window(lambda name: name == "Test Dialog") is not None:
                expect(time.monotonic() < limit, "the Test Dialog closes")
                time.sleep(0.1)
        if iteration % 5 == 0:
            steps = [{"lookId": self.look["lookId"], "action": action, "target": edit,
                      "policy": "foreground", "pid": self.root["pid"], "params": params}
                     for action, params in (("click", {}), ("keypress", {"keys": ["End"]}))]
            batch = self.succeed("actBatch", self.request("actBatch", {"actions": steps}))
            expect(batch["performed"].get("actionCount") == 2, "both batch steps ran", batch)

    def semantic(self):
        by_id = {n.get("identifier"): n for n in nodes(self.look["outline"])}
        expect("1002" in by_id and "1009" in by_id, "the outline holds the test app's controls",
               sorted(k for k in by_id if k))
        toggled = self.act("click", {"ref": by_id["1002"]["ref"]}, policy="default")
        expect(toggled.get("outcome") == "worked", "the check box toggles", toggled)
        text = self.succeed("uiaReadText", self.request("uiaReadText", {
            "lookId": self.look["lookId"], "elementRef": by_id["1009"]["ref"], "limit": 200}))
        expect(text.get("text", "").startswith("Line 01"), "the notes' first page", text)
        self.succeed("uiaWaitFor", self.request("uiaWaitFor", {
            "rootRef": self.root["rootRef"], "text": "open dialog", "role": "button",
            "timeoutMs": 2000}))

    def take_look(self):
        self.look = self.succeed("look", self.request("look", {"rootRef": self.root["rootRef"]}))

    def by_id(self):
        return {n.get("identifier"): n for n in nodes(self.look["outline"])}

    def iteration(self, n):
        if self.kind == "mixed":
            self.burst(n)
            self.physical(n)
            if self.uia:
                self.semantic()
            return
        if self.look is None or self.kind == "look":
            self.take_look()
        ONE_KIND[self.kind](self, n)


def _screenshot(soak, _):
    soak.succeed("screenshot", soak.request("screenshot", {"rootRef": soak.root["rootRef"],
                                                           "maxDimension": 640}))


def _listing(soak, _):
    for cmd in ("listWindows", "listRoots", "diagnostics"):
        soak.succeed(cmd, soak.request(cmd, {}))


def _input(soak, n):
    soak.replace_name("k%d" % n)
    soak.act("scroll", soak.point(LONG_LIST), scrollY=3 if n % 2 else -3, preserveFocus=True)


def _dialog(soak, _):
    soak.act("click", soak.point(OPEN_DIALOG))
    wait_for_x_window(lambda name: name == "Test Dialog", 10, "the Test Dialog")
    soak.act("keypress", soak.point(OPEN_DIALOG), keys=["Escape"], preserveFocus=True)
    limit = time.monotonic() + 10
    while find_x_window(lambda name: name == "Test Dialog") is not None:
        expect(time.monotonic() < limit, "the Test Dialog closes")
        time.sleep(0.1)


def _toggle(soak, _):
    soak.act("click", {"ref": soak.by_id()["1002"]["ref"]}, policy="default")


def _text(soak, _):
    soak.succeed("uiaReadText", soak.request("uiaReadText", {
        "lookId": soak.look["lookId"], "elementRef": soak.by_id()["1009"]["ref"], "limit": 200}))


def _wait(soak, _):
    soak.succeed("uiaWaitFor", soak.request("uiaWaitFor", {
        "rootRef": soak.root["rootRef"], "text": "open dialog", "role": "button",
        "timeoutMs": 2000}))


# One kind of request per iteration (--kind), to tell which kind of work memory grows with.
ONE_KIND = {"look": lambda soak, n: None, "burst": Soak.burst, "screenshot": _screenshot,
            "listing": _listing, "input": _input, "dialog": _dialog, "toggle": _toggle, "text": _text,
            "wait": _wait}
UIA_KINDS = ("toggle", "text", "wait")


def unix_pid_of(helper):
    """The Linux process that runs winhelper.exe (Wine's loader replaces itself with it)."""
    pid = helper.process.pid
    with open("/proc/%d/cmdline" % pid, "rb") as cmdline:
        expect(b"winhelper.exe" in cmdline.read(), "pid %d runs winhelper.exe" % pid)
    return pid


def run(build_dir, options):
    procstat = os.path.join(build_dir, "procstat.exe")
    expect(os.path.isfile(procstat), "procstat.exe is built", procstat)
    app = TestApp(build_dir, "Soak %d" % os.getpid(), x=40, y=40)
    samples = []
    try:
        window = app.wait_shown(timeout=60)
        with Helper(build_dir, timeout=60) as helper:
            soak = Soak(helper, app, window, options.uia, options.kind)
            windows_pid = result_of(helper.request("diagnostics"))["pid"]
            unix_pid = unix_pid_of(helper)
            started = time.monotonic()
            next_sample = started
            iteration = 0
            errors = []
            while time.monotonic() - started < options.seconds:
                if time.monotonic() >= next_sample:
                    samples.append(soak_metrics.sample(procstat, windows_pid, unix_pid, started,
                                                       iteration, soak.requests))
                    print(soak_metrics.table(samples[-1:])[-1], flush=True)
                    next_sample += options.sample_every
                try:
                    soak.iteration(iteration)
                except E2EError as error:
                    errors.append("iteration %d: %s" % (iteration, error))
                    print("ERROR %s" % errors[-1], flush=True)
                    if len(errors) >= MAX_FAILURES:
                        break
                iteration += 1
            samples.append(soak_metrics.sample(procstat, windows_pid, unix_pid, started,
                                               iteration, soak.requests))
            code = helper.close()
            expect(code == 0, "the helper ends cleanly at end of input", code)
    finally:
        app.stop()
    return samples, iteration, soak.requests, errors


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir")
    parser.add_argument("--seconds", type=float, default=600)
    parser.add_argument("--warmup", type=float, default=300)
    parser.add_argument("--sample-every", type=float, default=10)
    parser.add_argument("--report")
    parser.add_argument("--no-uia-server", dest="uia", action="store_false")
    parser.add_argument("--smoke", action="store_true")
    parser.add_argument("--kind", default="mixed", choices=["mixed"] + sorted(ONE_KIND))
    options = parser.parse_args()
    if options.kind in UIA_KINDS and not options.uia:
        parser.error("--kind %s needs the test UI Automation server" % options.kind)
    if options.smoke:
        options.seconds, options.warmup, options.sample_every = 40, 0, 5
    build_dir = os.path.abspath(options.build_dir)
    report_path = options.report or os.path.join(build_dir, os.pardir, "soak", "report.json")

    print(soak_metrics.table([])[0], flush=True)
    try:
        if options.uia:
            with uia_server.registered(build_dir):
                samples, iterations, requests, errors = run(build_dir, options)
        else:
            samples, iterations, requests, errors = run(build_dir, options)
    except E2EError as error:
        print("FAIL: %s" % error, file=sys.stderr)
        return 1

    judged = soak_metrics.verdict(samples, options.warmup)
    report = {"seconds": options.seconds, "warmupSeconds": options.warmup, "kind": options.kind,
              "uiaServer": options.uia, "iterations": iterations, "requests": requests,
              "errors": errors, "verdict": judged, "samples": samples}
    os.makedirs(os.path.dirname(os.path.abspath(report_path)), exist_ok=True)
    with open(report_path, "w") as out:
        json.dump(report, out, indent=1)
    print("%d iterations, %d requests, %d errors; report in %s"
          % (iterations, requests, len(errors), os.path.abspath(report_path)))
    print("growth after the warm-up: %s" % json.dumps(judged.get("growth")))
    print("per iteration: %s" % json.dumps(judged.get("perIteration")))
    print("memory slopes: %s" % json.dumps(judged.get("slopes")))
    if judged.get("handleTypeGrowth"):
        print("handle types that grew: %s" % json.dumps(judged["handleTypeGrowth"]))

    if errors:
        print("FAIL: %d iterations failed; first: %s" % (len(errors), errors[0]), file=sys.stderr)
        return 1
    if options.smoke:
        if len(samples) < 2:
            print("FAIL: only %d samples" % len(samples), file=sys.stderr)
            return 1
        print("PASS: soak smoke run")
        return 0
    if not judged["ok"]:
        print("FAIL: %s" % judged["reason"], file=sys.stderr)
        return 1
    print("PASS: nothing grew")
    return 0


if __name__ == "__main__":
    sys.exit(main())
