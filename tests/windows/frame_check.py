#!/usr/bin/env python3
"""Says whether a grabbed PNG shows the game's first frame: the moonlit sky
over the ground and the HUD's green money line (as the Linux smoke judges
it). A window not drawn yet is black or the clear colour. Exit code 0: it
does; 1: it does not; 2: the file cannot be read."""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    channels = {2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise ValueError("only 8-bit RGB(A) without interlace")
    raw, stride, rows, prev = zlib.decompress(idat), width * channels, [], bytearray(width * channels)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = row[i - channels] if i >= channels else 0
            up, corner = prev[i], prev[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + left) & 255
            elif kind == 2:
                row[i] = (row[i] + up) & 255
            elif kind == 3:
                row[i] = (row[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                row[i] = (row[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(row)
        prev = row
    return width, height, channels, rows


def share(image, box, test):
    width, height, channels, rows = image
    x0, y0, w, h = box
    hits = total = 0
    for y in range(y0, min(y0 + h, height)):
        row = rows[y]
        for x in range(x0, min(x0 + w, width)):
            total += 1
            hits += test(row[x * channels:x * channels + 3])
    return hits / total if total else 0.0


def main():
    try:
        image = read_png(sys.argv[1])
    except (OSError, ValueError, zlib.error, TypeError, struct.error) as error:
        print(f"frame_check: {error}", file=sys.stderr)
        return 2
    w, h = image[0], image[1]
    sky = share(image, (0, 0, w, h // 5), lambda p: p[2] > p[0] + 8 and p[2] > 30)
    ground = share(image, (0, h * 7 // 8, w, h // 8), lambda p: p[1] >= p[2])
    money = share(image, (0, 0, w, h), lambda p: p[1] > p[0] + 40 and p[1] > p[2] + 40)
    print(f"sky {sky:.2f}, ground {ground:.2f}, green {money:.4f}")
    return 0 if sky > 0.5 and ground > 0.5 and money > 0.001 else 1


sys.exit(main())
