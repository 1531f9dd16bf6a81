#!/usr/bin/env python3
"""Says whether a window's _NET_WM_ICON, as
`xprop -id W -f _NET_WM_ICON 32c _NET_WM_ICON` prints it, is the game's icon:
its largest picture and the reference PNG scaled to that size, both over
black, must agree within a small RMS difference (a plain white icon differs
by 0.7, ours by 0.002). Uses ImageMagick. Exit code 0: it is; 1: it is not
or there is no icon."""
import re
import subprocess
import sys
import tempfile
from pathlib import Path


def largest_icon(xprop_text):
    numbers = [int(n) for n in re.findall(r"\d+", xprop_text.partition("=")[2])]
    best, pos = None, 0
    while pos + 2 <= len(numbers):
        width, height = numbers[pos], numbers[pos + 1]
        pixels = numbers[pos + 2:pos + 2 + width * height]
        if width == 0 or height == 0 or len(pixels) < width * height:
            break
        if best is None or width * height > best[0] * best[1]:
            best = (width, height, pixels)
        pos += 2 + width * height
    return best


def main():
    xprop_text, reference = Path(sys.argv[1]).read_text(), sys.argv[2]
    icon = largest_icon(xprop_text) if "_NET_WM_ICON(CARDINAL)" in xprop_text else None
    if icon is None:
        print("no icon on the window")
        return 1
    width, height, pixels = icon
    with tempfile.TemporaryDirectory() as work:
        pam = Path(work, "icon.pam")
        rgba = bytearray()
        for argb in pixels:
            rgba += bytes(((argb >> 16) & 255, (argb >> 8) & 255, argb & 255, argb >> 24 & 255))
        header = f"P7\nWIDTH {width}\nHEIGHT {height}\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
        pam.write_bytes(header.encode() + bytes(rgba))
        flat = ["-background", "black", "-alpha", "remove", "-alpha", "off"]
        subprocess.run(["convert", str(pam), *flat, str(Path(work, "window.png"))], check=True)
        subprocess.run(["convert", reference, "-resize", f"{width}x{height}!", *flat,
                        str(Path(work, "reference.png"))], check=True)
        compared = subprocess.run(["compare", "-metric", "RMSE", str(Path(work, "window.png")),
                                   str(Path(work, "reference.png")), "null:"],
                                  capture_output=True, text=True)
    match = re.search(r"\(([\d.e-]+)\)", compared.stderr)
    if match is None:
        print("compare failed: " + compared.stderr.strip())
        return 1
    difference = float(match.group(1))
    print(f"{width}x{height}, RMS difference {difference:.3f}")
    return 0 if difference < 0.08 else 1


if __name__ == "__main__":
    sys.exit(main())
