"""winhelper-mcp.exe driven by the official MCP TypeScript SDK client (tests/e2e/mcp, installed by
scripts/setup): starts the test application with the test UI Automation server registered, types
a password the look must never show, and runs the client's scenario (mcp/wine_session.mjs); then
the v2 client's stateless scenario over standard input (mcp/modern_session.mjs), which selects a
list entry."""

import os
import sys

from mcp_scenario import run_mcp_scenario
from winhelper_e2e import TestApp, run_test

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "uia_server"))
import uia_server  # noqa: E402

from test_uia_server import Probe  # noqa: E402


def main(build_dir):
    title = "E2E MCP %d" % os.getpid()
    call_log = uia_server.CallLog()
    try:
        with TestApp(build_dir, title) as app, uia_server.registered(build_dir):
            app.wait_shown()
            Probe(build_dir, call_log).ok("set", title, "1004", "secret")
            run_mcp_scenario("wine_session.mjs", build_dir, title, timeout=400)
            run_mcp_scenario("modern_session.mjs", "stdio", title, "Banana", "wine",
                             os.path.join(build_dir, "winhelper-mcp.exe"), timeout=400)
    finally:
        call_log.remove()


if __name__ == "__main__":
    run_test(main)
