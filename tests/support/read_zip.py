#!/usr/bin/env python3
"""Reads a zip archive with Python's own zipfile and prints what it holds as
JSON, so that the tests compare the plug-in's archives against a reader that
shares no code with it. Entry data larger than the limit is not read back."""
import hashlib
import json
import sys
import zipfile

LIMIT = 64 << 20


def main():
    path = sys.argv[1]
    out = {"entries": []}
    try:
        with zipfile.ZipFile(path) as archive:
            for info in archive.infolist():
                raw = info.filename.encode("utf-8" if info.flag_bits & 0x800 else "cp437")
                entry = {
                    "name": raw.hex(),
                    "utf8": bool(info.flag_bits & 0x800),
                    "size": info.file_size,
                    "compressed": info.compress_size,
                    "crc": info.CRC,
                    "method": info.compress_type,
                    "mode": info.external_attr >> 16,
                    "date": list(info.date_time),
                    "extra": info.extra.hex(),
                    "offset": info.header_offset,
                }
                if info.file_size <= LIMIT:
                    # Reading to the end checks the CRC as well.
                    with archive.open(info) as member:
                        entry["sha256"] = hashlib.sha256(member.read()).hexdigest()
                out["entries"].append(entry)
            out["comment"] = archive.comment.hex()
        out["ok"] = True
    except Exception as error:  # any failure to read is the finding
        out["ok"] = False
        out["error"] = repr(error)
    print(json.dumps(out))


if __name__ == "__main__":
    main()
