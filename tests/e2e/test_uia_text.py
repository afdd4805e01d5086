"""uiaReadText and uiaWaitFor through the shipped helper, with the test UI Automation server
registered: the multi-line edit read page by page through its text pattern, a text pattern
that fails answered as an error (not the element's name), the password field refused, waits that see an edit's text appear and go as the application changes, and a
wait that finds the dialog's text once the dialog is open."""

import json
import os
import sys
import time

from winhelper_e2e import PROTOCOL_VERSION, E2EError, Helper, TestApp, expect, result_of, run_test

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "uia_server"))
import uia_server  # noqa: E402

from test_uia_look import by_identifier  # noqa: E402
from test_uia_server import Probe, wait_for_event  # noqa: E402

# The multi-line edit's text (controls.cpp).
NOTES = "\r\n".join("Line %02d: The quick brown fox jumps over the lazy dog." % line
                    for line in range(1, 41))


def send(helper, request_id, cmd, args):
    helper.send(json.dumps({"protocolVersion": PROTOCOL_VERSION, "id": request_id, "cmd": cmd,
                            "args": args}))


def check_read_text(helper, look_id, outline):
    notes = by_identifier(outline, "1009")["ref"]
    pages, offset = [], 0
    while True:
        page = result_of(helper.request("uiaReadText", {"lookId": look_id, "elementRef": notes,
                                                        "offset": offset, "limit": 500}))
        expect(page["totalChars"] == len(NOTES), "the notes' length", page["totalChars"])
        pages.append(page["text"])
        offset += 500
        expect(page["hasMore"] == (offset < len(NOTES)), "hasMore at offset %d" % offset, page)
        if not page["hasMore"]:
            break
    expect("".join(pages) == NOTES, "the pages put together are the notes")

    # The status text's text pattern fails: an error, never its name in place of its text.
    status = by_identifier(outline, "1011")["ref"]
    failed = helper.request("uiaReadText", {"lookId": look_id, "elementRef": status})
    expect(failed.get("error", {}).get("code") == "internal_error"
           and failed["error"]["message"].startswith("TextPattern.GetText: ")
           and "0x80004005" in failed["error"]["message"],
           "a failing text pattern is an error", failed)

    password = by_identifier(outline, "1004")["ref"]
    refused = helper.request("uiaReadText", {"lookId": look_id, "elementRef": password})
    expect(refused.get("error", {}).get("code") == "secure_text_unreadable",
           "the password field is refused", refused)


def check_waits(helper, probe, app, root_ref, title):
    # Sent first, answered once the edit holds the text.
    send(helper, "appear", "uiaWaitFor", {"rootRef": root_ref, "text": "Waited-for words",
                                          "role": "edit", "timeoutMs": 20000})
    time.sleep(0.5)
    probe.ok("set", title, "1003", "waited-for words here")
    appeared = result_of(helper.wait_response("appear", 30))
    expect(appeared["found"] is True and appeared.get("gone") is None, "the text appeared",
           appeared)

    send(helper, "go", "uiaWaitFor", {"rootRef": root_ref, "text": "waited-for words",
                                      "gone": True, "timeoutMs": 20000})
    time.sleep(0.5)
    probe.ok("set", title, "1003", "")
    went = result_of(helper.wait_response("go", 30))
    expect(went["found"] is True and went["gone"] is True, "the text went", went)

    missing = result_of(helper.request("uiaWaitFor", {"rootRef": root_ref, "text": "never there",
                                                      "timeoutMs": 300}))
    expect(missing["found"] is False and missing.get("timedOut") is True and
           missing["nodeCount"] > 20, "a wait for absent text times out", missing)

    probe.ok("press", title, "1001")
    wait_for_event(app, "clicked Open Dialog")
    dialog = probe.ok("outline", "Test Dialog")["window"]
    found = result_of(helper.request("uiaWaitFor", {"windowId": dialog, "text": "dialog text",
                                                    "timeoutMs": 10000}))
    expect(found["found"] is True, "the dialog's text is found", found)
    # Closing the dialog destroys the very window being searched: its text is gone.
    send(helper, "dialog-gone", "uiaWaitFor", {"windowId": dialog, "text": "dialog text",
                                               "gone": True, "timeoutMs": 20000})
    time.sleep(0.5)
    probe.ok("press", "Test Dialog", "1")
    wait_for_event(app, "clicked OK")
    went = result_of(helper.wait_response("dialog-gone", 30))
    expect(went["found"] is True and went["gone"] is True, "the dialog's text went", went)


def check_failures(helper, look_id, outline):
    notes = by_identifier(outline, "1009")["ref"]
    stale = helper.request("uiaReadText", {"lookId": look_id, "elementRef": notes + "0"})
    expect(stale.get("error") == {"message": "Element reference is stale", "code": "stale_ref"},
           "a ref the look never handed out is stale", stale)
    # The look keeps its refs, but UI Automation is gone now: the failure text comes back.
    uia_server.unregister()
    failed = helper.request("uiaReadText", {"lookId": look_id, "elementRef": notes})
    expect(failed.get("error") == {"message": "CoCreateInstance IUIAutomation: 0x80040154",
                                   "code": "internal_error"},
           "reading without UI Automation reports its failure", failed)


def main(build_dir):
    title = "E2E UIA Text %d" % os.getpid()
    call_log = uia_server.CallLog()
    probe = Probe(build_dir, call_log)
    try:
        with TestApp(build_dir, title) as app, uia_server.registered(build_dir):
            app.wait_shown()
            with Helper(build_dir) as helper:
                listing = result_of(helper.request("listWindows"))
                record = [w for w in listing["windows"] if w["title"].startswith(title)][0]
                look = result_of(helper.request("look", {"rootRef": record["rootRef"],
                                                         "includeImage": False}))
                check_read_text(helper, look["lookId"], look["outline"])
                check_waits(helper, probe, app, record["rootRef"], title)
                warnings = [line for line in helper.stderr_lines if "[uia]" in line]
                expect(warnings == [], "no UI Automation warning with the server", warnings)
                check_failures(helper, look["lookId"], look["outline"])
                expect(helper.close() == 0, "helper exits cleanly")
    finally:
        call_log.remove()


if __name__ == "__main__":
    run_test(main)
