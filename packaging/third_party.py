#!/usr/bin/env python3
"""What is linked into the shipped executables, and the notices that go with it.

    third_party.py notices BUILD_DIR OUT EXE...   writes THIRD-PARTY-NOTICES.txt
    third_party.py imports EXE...                 checks every imported DLL

`notices` finds what each executable is made of: the link is run again with
the linker's trace (every archive a member was taken from) and the compiler's
dependency records name every header compiled in. Each input must belong to a
component below, else it fails naming the input: a library added to the build
cannot ship without its notice. `imports` reads the import tables with
objdump and fails on any DLL that Windows 10 does not ship."""

import os
import re
import shlex
import subprocess
import sys
import tempfile

DOC = "/usr/share/doc"
LICENSES = "/usr/share/common-licenses"
HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)

# The DLLs of a Windows 10 installation that the executables may import.
WINDOWS_DLLS = {
    "advapi32.dll", "bcrypt.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
    "ole32.dll", "oleaut32.dll", "propsys.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "ws2_32.dll", "uxtheme.dll", "dwmapi.dll", "shcore.dll", "crypt32.dll", "secur32.dll",
    "iphlpapi.dll", "ntdll.dll", "userenv.dll", "version.dll", "winmm.dll", "imm32.dll",
}
# Their import libraries, which hold only stubs that name the DLL.
WINDOWS_IMPORT_LIBS = sorted(dll[:-len(".dll")] for dll in WINDOWS_DLLS)


# name, what it is, licence files, patterns of linked archives or objects,
# patterns of headers compiled in. Debian's copyright files carry the licence
# texts of the very sources these come from (libjpeg-turbo for mingw-w64 is
# built by scripts/setup from Debian's source of libjpeg62-turbo).
COMPONENTS = [
    ("zlib", "compression for PNG images", [f"{DOC}/libz-mingw-w64-dev/copyright"],
     [r"/libz\.a$"], [r"/zlib\.h$", r"/zconf\.h$"]),
    ("libjpeg-turbo", "JPEG encoding (includes the Independent JPEG Group's software)",
     [f"{DOC}/libjpeg62-turbo/copyright"],
     [r"/\.deps/mingw-w64/lib/libjpeg\.a$"], [r"/\.deps/mingw-w64/include/"]),
    ("nlohmann-json", "JSON", [f"{DOC}/nlohmann-json3-dev/copyright"],
     [], [r"/thirdparty-include/nlohmann/"]),
    ("stb", "PNG writing and image resizing", [f"{DOC}/libstb-dev/copyright"],
     [], [r"/thirdparty-include/stb/"]),
    ("cpp-httplib", "the HTTP server", [f"{REPO}/.deps/cpp-httplib/LICENSE"],
     [], [r"/\.deps/cpp-httplib/"]),
    ("Wine's UI Automation headers", "UI Automation interface declarations",
     [f"{DOC}/libwine-dev/copyright", f"{LICENSES}/LGPL-2.1"],
     [], [r"/thirdparty-include/uiautomation(client|core)\.h$"]),
    ("mingw-w64 runtime", "the C runtime start-up, winpthreads and the import libraries",
     [f"{DOC}/mingw-w64-x86-64-dev/copyright"],
     [r"^/usr/x86_64-w64-mingw32/lib/(crt2\.o|lib(mingw32|mingwex|moldname|msvcrt|pthread|"
      r"winpthread|uuid|comdlg32|winspool|" + "|".join(WINDOWS_IMPORT_LIBS) + r")\.a)$"],
     [r"^/usr/share/mingw-w64/include/",
                                                     r"^/usr/x86_64-w64-mingw32/include/"]),
    ("GCC runtime libraries", "libstdc++ and libgcc, under the GCC Runtime Library Exception",
     [f"{DOC}/gcc-mingw-w64-base/copyright", f"{LICENSES}/GPL-3"],
     [r"^/usr/lib/gcc/x86_64-w64-mingw32/[^/]+/[^/]+\.(a|o)$"],
     [r"^/usr/lib/gcc/x86_64-w64-mingw32/", r"^/usr/include/c\+\+/"]),
]

class Failed(Exception):
    pass


