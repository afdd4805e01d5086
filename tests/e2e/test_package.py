"""The release from scripts/package (dist/), as a Windows user gets it: the sums and the
names agree, the zip unpacks into a fresh Wine prefix under a folder with a space and a
non-ASCII character, both executables print the version that the zip's name and the
bundle's manifest carry, the self-test runs there (with the project's test UI Automation
server registered for its run only, so that its UI Automation checks run to the end), and
the MCP server started as the manifest says (package_session.mjs, the official SDK client)
lists its tools and looks at the packaged test application. Nothing is registered in the
prefix then: the look has no outline there."""

import hashlib
import json
import os
import re
import shutil
import subprocess
import tempfile
import zipfile

import sys

from winhelper_e2e import E2EError, TestApp, expect, run_test, run_tool

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "packaging"))
import third_party  # noqa: E402
sys.path.insert(0, os.path.join(HERE, "uia_server"))
import uia_server  # noqa: E402
DIST = os.path.join(HERE, "..", "..", "dist")
INSTALL = "C:\\Program Files\\winhelper é"
SHIPPED = {"winhelper.exe", "winhelper-mcp.exe", "winhelper-selftest.exe",
           "winhelper-testapp.exe", "README.txt", "THIRD-PARTY-NOTICES.txt"}
# What the self-test checks, in order, and whether Wine can answer each (the rest must say
# they do not apply there).
SELF_CHECKS = {"input-desktop": False, "jpeg-speed": True, "large-block-cost": False,
               "uia-cached-walk": False, "uia-search-order": False, "uia-control-parents": False,
               "uia-provider-timeouts": False, "uia-blocking-invoke": False,
               "hung-window": False, "foreground-escalation": False, "clipboard-busy": False,
               "dpi-unaware-move": False, "socket-shutdown": False, "token-file-acl": False,
               "left-as-found": True}
# What Wine answers as Windows documents it, though its answer says nothing of Windows:
# these checks' probes ran to the end there (the UI Automation ones against the project's
# test server, registered for the self-test's run only).
WINE_PASSES = ("uia-cached-walk", "uia-search-order", "uia-control-parents",
               "uia-provider-timeouts", "uia-blocking-invoke", "hung-window", "clipboard-busy")


def release_files():
    names = os.listdir(DIST) if os.path.isdir(DIST) else []
    zips = [n for n in names if re.fullmatch(r"winhelper-.+-windows-x64\.zip", n)]
    expect(len(zips) == 1, "dist/ holds one release zip (run scripts/package)", names)
    version = zips[0][len("winhelper-"):-len("-windows-x64.zip")]
    bundle = "winhelper-%s.mcpb" % version
    expect(bundle in names, "the bundle has the zip's version", names)
    return version, os.path.join(DIST, zips[0]), os.path.join(DIST, bundle)


def check_sums(*paths):
    with open(os.path.join(DIST, "SHA256SUMS"), encoding="utf-8") as sums:
        listed = dict(reversed(line.split(None, 1)) for line in sums.read().splitlines())
    for path in paths:
        with open(path, "rb") as data:
            digest = hashlib.sha256(data.read()).hexdigest()
        expect(listed.get(os.path.basename(path)) == digest, "SHA256SUMS has the digest",
               os.path.basename(path))


def fresh_prefix(base):
    prefix = os.path.join(base, "prefix")
    env = dict(os.environ, WINEPREFIX=prefix, WINEDLLOVERRIDES="mscoree,mshtml=")
    done = run_tool(["wineboot", "-i"], env=env, capture_output=True, timeout=180)
    expect(done.returncode == 0, "a fresh Wine prefix starts", done.stderr[-400:])
    return prefix


def check_release_checks():
    """scripts/package's checks refuse what must not ship: a DLL beside the system's, an
    unreadable import table, a library with no notice."""
    for dump, foreign in (("\tDLL Name: KERNEL32.dll\n\tDLL Name: ws2_32.dll\n", []),
                          ("\tDLL Name: KERNEL32.dll\n\tDLL Name: libstdc++-6.dll\n",
                           ["libstdc++-6.dll"]),
                          ("\tDLL Name: libwinpthread-1.dll\n", ["libwinpthread-1.dll"]),
                          ("not an executable", None)):
        expect(third_party.foreign_dlls(dump) == foreign, "imports judged", dump, foreign)
    for path in ("/usr/x86_64-w64-mingw32/lib/libpng.a", "/usr/lib/x86_64-linux-gnu/libfoo.a"):
        try:
            third_party.component_of(path, True, "/nonexistent/build")
        except third_party.Failed:
            continue
        raise E2EError("a library without a notice is refused: %s" % path)


