#!/usr/bin/env python3
"""Draws the program icon and writes res/quillon.ico.

A cream quill on a blue rounded square, 128 x 128 pixels, 32 bits with
alpha: one image, stored as a BITMAPINFOHEADER DIB (colour rows, then the
AND mask), which every resource compiler takes. Standard library only; the
output is the same on every run.

    python3 res/make_icon.py [out.ico]
"""
import math
import os
import struct
import sys

SIZE = 128
SAMPLES = 4  # per axis and pixel: 16 samples smooth the edges

# Colours as (r, g, b) in 0..1.
TOP = (0.22, 0.40, 0.86)
BOTTOM = (0.09, 0.16, 0.45)
VANE = (0.98, 0.96, 0.89)
RACHIS = (0.80, 0.71, 0.50)
NIB = (0.16, 0.16, 0.20)

# The quill runs from the nib (lower left) to its top (upper right).
NIB_AT = (0.20, 0.84)
TOP_AT = (0.82, 0.14)
AXIS = (TOP_AT[0] - NIB_AT[0], TOP_AT[1] - NIB_AT[1])
LENGTH = math.hypot(*AXIS)
ALONG = (AXIS[0] / LENGTH, AXIS[1] / LENGTH)
ACROSS = (-ALONG[1], ALONG[0])  # points to the lower right
VANE_FROM = 0.30  # the vane starts this far up the quill


def rounded_square(x, y):
    """Inside the background square with rounded corners."""
    lo, hi, r = 4 / SIZE, 1 - 4 / SIZE, 26 / SIZE
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return lo <= x <= hi and lo <= y <= hi and (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def quill(x, y):
    """The quill's colour at (x, y), or None outside it."""
    px, py = x - NIB_AT[0], y - NIB_AT[1]
    t = (px * ALONG[0] + py * ALONG[1]) / LENGTH  # 0 at the nib, 1 at the top
    d = (px * ACROSS[0] + py * ACROSS[1]) / LENGTH
    if t < 0 or t > 1:
        return None
    bend = 0.06 * math.sin(math.pi * t)  # the shaft curves to the upper left
    a = d + bend  # across the shaft, > 0 on the lower-right vane
    # Nib and barrel below the vane.
    if t < 0.10:
        return NIB if abs(a) <= 0.024 * t / 0.10 + 0.002 else None
    shaft = 0.016 * (1 - 0.6 * t)
    if abs(a) <= shaft:
        return RACHIS
    if t < VANE_FROM:
        return None
    s = (t - VANE_FROM) / (1 - VANE_FROM)
    profile = math.sin(math.pi * s) ** 0.7 * (1 - 0.25 * s)
    width = (0.19 if a < 0 else 0.12) * profile
    if abs(a) > width:
        return None
    # Gaps between the barbs, which slant towards the top.
    u = t - 0.45 * abs(a)
    notches = (0.55, 0.74) if a < 0 else (0.50, 0.80)
    if abs(a) > 0.4 * width and any(abs(u - n) < 0.012 for n in notches):
        return None
    return VANE


def sample(x, y):
    """Colour and coverage (r, g, b, a) of one sample point."""
    if not rounded_square(x, y):
        return (0.0, 0.0, 0.0, 0.0)
    k = y
    colour = tuple(TOP[i] * (1 - k) + BOTTOM[i] * k for i in range(3))
    if quill(x - 0.025, y - 0.03) is not None:  # soft drop shadow
        colour = tuple(c * 0.7 for c in colour)
    q = quill(x, y)
    if q is not None:
        colour = q
    return colour + (1.0,)


def render():
    """Rows top to bottom of (r, g, b, a) bytes, straight alpha."""
    rows = []
    step = 1.0 / (SIZE * SAMPLES)
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px * SAMPLES + sx + 0.5) * step
                    y = (py * SAMPLES + sy + 0.5) * step
                    r, g, b, a = sample(x, y)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                rgb = [acc[i] / acc[3] for i in range(3)]
            else:
                rgb = [0.0, 0.0, 0.0]
            row.append(tuple(round(v * 255) for v in rgb) + (round(alpha * 255),))
        rows.append(row)
    return rows


def ico_bytes(rows):
    """A single-image .ico: ICONDIR, one ICONDIRENTRY, the DIB."""
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # DIB rows go bottom up
        bits = 0
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
            bits = (bits << 1) | (1 if a == 0 else 0)
        mask += bits.to_bytes(SIZE // 8, "big")  # 16 bytes: already DWORD aligned
    dib = header + bytes(colour) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(dib), 6 + 16)
    return icondir + entry + dib


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "quillon.ico")
    with open(out, "wb") as f:
        f.write(ico_bytes(render()))


if __name__ == "__main__":
    main()
