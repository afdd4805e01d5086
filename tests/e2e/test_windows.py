"""The window commands of the real helper under Wine against the test application:
listWindows/listRoots records, dialogs, browser detection by executable name, focusWindow,
and window refs that survive re-listing and stop resolving once their window is gone."""

import os
import shutil
import tempfile
import time

from winhelper_e2e import (E2EError, Helper, TestApp, click, expect, result_of, run_test,
                           wait_for_x_window, wait_listed)

OPEN_DIALOG = (70, 24)  # client point inside the "Open Dialog" button (controls.cpp)




def find(listing, predicate, what):
    matches = [w for w in listing["windows"] if predicate(w)]
    expect(len(matches) == 1, "expected exactly one %s" % what,
           [(w.get("title"), w.get("kind")) for w in listing["windows"]])
    return matches[0]



def state_number(listing):
    prefix, number = listing["stateId"].split("-")
    expect(prefix == "w", "listing state ids start with w-", listing["stateId"])
    return int(number)


def check_main_record(record, app, title):
    expect(record["title"] == title, "title", record["title"])
    expect(record["processName"] == "testapp.exe" and record["appName"] == "testapp",
           "process and app names", record["processName"], record["appName"])
    expect(record["pid"] > 0 and record["kind"] == "window" and record["role"] == "Window",
           "pid, kind and role", record)
    expect(record["isModal"] is False and record["isMain"] == record["isFocused"], "main window flags", record)
    expect(record["ref"] == record["rootRef"] == record["windowRef"] and record["ref"].startswith("@w"),
           "the three refs agree", record)
    x_window = app.window()
    bounds = record["bounds"]
    # Without a window manager Wine's X window is the client area, inside the Win32 frame.
    expect(bounds["x"] <= x_window.x and bounds["y"] <= x_window.y
           and bounds["x"] + bounds["width"] >= x_window.x + x_window.width
           and bounds["y"] + bounds["height"] >= x_window.y + x_window.height,
           "bounds enclose the window's client area", bounds, x_window)
    expect(record["framePoints"] == bounds, "framePoints equal bounds at scale 1", record["framePoints"])
    expect(record["metadata"]["className"] and record["metadata"]["isBrowser"] is False,
           "metadata", record["metadata"])
    expect(record["isBrowser"] is False and record["browserFamily"] is None, "not a browser", record)


def main(build_dir):
    tag = os.getpid()
    main_title = "E2E Windows Main %d" % tag
    other_title = "E2E Windows Other %d" % tag
    browser_dir = tempfile.mkdtemp(prefix="winhelper-browser-")
    shutil.copy(os.path.join(build_dir, "testapp.exe"), os.path.join(browser_dir, "chrome.exe"))
    with Helper(build_dir) as helper, \
            TestApp(build_dir, main_title, x=40, y=40, w=700, h=520) as app, \
            TestApp(build_dir, other_title, x=300, y=300, w=500, h=400) as other:
        app.wait_shown()
        other.wait_shown()

        # Records of the main window, and state ids that advance.
        first, record = wait_listed(helper, main_title)
        check_main_record(record, app, main_title)
        again = result_of(helper.request("listRoots"))
        expect(state_number(again) > state_number(first), "stateId advances",
               first["stateId"], again["stateId"])
        expect(find(again, lambda w: w["title"] == main_title, "main window")["ref"] == record["ref"],
               "a window keeps its ref across listings")
        only_mine = result_of(helper.request("listWindows", {"pid": record["pid"]}))
        expect([w["title"] for w in only_mine["windows"]] == [main_title],
               "pid filter lists one process", [w["title"] for w in only_mine["windows"]])

        # focusWindow moves the foreground between the two windows.
        other_record = find(again, lambda w: w["title"] == other_title, "other window")
        start, then = (other_record, record) if record["isFocused"] else (record, other_record)
        for target in (start, then, start):
            answer = result_of(helper.request("focusWindow", {"rootRef": target["ref"]}))
            expect(answer == {"alreadyFocused": False, "focused": True}, "focus moves", target["title"], answer)
            # Wine may take a moment to report the new foreground window.
            limit = time.monotonic() + 5
            while True:
                listing = result_of(helper.request("listWindows"))
                focused = [w["title"] for w in listing["windows"] if w["isFocused"]]
                if focused == [target["title"]] or time.monotonic() > limit:
                    break
                time.sleep(0.1)
            expect(focused == [target["title"]], "the focused window is the target", focused)
        answer = result_of(helper.request("focusWindow", {"windowRef": " " + start["ref"] + " "}))
        expect(answer == {"alreadyFocused": True, "focused": True}, "focusing the foreground window", answer)

        # A modal dialog of the application lists as a dialog.
        click(app.window(), OPEN_DIALOG)
        wait_for_x_window(lambda name: name == "Test Dialog", timeout=10, what="the Test Dialog")
        _, dialog = wait_listed(helper, "Test Dialog")
        expect(dialog["kind"] == "dialog" and dialog["isModal"] is True and dialog["pid"] == record["pid"],
               "the dialog record", dialog)

        # A copy of the test application named chrome.exe is a Chrome browser.
        browser_title = "E2E Browser %d" % tag
        with TestApp(build_dir, browser_title, x=100, y=100, w=400, h=300,
                     exe=os.path.join(browser_dir, "chrome.exe")) as browser:
            browser.wait_shown()
            _, chrome = wait_listed(helper, browser_title)
            expect(chrome["processName"] == "chrome.exe" and chrome["isBrowser"] is True
                   and chrome["browserFamily"] == "chrome" and chrome["metadata"]["browserFamily"] == "chrome",
                   "browser record", chrome)
            browser_ref = chrome["ref"]

        # Once the window is gone, an unfiltered listing drops its ref.
        limit = time.monotonic() + 15
        while any(w["title"] == browser_title for w in result_of(helper.request("listWindows"))["windows"]):
            if time.monotonic() > limit:
                raise E2EError("the closed browser window is still listed")
            time.sleep(0.2)
        gone = helper.request("focusWindow", {"rootRef": browser_ref})
        expect(gone.get("ok") is False and gone["error"] == {
            "message": "Window ref '%s' not found" % browser_ref, "code": "target_not_found"},
            "a dropped ref no longer resolves", gone)
    shutil.rmtree(browser_dir, ignore_errors=True)


if __name__ == "__main__":
    run_test(main)
