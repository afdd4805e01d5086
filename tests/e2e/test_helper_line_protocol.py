"""The real helper under Wine speaks the line protocol: answers carry their request's id
even when several requests are in flight, a bad line is answered as "unknown", and the
process ends cleanly at the end of its input."""

import json

from winhelper_e2e import E2EError, Helper, run_test


def expect(condition, message, response):
    if not condition:
        raise E2EError("%s: %s" % (message, json.dumps(response)))


def main(build_dir):
    with Helper(build_dir) as helper:
        # Several requests written before any answer is read.
        ids = ["many-%d" % n for n in range(6)]
        for request_id in ids:
            helper.send(json.dumps({"protocolVersion": 4, "id": request_id,
                                    "cmd": "diagnostics", "args": {}}))
        for request_id in reversed(ids):
            response = helper.wait_response(request_id)
            expect(response.get("ok") is True and response["result"].get("os") == "windows",
                   "diagnostics under Wine", response)

        response = helper.request("noSuchCommand")
        expect(response.get("ok") is False
               and response["error"].get("code") == "unsupported_command",
               "unknown command", response)

        helper.send("this is not json")
        response = helper.wait_response("unknown")
        expect(response.get("ok") is False and response["error"].get("code") == "invalid_request",
               "unparsable line", response)

        code = helper.close()
        if code != 0:
            raise E2EError("helper exited with %s at end of input; stderr: %r"
                           % (code, helper.stderr_lines))
        if helper.unmatched:
            raise E2EError("stdout lines that are not responses: %r" % helper.unmatched)


if __name__ == "__main__":
    run_test(main)
