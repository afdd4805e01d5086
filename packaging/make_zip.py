#!/usr/bin/env python3
"""make_zip.py ZIP FOLDER: the folder's files at the root of ZIP, in name order,
each dated to the last commit's time, so that the same sources give the same
bytes."""

import os
import subprocess
import sys
import time
import zipfile


def main(out, folder):
    stamp = int(subprocess.run(["git", "log", "-1", "--format=%ct"], check=True,
                               capture_output=True, text=True).stdout.strip() or 0)
    date = time.gmtime(max(stamp, 315532800))[:6]  # zip dates start in 1980
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for name in sorted(os.listdir(folder)):
            info = zipfile.ZipInfo(name, date)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(os.path.join(folder, name), "rb") as data:
                archive.writestr(info, data.read())


if __name__ == "__main__":
    main(*sys.argv[1:])
