"""openBrowserLocation, uiaWaitFor and uiaReadText of the real helper under Wine.

A copy of the test application named chrome.exe stands in for the browser: its Ctrl+L
focuses the Name edit and selects its text like an address bar, and its event log shows
the keys that arrived. Wine has no UI Automation of its own, so the element commands are
checked for answering that failure as an error rather than as a result, and a look there
holds no element refs for uiaReadText to read."""

import os
import shutil
import tempfile
import time

from winhelper_e2e import E2EError, Helper, TestApp, error_of, expect, run_test, wait_listed

NOT_FOUND = ("Target browser window was not found; refusing to type into the currently "
             "focused window")





def wait_for_location(app, url, timeout=10.0):
    """Waits until the log shows Ctrl+L, then the whole location as the edit's text, then
    Enter as the last event."""
    limit = time.monotonic() + timeout
    while True:
        events = app.events()
        if "ctrl+L" in events:
            after = events[len(events) - 1 - events[::-1].index("ctrl+L"):]
            if after[-2:] == ["text '%s'" % url, "enter"]:
                return
        if time.monotonic() >= limit:
            raise E2EError("the browser's events are %r" % events[-12:])
        time.sleep(0.1)


def check_browser_location(helper, browser, build_dir):
    url = "example.org/path?q=1"
    expect(error_of(helper.request("openBrowserLocation",
                                   {"appName": "nosuchbrowser%d" % os.getpid(), "url": url}))
           == ("target_not_found", NOT_FOUND), "an unknown browser is refused")
    expect(error_of(helper.request("openBrowserLocation", {"appName": "CHROME"}))
           == ("invalid_request", "openBrowserLocation requires url"), "url is required")
    expect("ctrl+L" not in browser.events(), "nothing was typed by the refused requests",
           browser.events())

    answer = helper.request("openBrowserLocation", {"appName": "Chrome", "url": url})
    expect(answer.get("ok") is True and answer["result"] == {"opened": True},
           "openBrowserLocation succeeds", answer)
    wait_for_location(browser, url)
    browser.wait_for_title("enter")


def check_uia_failures(helper, record):
    for cmd in ("uiaWaitFor", "axWaitFor"):
        code, message = error_of(helper.request(
            cmd, {"windowId": record["windowId"], "text": "Name", "timeoutMs": 500}))
        expect(code == "internal_error" and message.startswith("CoCreateInstance IUIAutomation: "),
               "%s answers the UI Automation failure" % cmd, code, message)
    code, message = error_of(helper.request("uiaWaitFor", {"rootRef": record["rootRef"], "role": "edit"}))
    expect(code == "internal_error" and "0x80040154" in message,
           "a listed rootRef reaches the element list too", code, message)
    expect(error_of(helper.request("uiaWaitFor", {"rootRef": "@w999999", "text": "x"}))
           == ("target_not_found", "waitFor target root was not found"), "unknown root")

    expect(error_of(helper.request("uiaReadText", {"elementRef": "win:look_1:@e1"}))
           == ("invalid_request", "uiaReadText requires lookId"), "lookId is required")
    expect(error_of(helper.request("axReadText", {"lookId": "look_424242",
                                                  "elementRef": "win:look_424242:@e1"}))
           == ("stale_look", "Owning look is no longer available"), "unknown look")

    # Without UI Automation a look holds no element refs, so an element ref of a real look
    # is stale for both commands.
    look = helper.request("look", {"rootRef": record["rootRef"]})
    expect(look.get("ok") is True, "look succeeds", look.get("error"))
    look_id = look["result"]["lookId"]
    stale = ("stale_ref", "Element reference is stale")
    expect(error_of(helper.request("uiaReadText", {"lookId": look_id,
                                                   "elementRef": "win:%s:@e1" % look_id})) == stale,
           "an unknown element of a real look")
    expect(error_of(helper.request("uiaWaitFor", {"lookId": look_id, "scopeRef": "win:%s:@e1" % look_id,
                                                  "windowId": record["windowId"], "text": "x"})) == stale,
           "an unknown scope element of a real look")


def main(build_dir):
    browser_dir = tempfile.mkdtemp(prefix="winhelper-chrome-")
    try:
        shutil.copy(os.path.join(build_dir, "testapp.exe"), os.path.join(browser_dir, "chrome.exe"))
        title = "E2E Text Commands %d" % os.getpid()
        with Helper(build_dir) as helper, \
                TestApp(build_dir, title, x=60, y=60, w=500, h=400,
                        exe=os.path.join(browser_dir, "chrome.exe")) as browser:
            browser.wait_shown(timeout=60)
            _, record = wait_listed(helper, title)
            expect(record["appName"] == "chrome", "the copy lists as chrome", record["appName"])
            check_browser_location(helper, browser, build_dir)
            check_uia_failures(helper, record)
    finally:
        shutil.rmtree(browser_dir, ignore_errors=True)


if __name__ == "__main__":
    run_test(main)
