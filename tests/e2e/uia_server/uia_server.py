"""The test UI Automation server in the test Wine prefix: registration and call counts.

Registration is per test, in the shared test prefix: `registered(build_dir)` writes the class
keys on entry and removes them on exit, even when the test fails, so every other test (such
as those that expect UI Automation to be unavailable and the helper to warn) sees a prefix
without it. The end-to-end tests run one at a time, so no test sees another's registration.
`wine reg` goes through the running wineserver, so a new key counts at once for every process
started afterwards.

Call counts: `CallLog` gives the server a file through WINHELPER_UIA_CALL_LOG (pass
`call_log.environment()` to the process); the server rewrites it with the running totals of
the process that loaded it whenever a UI Automation session there ends. `snapshot()` reads
it. For a long-lived helper, `CallLog.difference(before, after)` gives what the commands in
between cost; for a short-lived process, `reset()` first and read the totals afterwards.

Also a command line for manual use:  python3 uia_server.py register|unregister <build-dir>
"""

import contextlib
import os
import subprocess
import sys
import tempfile
import time

CLSID = "{FF48DBA4-60EF-4201-AA87-54103EEF594E}"
CLASS_KEY = "HKLM\\Software\\Classes\\CLSID\\" + CLSID
# CUIAutomation8, the class whose objects offer IUIAutomation2 (the provider timeouts): the
# helper creates it first. Registered and removed with the other.
CLSID8 = "{E22AD333-B25F-460C-83D0-0581107395C9}"
CLASS_KEY8 = "HKLM\\Software\\Classes\\CLSID\\" + CLSID8
DLL_NAME = "uia_server.dll"


class RegistrationError(Exception):
    pass


def _wine_path(unix_path):
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def _reg(*args):
    # Output goes to a file: Wine's service processes inherit a pipe and would hold it open.
    with tempfile.TemporaryFile() as output:
        result = subprocess.run(["wine", "reg"] + list(args), stdin=subprocess.DEVNULL,
                                stdout=output, stderr=output, timeout=60)
        output.seek(0)
        return result.returncode, output.read().decode("utf-8", "replace")


def register(build_dir):
    dll = os.path.join(build_dir, DLL_NAME)
    if not os.path.isfile(dll):
        raise RegistrationError("server not built: %s" % dll)
    for key in (CLASS_KEY + "\\InprocServer32", CLASS_KEY8 + "\\InprocServer32"):
        _register_class(key, dll)


def _register_class(key, dll):
    for args in (["/ve", "/d", _wine_path(dll)], ["/v", "ThreadingModel", "/d", "Both"]):
        # Wine sometimes cannot start reg.exe while the previous test's wine processes
        # are still ending ("Application could not be started"); a moment later it can.
        for attempt in range(3):
            code, output = _reg("add", key, *args, "/f")
            if code == 0:
                break
            time.sleep(2)
        if code != 0:
            raise RegistrationError("wine reg add %s failed: %s" % (key, output.strip()))


def unregister():
    for key in (CLASS_KEY8, CLASS_KEY):
        code, output = _reg("delete", key, "/f")
        # A key that is not there is what we want.
        if code != 0 and _registered(key):
            raise RegistrationError("wine reg delete %s failed: %s" % (key, output.strip()))


def registered_now():
    return _registered(CLASS_KEY) or _registered(CLASS_KEY8)


def _registered(key):
    code, _ = _reg("query", key + "\\InprocServer32")
    return code == 0


@contextlib.contextmanager
def registered(build_dir):
    register(build_dir)
    try:
        yield
    finally:
        unregister()


class CallLog:
    """The file the server writes its call totals to."""

    def __init__(self):
        handle, self.path = tempfile.mkstemp(prefix="uia-calls-", suffix=".txt")
        os.close(handle)
        os.unlink(self.path)

    def environment(self):
        env = dict(os.environ)
        env["WINHELPER_UIA_CALL_LOG"] = _wine_path(self.path)
        return env

    def snapshot(self):
        """{"Interface.Method": count} as last written; empty before the first session ends."""
        counts = {}
        try:
            with open(self.path, encoding="utf-8") as log:
                for line in log:
                    count, method = line.split(None, 1)
                    counts[method.strip()] = int(count)
        except FileNotFoundError:
            pass
        return counts

    @staticmethod
    def difference(before, after):
        return {method: count - before.get(method, 0) for method, count in after.items()
                if count != before.get(method, 0)}

    def reset(self):
        self.remove()

    def remove(self):
        with contextlib.suppress(FileNotFoundError):
            os.unlink(self.path)


def main(argv):
    if len(argv) == 3 and argv[1] == "register":
        register(os.path.abspath(argv[2]))
    elif len(argv) >= 2 and argv[1] == "unregister":
        unregister()
    else:
        sys.exit("usage: uia_server.py register <windows-build-dir> | unregister")


if __name__ == "__main__":
    main(sys.argv)
