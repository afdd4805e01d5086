"""Look diffs through winhelper-mcp.exe and the official MCP SDK client
(mcp/wine_diff_session.mjs): the test application keeps a steady title, so setting the Name
edit's text is the only change between two looks."""

import os
import shutil
import subprocess
import sys

from winhelper_e2e import E2EError, TestApp, expect, run_test

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "uia_server"))
import uia_server  # noqa: E402

CLIENT_DIR = os.path.join(HERE, "mcp")


def main(build_dir):
    node = shutil.which("node")
    expect(node is not None, "node is not installed (scripts/setup installs it)")
    title = "E2E diff %d" % os.getpid()
    with TestApp(build_dir, title, extra_args=["--steady-title"]) as app, \
            uia_server.registered(build_dir):
        app.wait_shown()
        try:
            done = subprocess.run([node, os.path.join(CLIENT_DIR, "wine_diff_session.mjs"),
                                   build_dir, title], timeout=300)
        except subprocess.TimeoutExpired as error:
            raise E2EError("the MCP client scenario did not finish in time") from error
        expect(done.returncode == 0, "the MCP client scenario passes", done.returncode)


if __name__ == "__main__":
    run_test(main)
