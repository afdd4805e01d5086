"""Look diffs through winhelper-mcp.exe and the official MCP SDK client
(mcp/wine_diff_session.mjs): the test application keeps a steady title, so setting the Name
edit's text is the only change between two looks."""

import os
import sys

from mcp_scenario import run_mcp_scenario
from winhelper_e2e import TestApp, run_test

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "uia_server"))
import uia_server  # noqa: E402


def main(build_dir):
    title = "E2E diff %d" % os.getpid()
    with TestApp(build_dir, title, extra_args=["--steady-title"]) as app, \
            uia_server.registered(build_dir):
        app.wait_shown()
        run_mcp_scenario("wine_diff_session.mjs", build_dir, title)


if __name__ == "__main__":
    run_test(main)
