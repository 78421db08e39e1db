#!/usr/bin/env python3
"""Draws the program icons as 32x32, 16-colour .ico files (one image with a transparency mask).

    make_icon.py installer|saver OUTPUT.ico

The pictures are drawn from simple geometry so that they can be changed and reviewed as text.
"""
import math
import struct
import sys

SIZE = 32
# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, OLIVE, SILVER, GREY, RED, YELLOW, BLUE, WHITE, NAVY = 0, 3, 7, 8, 9, 11, 12, 15, 4
CLEAR = None


def blank():
    return [[CLEAR] * SIZE for _ in range(SIZE)]


def disc(img, cx, cy, r, colour):
    for y in range(SIZE):
        for x in range(SIZE):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                img[y][x] = colour


def ring(img, cx, cy, r_in, r_out, colour, keep=lambda x, y: True):
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if r_in <= d <= r_out and keep(x, y):
                img[y][x] = colour


def line(img, x0, y0, x1, y1, colour):
    steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
    for i in range(steps + 1):
        t = i / steps
        x, y = round(x0 + (x1 - x0) * t), round(y0 + (y1 - y0) * t)
        if 0 <= x < SIZE and 0 <= y < SIZE:
            img[y][x] = colour


def smiley_with_glasses():
    img = blank()
    disc(img, 16, 16, 15.5, BLACK)
    disc(img, 16, 16, 14.5, YELLOW)
    # A darker rim towards the lower right gives the face some roundness.
    ring(img, 16, 16, 12.8, 14.5, OLIVE, keep=lambda x, y: x + y > 38)
    for cx in (10, 22):
        disc(img, cx, 13, 5.2, BLACK)
        disc(img, cx, 13, 4.0, GREY)
        img[11][cx - 2] = img[11][cx - 1] = img[12][cx - 2] = SILVER
    line(img, 14, 12, 18, 12, BLACK)          # bridge
    line(img, 4, 12, 1.5, 11, BLACK)          # temples
    line(img, 27, 12, 29.5, 11, BLACK)
    ring(img, 16, 16, 8.6, 9.8, BLACK, keep=lambda x, y: y >= 21 and 8 <= x <= 23)
    return img


def clock_face():
    img = blank()
    disc(img, 16, 16, 15.5, NAVY)
    disc(img, 16, 16, 13.5, WHITE)
    for h in range(12):
        a = math.radians(h * 30)
        r0 = 10.5 if h % 3 else 9.0
        line(img, 16 + r0 * math.sin(a), 16 - r0 * math.cos(a),
             16 + 12.5 * math.sin(a), 16 - 12.5 * math.cos(a), BLACK if h % 3 == 0 else GREY)
    line(img, 16, 16, 16, 6, BLACK)            # minute hand at twelve
    line(img, 16, 16, 22, 19, BLACK)           # hour hand towards four
    line(img, 16, 16, 9, 22, RED)              # second hand
    disc(img, 16.5, 16.5, 1.5, BLACK)
    return img


def ico_bytes(img):
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):             # DIB rows run bottom-up
        row = [0 if c is CLEAR else c for c in img[y]]
        for x in range(0, SIZE, 2):
            xor.append(row[x] << 4 | row[x + 1])
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (img[y][x] is CLEAR)
        mask += bits.to_bytes(4, "big")
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + bytes(xor) + bytes(mask)
    assert len(image) == 744
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22)
    return directory + image


def main():
    designs = {"installer": smiley_with_glasses, "saver": clock_face}
    if len(sys.argv) != 3 or sys.argv[1] not in designs:
        sys.exit(__doc__)
    with open(sys.argv[2], "wb") as out:
        out.write(ico_bytes(designs[sys.argv[1]]()))


if __name__ == "__main__":
    main()
