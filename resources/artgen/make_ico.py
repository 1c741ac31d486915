#!/usr/bin/env python3
"""Packs the window icon's PNG sizes into one Windows .ico (PNG-compressed entries).

    make_ico.py OUT.ico IN.png [IN.png ...]
"""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("not a PNG")
    return struct.unpack(">II", data[16:24])


def main():
    out, pngs = sys.argv[1], sys.argv[2:]
    images = []
    for path in pngs:
        with open(path, "rb") as f:
            data = f.read()
        w, h = png_size(data)
        if w > 256 or h > 256:
            raise SystemExit(f"{path}: {w} x {h} is too large for an icon")
        images.append((w, h, data))
    images.sort(key=lambda i: i[0])
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for w, h, data in images:
        # 0 stands for 256; colour count 0, planes 1, 32 bits per pixel.
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + entries + blobs)


if __name__ == "__main__":
    main()
