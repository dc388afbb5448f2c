"""deterministic_zip.py ZIP ROOT FOLDER: FOLDER under ROOT as ZIP, the same bytes every time:
names in order, each file's time the commit's (SOURCE_DATE_EPOCH), no owner, each file readable by all."""

import os
import sys
import time
import zipfile


def main(zip_path: str, root: str, folder: str) -> None:
    stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
    names = []
    for directory, _, files in os.walk(os.path.join(root, folder)):
        names += [os.path.relpath(os.path.join(directory, f), root) for f in files]
    with zipfile.ZipFile(zip_path, "w") as archive:
        for name in sorted(names):
            entry = zipfile.ZipInfo(name.replace(os.sep, "/"), stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3
            entry.external_attr = 0o100644 << 16
            with open(os.path.join(root, name), "rb") as source:
                archive.writestr(entry, source.read(), compresslevel=9)


if __name__ == "__main__":
    main(*sys.argv[1:])