def processes_in_prefix(prefix, name):
    """Linux pids of the processes of this Wine prefix whose command line names `name`."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/environ" % pid, "rb") as env:
                if ("WINEPREFIX=%s" % prefix).encode() not in env.read().split(b"\0"):
                    continue
            with open("/proc/%s/cmdline" % pid, "rb") as cmd:
                if name.encode() in cmd.read():
                    found.append(int(pid))
        except OSError:
            continue
    return found


def check_self_test(build_dir, prefix, folder, version):
    """The self-test passes or says why a check does not apply, never passes what Wine
    cannot answer, writes its report to the folder with the non-ASCII name, and leaves
    nothing behind: no test application runs, no file of its own stays."""
    shipped = set(os.listdir(folder))
    with uia_server.registered(build_dir):
        done = run_tool(["wine", INSTALL + "\\winhelper-selftest.exe", "--report",
                         INSTALL + "\\report.json"], capture_output=True, text=True,
                        timeout=120)
    print(done.stdout, end="")
    expect(done.returncode == 0, "the self-test finds nothing failed", done.returncode, done.stderr)
    with open(os.path.join(folder, "report.json"), encoding="utf-8") as text:
        report = json.load(text)
    expect(report["version"] == version and report["windows"]["wine"],
           "the report names the version and Wine", report["version"], report["windows"])
    ids = [check["id"] for check in report["checks"]]
    expect(ids == list(SELF_CHECKS), "the report lists every check once, in order", ids)
    results = {check["id"]: check for check in report["checks"]}
    for check_id, wine_answers in SELF_CHECKS.items():
        check = results[check_id]
        if wine_answers:
            expect(check["result"] == "pass", "passes under Wine", check)
        else:
            expect(check["result"] == "not applicable here" and "Wine" in check["reason"],
                   "does not apply under Wine, saying why", check)
    expect(results["jpeg-speed"].get("figure"), "the JPEG speed has a figure", results["jpeg-speed"])
    for check_id in WINE_PASSES:
        expect("Wine's answer: pass" in results[check_id]["reason"], "its probe ran to the end",
               results[check_id])
    expect(not processes_in_prefix(prefix, "winhelper-testapp"), "no test application runs on")
    temp = [os.path.join(root, name) for root, dirs, _ in os.walk(os.path.join(prefix, "drive_c"))
            for name in dirs if name.startswith("winhelper-selftest-")]
    expect(not temp, "no folder of the self-test stays", temp)
    expect(set(os.listdir(folder)) == shipped | {"report.json"},
           "only the report joins the shipped files", sorted(os.listdir(folder)))


def main(build_dir):
    check_release_checks()
    version, zip_path, bundle_path = release_files()
    check_sums(zip_path, bundle_path)
    with zipfile.ZipFile(zip_path) as release:
        expect(SHIPPED <= set(release.namelist()), "the zip ships", sorted(release.namelist()))
        shipped_server = release.read("winhelper-mcp.exe")
    with zipfile.ZipFile(bundle_path) as bundle:
        manifest = json.loads(bundle.read("manifest.json"))
        expect(bundle.read("winhelper-mcp.exe") == shipped_server,
               "the bundle runs the zip's winhelper-mcp.exe")
    expect(manifest["version"] == version, "the manifest has the zip's version", manifest["version"])
    expect(manifest["compatibility"]["platforms"] == ["win32"], "the bundle is for Windows only")

    base = tempfile.mkdtemp(prefix="winhelper-package-")
    saved = os.environ.get("WINEPREFIX")
    # Wine turns the UTF-8 of command lines into UTF-16 by the locale.
    os.environ["LC_ALL"] = "C.UTF-8"
    try:
        prefix = os.environ["WINEPREFIX"] = fresh_prefix(base)
        folder = os.path.join(prefix, "drive_c", "Program Files", "winhelper é")
        with zipfile.ZipFile(zip_path) as release:
            release.extractall(folder)
        for exe, name in (("winhelper.exe", "winhelper"), ("winhelper-mcp.exe", "winhelper-mcp")):
            done = run_tool(["wine", INSTALL + "\\" + exe, "--version"], capture_output=True,
                            text=True, timeout=60)
            expect(done.returncode == 0 and done.stdout.strip() == "%s %s" % (name, version),
                   exe + " --version names the release", done.returncode, done.stdout)

        check_self_test(build_dir, prefix, folder, version)

        manifest_path = os.path.join(base, "manifest.json")
        with open(manifest_path, "w", encoding="utf-8") as out:
            json.dump(manifest, out)
        title = "Package %d" % os.getpid()
        with TestApp(None, title, exe=os.path.join(folder, "winhelper-testapp.exe")) as app:
            app.wait_shown()
            try:
                done = subprocess.run(["node", os.path.join(HERE, "package_session.mjs"),
                                       manifest_path, INSTALL, version, title], timeout=240)
            except subprocess.TimeoutExpired as error:
                raise E2EError("the bundle session did not finish in time") from error
            expect(done.returncode == 0, "the bundle session passes", done.returncode)
    finally:
        run_tool(["wineserver", "-k"], timeout=30)
        if saved is None:
            os.environ.pop("WINEPREFIX", None)
        else:
            os.environ["WINEPREFIX"] = saved
        shutil.rmtree(base, ignore_errors=True)


if __name__ == "__main__":
    run_test(main)
