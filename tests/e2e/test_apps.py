"""Starting, arranging and closing Wine's own programs through the real helper, and the
clipboard seen from another X client.

launchApp starts notepad.exe by path and regedit.exe by command line and answers with the
window as listWindows lists it; a missing program is a clear error. setWindowState maximises
Notepad to the screen (Xvfb has no taskbar, so the work area is the whole screen; a maximised
frame's borders hang just outside it, as on Windows), restores it, and moves it to exact
bounds. Text typed into Notepad makes its close ask to save: the prompt appears in the root
delta and is answered with an act. Text put on the clipboard is read by xclip through Wine's
bridge to the X selection (and the other way), with accents, CJK and an emoji intact, and a
long text is read back in pages."""

import subprocess
import time

from winhelper_e2e import (E2EError, Helper, error_of, expect, result_of, run_tool, run_test,
                           start_tool)

FRAME_SLACK = 16  # a maximised frame's border beyond the work area, each side
TEXT = "Grüße, señor! 你好，世界 😀 Ünïcödé"


def screen_size():
    out = run_tool(["xdpyinfo"], capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        if "dimensions:" in line:
            width, height = line.split()[1].split("x")
            return int(width), int(height)
    raise E2EError("xdpyinfo names no screen size")


def launch(helper, args):
    return helper.request("launchApp", args, timeout=40)


def set_state(helper, ref, **args):
    args["rootRef"] = ref
    return result_of(helper.request("setWindowState", args, timeout=30))


def listed(helper, pid):
    return result_of(helper.request("listWindows", {"pid": pid}))["windows"]


def wait_gone(helper, pid, timeout=15.0):
    limit = time.monotonic() + timeout
    while listed(helper, pid):
        if time.monotonic() >= limit:
            raise E2EError("process %d still has windows" % pid, listed(helper, pid))
        time.sleep(0.2)


def act_at_centre(helper, record, action, params):
    look = result_of(helper.request("look", {"rootRef": record["rootRef"]}, timeout=30))
    target = {"x": look["image"]["width"] // 2, "y": look["image"]["height"] // 2}
    return result_of(helper.request("act", {
        "lookId": look["lookId"], "action": action, "target": target, "policy": "foreground",
        "pid": record["pid"], "params": params}, timeout=30))


def check_notepad(helper):
    started = result_of(launch(helper, {"path": "notepad.exe"}))
    window = started["window"]
    expect(started["timedOut"] is False and window is not None, "Notepad's window", started)
    expect(window["pid"] == started["pid"] and "Notepad" in window["title"]
           and window["processName"].lower() == "notepad.exe", "the window is Notepad's", window)
    ref = window["rootRef"]
    expect(any(w["rootRef"] == ref for w in listed(helper, started["pid"])),
           "its ref is the listed one", ref)

    width, height = screen_size()
    maximised = set_state(helper, ref, state="maximize")["window"]["bounds"]
    expect(-FRAME_SLACK <= maximised["x"] <= 0 and -FRAME_SLACK <= maximised["y"] <= 0
           and width <= maximised["x"] + maximised["width"] <= width + FRAME_SLACK
           and height <= maximised["y"] + maximised["height"] <= height + FRAME_SLACK,
           "maximised to the work area", maximised, (width, height))
    restored = set_state(helper, ref, state="restore")["window"]
    expect(restored["bounds"] == window["bounds"] and not restored["isMinimized"],
           "restore brings the earlier bounds back", restored["bounds"], window["bounds"])
    exact = {"x": 120, "y": 90, "width": 640, "height": 420}
    moved = set_state(helper, ref, bounds=exact)["window"]
    expect(moved["bounds"] == exact, "moved to exact bounds", moved["bounds"])
    minimised = set_state(helper, ref, state="minimize")["window"]
    expect(minimised["isMinimized"] is True, "minimised", minimised)
    again = set_state(helper, ref, bounds=exact, state="restore")["window"]
    expect(again["bounds"] == exact and not again["isMinimized"],
           "a minimised window is restored before its bounds apply", again)

    act_at_centre(helper, moved, "typeText", {"text": "unsaved words"})
    # Synthesised keys are still on their way when the act answers; one that reached the
    # save prompt would answer it.
    time.sleep(1.5)
    closed = set_state(helper, ref, state="close")
    prompts = [c for c in closed.get("rootDelta", [])
               if c["change"] == "appeared" and c["pid"] == started["pid"]]
    expect(prompts, "the save prompt appears in the root delta", closed)
    prompt = [w for w in listed(helper, started["pid"]) if w["kind"] == "dialog"]
    expect(len(prompt) == 1, "one prompt listed", listed(helper, started["pid"]))
    act_at_centre(helper, prompt[0], "keypress", {"keys": ["n"]})
    wait_gone(helper, started["pid"])


def check_regedit_and_missing(helper):
    started = result_of(launch(helper, {"command": "regedit.exe"}))
    window = started["window"]
    expect(window is not None and window["processName"].lower() == "regedit.exe",
           "regedit's window", started)
    closed = set_state(helper, window["rootRef"], state="close")
    expect("performed" in closed, "a close reports its delta source", closed)
    wait_gone(helper, started["pid"])

    for args, shown in (({"path": "C:\\no\\such\\program.exe"}, "C:\\no\\such\\program.exe"),
                        ({"command": "no-such-program.exe /x"}, "no-such-program.exe /x")):
        code, message = error_of(launch(helper, args))
        expect(code == "target_not_found"
               and message == "Cannot launch '%s': no such file or program" % shown,
               "a missing program is named", code, message)


def xclip_read():
    return run_tool(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                    check=True, timeout=10).stdout.decode("utf-8")


def check_clipboard(helper):
    written = result_of(helper.request("clipboardWrite", {"text": TEXT}))
    expect(written["totalChars"] == len(TEXT), "characters counted", written)
    expect(xclip_read() == TEXT, "xclip reads what the helper put", xclip_read())

    other = TEXT[::-1] + " (from X)"
    owner = start_tool(["xclip", "-quiet", "-i", "-selection", "clipboard"], stdin=subprocess.PIPE,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        owner.stdin.write(other.encode("utf-8"))
        owner.stdin.close()
        time.sleep(0.5)
        read = result_of(helper.request("clipboardRead"))
        expect(read["hasText"] and read["text"] == other and read["totalChars"] == len(other),
               "the helper reads what xclip put", read)
    finally:
        owner.terminate()
        owner.wait(10)

    long_text = "".join("%05d é 字 😀\n" % i for i in range(900))
    result_of(helper.request("clipboardWrite", {"text": long_text}))
    pages, offset = [], 0
    while True:
        page = result_of(helper.request("clipboardRead", {"offset": offset, "limit": 4000}))
        expect(page["totalChars"] == len(long_text), "total characters", page["totalChars"])
        pages.append(page["text"])
        offset += 4000
        if not page["hasMore"]:
            break
    expect(len(pages) == -(-len(long_text) // 4000) and "".join(pages) == long_text,
           "the pages make the text", len(pages))


def main(build_dir):
    with Helper(build_dir) as helper:
        check_clipboard(helper)
        check_notepad(helper)
        check_regedit_and_missing(helper)


if __name__ == "__main__":
    run_test(main)