def component_of(path, archive, build_dir):
    """The component an input belongs to: winhelper's own sources and what the build
    made of them, else the first component whose patterns match."""
    own = [os.path.join(REPO, "src"), os.path.join(REPO, "tests", "e2e")]
    if any(path.startswith(folder + os.sep) for folder in own) or (
            path.startswith(build_dir + os.sep) and "/thirdparty-include/" not in path):
        return "winhelper"
    for name, _, _, archives, headers in COMPONENTS:
        if any(re.search(p, path) for p in (archives if archive else headers)):
            return name
    raise Failed(("an input linked into the executables has no notice: %s "
                  "(add its component to packaging/third_party.py)") % path)


def link_inputs(build_dir, target):
    """Every archive and object the linker took members from for `target`."""
    commands = subprocess.run(["ninja", "-C", build_dir, "-t", "commands", target],
                              check=True, capture_output=True, text=True).stdout.splitlines()
    # The last command links; ninja wraps it as ": && <link> && :".
    link = [part for part in commands[-1].split(" && ") if " -o " in part]
    if not link:
        raise Failed("no link command for %s" % target)
    with tempfile.TemporaryDirectory() as scratch:
        argv = [arg for arg in shlex.split(link[0]) if not arg.startswith("-Wl,--out-implib")]
        out = argv.index("-o")
        argv[out + 1] = os.path.join(scratch, "traced.exe")
        traced = subprocess.run(argv + ["-Wl,--trace"], cwd=build_dir, check=True,
                                capture_output=True, text=True).stdout
    inputs = set()
    for line in traced.splitlines():
        # "archive(member)" for a member taken from an archive, else a file.
        match = re.match(r"^(?:.*?: mode \S+\s*)?(.+?)(\([^()]*\))?$", line.strip())
        if match and match.group(1) and not match.group(1).startswith("-"):
            inputs.add(os.path.normpath(os.path.join(build_dir, match.group(1))))
    return inputs


def compiled_headers(build_dir):
    deps = subprocess.run(["ninja", "-C", build_dir, "-t", "deps"], check=True,
                          capture_output=True, text=True).stdout
    headers = set()
    for line in deps.splitlines():
        if line.startswith("    "):
            headers.add(os.path.normpath(os.path.join(build_dir, line.strip())))
    return headers


def used_components(build_dir, targets):
    build_dir = os.path.abspath(build_dir)
    used = set()
    for target in targets:
        for path in link_inputs(build_dir, target):
            used.add(component_of(path, True, build_dir))
    for header in compiled_headers(build_dir):
        used.add(component_of(header, False, build_dir))
    return used


def write_notices(build_dir, out, targets):
    used = used_components(build_dir, targets)
    parts = ["Third-party software in winhelper's executables\n"
             "================================================\n\n"
             "The executables are built from winhelper's sources together with the\n"
             "software below, each under the licence that follows its name.\n"]
    for name, what, files, _, _ in COMPONENTS:
        if name not in used or not files:
            continue
        parts.append("\n" + "=" * 78 + "\n%s: %s\n" % (name, what) + "=" * 78 + "\n")
        for path in files:
            with open(path, encoding="utf-8") as text:
                parts.append("\n" + text.read())
    with open(out, "w", encoding="utf-8", newline="\r\n") as notices:
        notices.write("".join(parts))
    print("notices for: %s" % ", ".join(sorted(used - {"winhelper"})))


def foreign_dlls(dump):
    """The DLLs that objdump's dump of an executable imports and Windows does not ship
    (None when the dump lists no import at all: a dump that could not be read)."""
    dlls = {m.lower() for m in re.findall(r"DLL Name: (\S+)", dump)}
    return sorted(dlls - WINDOWS_DLLS) if dlls else None


def check_imports(executables):
    bad = []
    for exe in executables:
        dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], check=True,
                              capture_output=True, text=True).stdout
        foreign = foreign_dlls(dump)
        if foreign is None:
            bad.append("%s: no import table read" % exe)
        bad += ["%s imports %s, which Windows 10 does not ship" % (os.path.basename(exe), dll)
                for dll in foreign or []]
    if bad:
        raise Failed("; ".join(bad))
    print("imports: only Windows DLLs in %d executables" % len(executables))


def main(argv):
    try:
        if argv[:1] == ["notices"] and len(argv) >= 4:
            write_notices(argv[1], argv[2], argv[3:])
        elif argv[:1] == ["imports"] and len(argv) >= 2:
            check_imports(argv[1:])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except Failed as error:
        print("third_party: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
