"""winhelper-mcp.exe --http under Wine, driven by the official MCP TypeScript SDK client over
Streamable HTTP with a bearer token (mcp/http_session.mjs): two sessions with their own looks, a
refused wrong token, a withdrawn wait, DELETE. The test application gives the looks a window."""

import os
import shutil
import subprocess

from winhelper_e2e import E2EError, TestApp, expect, run_test

CLIENT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "mcp")


def main(build_dir):
    node = shutil.which("node")
    expect(node is not None, "node is not installed (scripts/setup installs it)")
    expect(os.path.isdir(os.path.join(CLIENT_DIR, "node_modules", "@modelcontextprotocol", "sdk")),
           "the MCP SDK is not installed: run scripts/setup")
    with TestApp(build_dir, "E2E MCP HTTP %d" % os.getpid()) as app:
        app.wait_shown()
        try:
            done = subprocess.run([node, os.path.join(CLIENT_DIR, "http_session.mjs"), "wine",
                                   os.path.join(build_dir, "winhelper-mcp.exe")], timeout=400)
        except subprocess.TimeoutExpired as error:
            raise E2EError("the MCP client scenario over HTTP did not finish in time") from error
        expect(done.returncode == 0, "the MCP client scenario over HTTP passes", done.returncode)


if __name__ == "__main__":
    run_test(main)
