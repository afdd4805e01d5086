"""winhelper-mcp.exe with its default image budget, driven by the official MCP SDK client
(mcp/wine_budget_session.mjs): two 2560 x 1400 test application windows, one of plain controls
and one over a photo-like background, are looked at and clicked at image pixels."""

import os
import sys

from mcp_scenario import run_mcp_scenario
from winhelper_e2e import TestApp, run_test

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "uia_server"))
import uia_server  # noqa: E402


def main(build_dir):
    # One window at a time: a window covered by the other would be copied from the screen.
    for kind, extra, image_format in (("plain", [], "png"), ("photo", ["--photo"], "jpeg")):
        title = "E2E budget %s %d" % (kind, os.getpid())
        with TestApp(build_dir, title, x=0, y=0, w=2560, h=1400, extra_args=extra) as app, \
                uia_server.registered(build_dir):
            app.wait_shown()
            run_mcp_scenario("wine_budget_session.mjs", build_dir, title, image_format)


if __name__ == "__main__":
    run_test(main)
