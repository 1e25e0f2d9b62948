#!/usr/bin/env python3
"""Packs the page bundle and appends it to the stub.

  pack_bundle.py pack PAGES_DIR ARCHIVE          every file below PAGES_DIR except README.md,
                                                 deflated at level 9, names with "/"
  pack_bundle.py append IMAGE ARCHIVE NOBUNDLE   keeps IMAGE as NOBUNDLE, then writes IMAGE as
                                                 NOBUNDLE followed by ARCHIVE
"""
import os
import shutil
import sys
import zipfile


def pack(pages, archive):
    names = []
    for folder, _, files in os.walk(pages):
        for name in files:
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, pages).replace(os.sep, "/")
            if relative != "README.md":
                names.append((relative, path))
    tmp = archive + ".tmp"
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for relative, path in sorted(names):
            # A fixed time stamp keeps the archive the same from build to build.
            info = zipfile.ZipInfo(relative, date_time=(1980, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                z.writestr(info, f.read(), compresslevel=9)
    os.replace(tmp, archive)


def append(image, archive, nobundle):
    shutil.copyfile(image, nobundle)
    with open(image, "wb") as out:
        for part in (nobundle, archive):
            with open(part, "rb") as f:
                shutil.copyfileobj(f, out)


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "pack":
        pack(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 5 and sys.argv[1] == "append":
        append(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        sys.exit(__doc__)
