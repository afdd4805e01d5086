"""Runs one of the MCP SDK client's scenarios (tests/e2e/mcp/*.mjs, installed by
scripts/setup), with the given arguments, against the Windows build and fails
the test unless it passes."""

import os
import shutil
import subprocess

from winhelper_e2e import E2EError, expect

CLIENT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "mcp")


def run_mcp_scenario(script, *args, timeout=300):
    node = shutil.which("node")
    expect(node is not None, "node is not installed (scripts/setup installs it)")
    expect(os.path.isdir(os.path.join(CLIENT_DIR, "node_modules", "@modelcontextprotocol", "sdk")),
           "the MCP SDK is not installed: run scripts/setup")
    try:
        done = subprocess.run([node, os.path.join(CLIENT_DIR, script), *args],
                              timeout=timeout)
    except subprocess.TimeoutExpired as error:
        raise E2EError("the MCP client scenario %s did not finish in time" % script) from error
    expect(done.returncode == 0, "the MCP client scenario %s passes" % script, done.returncode)
