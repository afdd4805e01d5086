#!/usr/bin/env python3
"""A demo session with the real helper under Wine: prints every request line
sent and every response line received. Usage: demo_session.py <windows-build-dir>"""
import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from winhelper_e2e import Helper  # noqa: E402


def show(direction, text):
    print("%s %s" % (direction, text if len(text) <= 400 else text[:400] + "... (%d bytes)" % len(text)))


def exchange(helper, line, request_id):
    show(">>", line)
    helper.send(line)
    response = helper.wait_response(request_id)
    show("<<", json.dumps(response, separators=(",", ":")))
    return response


def request(helper, request_id, cmd, args=None):
    line = json.dumps({"protocolVersion": 4, "id": request_id, "cmd": cmd,
                       "args": {} if args is None else args}, separators=(",", ":"))
    return exchange(helper, line, request_id)


def main(build_dir):
    with Helper(build_dir) as helper:
        print("== what the helper is")
        request(helper, "d1", "diagnostics")
        print("== lines the helper refuses")
        exchange(helper, '{"protocolVersion":3,"id":"old","cmd":"diagnostics","args":{}}', "old")
        exchange(helper, '{"protocolVersion":4,"id":"q","cmd":"diagnostics"}', "q")
        exchange(helper, "this is not json", "unknown")
        request(helper, "u1", "fly")
        helper.close()


if __name__ == "__main__":
    main(os.path.abspath(sys.argv[1]))
