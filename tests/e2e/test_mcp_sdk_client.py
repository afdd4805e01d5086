"""winhelper-mcp.exe driven by the official MCP TypeScript SDK client (tests/e2e/mcp, installed by
scripts/setup): starts the test application with the test UI Automation server registered, types
a password the look must never show, and runs the client's scenario (mcp/wine_session.mjs)."""

import os
import shutil
import subprocess
import sys

from winhelper_e2e import E2EError, TestApp, expect, run_test

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "uia_server"))
import uia_server  # noqa: E402

from test_uia_server import Probe  # noqa: E402

CLIENT_DIR = os.path.join(HERE, "mcp")


def main(build_dir):
    node = shutil.which("node")
    expect(node is not None, "node is not installed (scripts/setup installs it)")
    expect(os.path.isdir(os.path.join(CLIENT_DIR, "node_modules", "@modelcontextprotocol", "sdk")),
           "the MCP SDK is not installed: run scripts/setup")
    title = "E2E MCP %d" % os.getpid()
    call_log = uia_server.CallLog()
    try:
        with TestApp(build_dir, title) as app, uia_server.registered(build_dir):
            app.wait_shown()
            Probe(build_dir, call_log).ok("set", title, "1004", "secret")
            try:
                done = subprocess.run([node, os.path.join(CLIENT_DIR, "wine_session.mjs"), build_dir,
                                       title], timeout=400)
            except subprocess.TimeoutExpired as error:
                raise E2EError("the MCP client scenario did not finish in time") from error
            expect(done.returncode == 0, "the MCP client scenario passes", done.returncode)
    finally:
        call_log.remove()


if __name__ == "__main__":
    run_test(main)
