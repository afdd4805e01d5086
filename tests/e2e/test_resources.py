"""The helper gives back what its commands take: after a warm-up, repeated looks through
the test UI Automation server (outline only and with an image), physical clicks and a
dialog opened and closed leave its handle and thread counts where they were.

The counts come from tests/e2e/procstat, which reads the system's handle table. A leak of
one handle per look or per action shows as fifteen or more here; the slack allows for the
odd handle Wine opens once late. (scripts/soak runs the same for ten minutes.)"""

import os

from winhelper_e2e import Helper, TestApp, expect, result_of, run_test
from soak_metrics import windows_view
from soak import Soak  # also puts uia_server/ on the module path

import uia_server  # noqa: E402

ROUNDS = 15
SLACK = 3


def counts(procstat, pid):
    view = windows_view(procstat, pid)
    return view["handles"], view["threads"], view["handleTypes"]


def main(build_dir):
    procstat = os.path.join(build_dir, "procstat.exe")
    expect(os.path.isfile(procstat), "procstat.exe is built", procstat)
    title = "E2E Resources %d" % os.getpid()
    with TestApp(build_dir, title, x=40, y=40) as app, uia_server.registered(build_dir):
        window = app.wait_shown(timeout=60)
        with Helper(build_dir, timeout=60) as helper:
            pid = result_of(helper.request("diagnostics"))["pid"]
            soak = Soak(helper, app, window, uia=True)
            for n in range(4):  # every kind of step once, including the dialog
                soak.iteration(n)
            handles, threads, types = counts(procstat, pid)
            for n in range(4, 4 + ROUNDS):
                soak.burst(n)
                soak.request("look", {"rootRef": soak.root["rootRef"], "includeImage": False})
                soak.physical(n)
                soak.semantic()
            after_handles, after_threads, after_types = counts(procstat, pid)
            grown = {kind: count - types.get(kind, 0) for kind, count in after_types.items()
                     if count > types.get(kind, 0)}
            expect(after_handles - handles <= SLACK,
                   "handles after %d rounds: %d -> %d" % (ROUNDS, handles, after_handles), grown)
            expect(after_threads == threads, "threads: %d -> %d" % (threads, after_threads))
            expect(helper.close() == 0, "the helper ends cleanly")


if __name__ == "__main__":
    run_test(main)
