"""winhelper-mcp.exe with its default image budget, driven by the official MCP SDK client
(mcp/wine_budget_session.mjs): two 2560 x 1400 test application windows, one of plain controls
and one over a photo-like background, are looked at and clicked at image pixels."""

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
    expect(os.path.isdir(os.path.join(CLIENT_DIR, "node_modules", "@modelcontextprotocol", "sdk")),
           "the MCP SDK is not installed: run scripts/setup")
    # One window at a time: a window covered by the other would be copied from the screen.
    for kind, extra, image_format in (("plain", [], "png"), ("photo", ["--photo"], "jpeg")):
        title = "E2E budget %s %d" % (kind, os.getpid())
        with TestApp(build_dir, title, x=0, y=0, w=2560, h=1400, extra_args=extra) as app, \
                uia_server.registered(build_dir):
            app.wait_shown()
            try:
                done = subprocess.run([node, os.path.join(CLIENT_DIR, "wine_budget_session.mjs"),
                                       build_dir, title, image_format], timeout=300)
            except subprocess.TimeoutExpired as error:
                raise E2EError("the MCP client scenario did not finish in time") from error
            expect(done.returncode == 0, "the MCP client scenario passes (%s)" % kind,
                   done.returncode)

if __name__ == "__main__":
    run_test(main)
