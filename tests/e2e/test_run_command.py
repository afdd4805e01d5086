"""runCommand in the real helper under Wine, with Wine's cmd.exe: a non-ASCII echo comes back
exact, exit codes and standard input go through, output beyond maxOutputChars keeps its
head and tail, a command that outlives its timeout is ended with the process it started
(checked by their Linux pids), twenty commands run at once while other requests answer,
and over MCP a call reports progress and, cancelled, ends its tree and is not answered.
Last, killing the helper ends a command's tree: the job object dies with it."""

import json
import os
import queue
import re
import subprocess
import threading
import time

from winhelper_e2e import E2EError, Helper, expect, result_of, run_test, start_tool

GONE_WITHIN_S = 15.0


def pids_running(marker):
    """Linux pids of the Wine processes whose command line holds `marker`."""
    found = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % name, "rb") as f:
                line = f.read().replace(b"\0", b" ").decode("utf-8", "replace")
        except OSError:
            continue
        if marker in line:
            found.append(int(name))
    return found


def wait_until(condition, what, timeout=GONE_WITHIN_S):
    limit = time.monotonic() + timeout
    while not condition():
        if time.monotonic() >= limit:
            raise E2EError("timed out waiting until " + what)
        time.sleep(0.1)


def wait_tree(marker, count):
    """The pids of `count` processes that carry `marker` (a cmd.exe and its ping)."""
    wait_until(lambda: len(pids_running(marker)) >= count, "%d processes run %r" % (count, marker))
    return pids_running(marker)


def expect_gone(pids, what):
    wait_until(lambda: not any(os.path.exists("/proc/%d" % p) for p in pids), what + " ended")


def run(helper, args, **options):
    return result_of(helper.request("runCommand", args, **options))


def line_protocol(build_dir):
    with Helper(build_dir) as helper:
        # The interpreter's own output in UTF-16, ping's in bytes, in one stream.
        echo = run(helper, {"command": "echo 中文 ü €& ping -n 1 127.0.0.1 >&2 & ping -n 1 "
                                       "127.0.0.1 & echo 上海& exit /b 7"})
        expect(echo["stdout"].startswith("中文 ü €\r\n") and echo["stdout"].endswith("\r\n上海\r\n")
               and "127.0.0.1" in echo["stdout"] and "\ufffd" not in echo["stdout"],
               "the echo comes back exact", echo)
        expect("127.0.0.1" in echo["stderr"], "the program's bytes", echo)
        expect(echo["exitCode"] == 7 and echo["timedOut"] is False, "exit /b 7", echo)
        direct = run(helper, {"program": "cmd.exe", "args": ["/c", "exit", "3"]})
        expect(direct["exitCode"] == 3, "a program's own exit code", direct)

        # More input than the pipe holds at once.
        fed = run(helper, {"program": "find", "args": ["needle"], "maxOutputChars": 100000,
                           "stdin": "hay\r\nthe needle\r\nhay\r\n" * 4000})
        expect(fed["stdout"] == "the needle\r\n" * 4000, "stdin through find", fed["stdoutTotalChars"])

        loud = run(helper, {"command": "for /l %i in (1,1,3000) do @echo line %i",
                            "maxOutputChars": 40})
        expect(loud["truncated"] and loud["stdoutTotalChars"] == 31893, "the count of it all", loud)
        expect(loud["stdout"].startswith("line 1\r\nline 2\r\n") and
               loud["stdout"].endswith("2999\r\nline 3000\r\n") and
               "[... 31853 characters omitted ...]" in loud["stdout"], "head and tail kept", loud)

        # Past its timeout, the interpreter and the ping it started both end.
        helper.send(json.dumps({"protocolVersion": 4, "id": "late", "cmd": "runCommand",
                                "args": {"command": "ping -n 61 127.0.0.1 >nul",
                                         "timeoutMs": 3000}}))
        tree = wait_tree("-n 61 127.0.0.1", 2)
        late = result_of(helper.wait_response("late"))
        expect(late["timedOut"] is True and late["exitCode"] is None, "timed out", late)
        expect_gone(tree, "the timed-out tree")

        # Twenty at once hold no worker: other requests answer before any of them.
        for n in range(20):
            helper.send(json.dumps({"protocolVersion": 4, "id": "many-%d" % n, "cmd": "runCommand",
                                    "args": {"command": "ping -n 6 127.0.0.1 >nul & echo %d" % n}}))
        result_of(helper.request("diagnostics"))
        result_of(helper.request("listWindows"))
        expect(not any(helper._responses.get("many-%d" % n) for n in range(20)),
               "the other requests answered while the commands ran")
        for n in range(20):
            many = result_of(helper.wait_response("many-%d" % n, timeout=60))
            expect(many["exitCode"] == 0 and many["stdout"] == "%d\r\n" % n, "command %d" % n, many)

        # The helper's end closes the job, which ends what it holds.
        helper.send(json.dumps({"protocolVersion": 4, "id": "orphan", "cmd": "runCommand",
                                "args": {"command": "ping -n 63 127.0.0.1 >nul"}}))
        tree = wait_tree("-n 63 127.0.0.1", 2)
        helper.process.kill()
        expect_gone(tree, "the tree of the killed helper")


class McpStdio:
    """winhelper-mcp.exe over standard input and output, one JSON-RPC message a line."""

    def __init__(self, build_dir):
        self.process = start_tool(["wine", os.path.join(build_dir, "winhelper-mcp.exe")],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in iter(self.process.stdout.readline, b""):
            self.lines.put(json.loads(raw))

    def send(self, message):
        self.process.stdin.write(json.dumps(dict(message, jsonrpc="2.0")).encode() + b"\n")
        self.process.stdin.flush()

    def next(self, timeout=30):
        try:
            return self.lines.get(timeout=timeout)
        except queue.Empty as error:
            raise E2EError("the MCP server sent nothing in time") from error

    def close(self):
        self.process.stdin.close()
        self.process.wait(15)


def mcp_cancellation(build_dir):
    mcp = McpStdio(build_dir)
    try:
        mcp.send({"id": 0, "method": "initialize",
                  "params": {"protocolVersion": "2025-11-25", "capabilities": {},
                             "clientInfo": {"name": "e2e", "version": "1"}}})
        expect("result" in mcp.next(), "initialized")
        mcp.send({"method": "notifications/initialized"})
        mcp.send({"id": 1, "method": "tools/call",
                  "params": {"name": "run_command", "_meta": {"progressToken": "p"},
                             "arguments": {"command": "echo go & ping -n 62 127.0.0.1 >nul",
                                           "timeoutMs": 60000}}})
        tree = wait_tree("-n 62 127.0.0.1", 2)
        # Progress comes each second waited, with the output so far.
        while True:
            note = mcp.next()
            expect(note.get("method") == "notifications/progress", "progress first", note)
            if note["params"]["progress"] >= 1000:
                break
        expect(re.fullmatch(r"Waited \d+ s of 60 s; 10 bytes of output",
                            note["params"]["message"]), "the output's size", note)
        mcp.send({"method": "notifications/cancelled", "params": {"requestId": 1}})
        expect_gone(tree, "the cancelled tree")
        mcp.send({"id": 2, "method": "ping"})
        while True:
            answer = mcp.next()
            expect(answer.get("id") != 1, "a cancelled call is not answered", answer)
            if answer.get("id") == 2:
                break
    finally:
        mcp.close()


def main(build_dir):
    line_protocol(build_dir)
    mcp_cancellation(build_dir)


if __name__ == "__main__":
    run_test(main)
