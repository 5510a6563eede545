#!/usr/bin/env python3
"""Writes main.ico: the application icon, 32x32 and 16x16, 16 colours each.

The picture is a blue tile with a white arrow pointing down into a yellow tray.
Run from this folder: python3 make_icon.py
"""
import struct

# The standard Windows 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
NAVY, YELLOW, BLUE, WHITE = 4, 11, 12, 15
TRANSPARENT = None


def picture(n):
    """Returns n rows of n palette indices (None = transparent), top row first."""
    px = [[TRANSPARENT] * n for _ in range(n)]
    s = n / 32.0
    def fill(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = c
    fill(2, 2, 30, 30, NAVY)                 # tile with a dark border
    fill(3, 3, 29, 29, BLUE)
    fill(13, 5, 19, 16, WHITE)               # arrow shaft
    for i in range(8):                       # arrow head
        fill(8 + i, 16 + i, 24 - i, 17 + i, WHITE)
    fill(6, 24, 26, 27, YELLOW)              # tray
    fill(6, 20, 8, 24, YELLOW)
    fill(24, 20, 26, 24, YELLOW)
    return px


def image(n):
    px = picture(n)
    rows = list(reversed(px))                # DIBs are stored bottom-up
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor = b''
    for row in rows:
        line = bytearray()
        for x in range(0, n, 2):
            a = row[x] or 0
            b = row[x + 1] or 0
            line.append((a << 4) | b)
        xor += bytes(line) + b'\0' * (-len(line) % 4)
    and_mask = b''
    for row in rows:
        bits = 0
        line = bytearray()
        for x in range(n):
            bits = (bits << 1) | (1 if row[x] is None else 0)
            if x % 8 == 7:
                line.append(bits)
                bits = 0
        and_mask += bytes(line) + b'\0' * (-len(line) % 4)
    return header + palette + xor + and_mask


def main():
    sizes = [32, 16]
    images = [image(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open('main.ico', 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
