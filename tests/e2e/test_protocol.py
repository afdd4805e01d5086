#!/usr/bin/env python3
"""The real winhelper.exe under Wine answers the line protocol byte for byte.

Usage: test_protocol.py <windows-build-dir>   (DISPLAY and WINEPREFIX set by the caller)
"""
import json
import os
import subprocess
import sys
import tempfile

EXE = os.path.join(sys.argv[1], "winhelper.exe")

DIAG_KEYS = ["accessibility", "arch", "architectureVersion", "desktop", "invariants", "os", "pid",
             "protocolVersion", "screenRecording"]


def run(stdin_bytes, timeout=60):
    with tempfile.TemporaryFile() as err:
        # Wine's background processes may keep inherited pipes open, so standard
        # error goes to a file rather than a pipe read to its end.
        proc = subprocess.run(["wine", EXE], input=stdin_bytes, stdout=subprocess.PIPE,
                              stderr=err, timeout=timeout)
    check(proc.returncode == 0, "exit code 0 at end of input, got %s" % proc.returncode)
    return proc.stdout


def check(cond, what):
    if not cond:
        print("FAIL:", what)
        sys.exit(1)


def by_id(lines):
    out = {}
    for line in lines:
        out.setdefault(json.loads(line)["id"], []).append(line)
    return out


def main():
    session = b"".join([
        b"\n",
        b"   \t  \n",
        b'{"protocolVersion":4,"id":"diag","cmd":"diagnostics","args":null}\r\n',
        b'[4,"arr","diagnostics",{}]\n',
        b'{"protocolVersion":3,"id":"ver","cmd":"noSuchThing","args":{}}\n',
        b'{"protocolVersion":4,"id":"case","cmd":"Diagnostics","args":{}}\n',
        b'{"protocolVersion":4,"id":"noargs","cmd":"diagnostics"}\n',
        b'{"protocolVersion":4,"id":7,"cmd":"diagnostics","args":{}}\n',
        b'{"protocolVersion":4,"id":"two","cmd":"diagnostics","args":{}} {}\n',
        b"hello\n",
    ] + [b'{"protocolVersion":4,"id":"n%d","cmd":"diagnostics","args":{}}\n' % i for i in range(40)])
    out = run(session)
    check(out.endswith(b"\n") and b"\r" not in out, "every response ends with one LF and no CR")
    lines = out.decode("utf-8").split("\n")[:-1]
    check(len(lines) == 48, "48 responses for 48 non-blank lines, got %d" % len(lines))
    for line in lines:
        check(line.startswith('{"protocolVersion":4,"id":'), "envelope order: " + line)
    ids = by_id(lines)

    diag = json.loads(ids["diag"][0])["result"]
    check(list(diag.keys()) == DIAG_KEYS, "diagnostics members in key order")
    check(isinstance(diag["pid"], int) and diag["pid"] > 0, "diagnostics pid is the process's")
    desktop = diag["desktop"]
    check(desktop["interactive"] is True and desktop["inputDesktop"] is True
          and desktop["warning"] is None and desktop["sessionId"] != 0,
          "under Wine the desktop is interactive: %r" % desktop)
    expected_diag = ('{"protocolVersion":4,"id":"diag","ok":true,"result":{"accessibility":true,'
                     '"arch":"x86_64","architectureVersion":1,"desktop":{"inputDesktop":true,'
                     '"interactive":true,"sessionId":%d,"warning":null},"invariants":["state-scoped-observations",'
                     '"bounded-observation-history","multi-root-forest","progressive-disclosure",'
                     '"atomic-physical-input","concurrent-requests","transactional-batching"],'
                     '"os":"windows","pid":%d,"protocolVersion":4,"screenRecording":true}}'
                     % (desktop["sessionId"], diag["pid"]))
    check(ids["diag"] == [expected_diag], "diagnostics byte for byte")
    check(ids["arr"] == [expected_diag.replace('"id":"diag"', '"id":"arr"')], "array form accepted")
    check(ids["ver"] == ['{"protocolVersion":4,"id":"ver","ok":false,"error":{"message":"Unsupported '
                         'Windows helper protocol 3; expected 4. Restart Orvel to use the installed '
                         'helper.","code":"invalid_request"}}'], "version mismatch wins")
    check(ids["case"] == ['{"protocolVersion":4,"id":"case","ok":false,"error":{"message":"Unknown '
                          'command \'Diagnostics\'","code":"unsupported_command"}}'], "cmd compared exactly")
    check(ids["noargs"] == ['{"protocolVersion":4,"id":"noargs","ok":false,"error":{"message":"Invalid '
                            'request: missing field `args` at line 1 column 55","code":"invalid_request"}}'],
          "missing field with position")
    unknown = ids["unknown"]
    check(len(unknown) == 3, "three unknown-id answers")
    check('{"protocolVersion":4,"id":"unknown","ok":false,"error":{"message":"Invalid request: invalid '
          'type: integer `7`, expected a string at line 1 column 27","code":"invalid_request"}}' in unknown,
          "numeric id")
    check('{"protocolVersion":4,"id":"unknown","ok":false,"error":{"message":"Invalid request: expected '
          'value at line 1 column 1","code":"invalid_request"}}' in unknown, "not JSON")
    two = '{"protocolVersion":4,"id":"two","cmd":"diagnostics","args":{}}'
    check(('{"protocolVersion":4,"id":"unknown","ok":false,"error":{"message":"Invalid request: '
           'trailing characters at line 1 column %d","code":"invalid_request"}}' % (len(two) + 2)) in unknown,
          "two values on one line")
    check(all(len(ids["n%d" % i]) == 1 for i in range(40)), "every request answered once at end of input")

    # Invalid UTF-8: answered once, reading stops, what was read is still answered.
    bad = (b'{"protocolVersion":4,"id":"before","cmd":"diagnostics","args":{}}\n'
           b'{"id":"\xff"}\n'
           b'{"protocolVersion":4,"id":"after","cmd":"diagnostics","args":{}}\n')
    lines = run(bad).decode("utf-8").split("\n")[:-1]
    ids = by_id(lines)
    check(set(ids) == {"before", "unknown"}, "after the bad line nothing more is read: %r" % lines)
    check(ids["unknown"] == ['{"protocolVersion":4,"id":"unknown","ok":false,"error":{"message":"Failed '
                             'to read input line: stream did not contain valid UTF-8","code":"internal_error"}}'],
          "invalid UTF-8 answer")
    print("ok: protocol answers under Wine")


if __name__ == "__main__":
    main()
