#!/usr/bin/env python3
"""Writes program.ico: one 32x32 image in 16 colours (4 bits a pixel).

The picture: a grey sheet of script lines with a green gear-like arrow into a
blue program window. Run it again only to change the picture."""
import struct, sys

PALETTE = [  # the 16 standard Windows colours, as R, G, B
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, GREY, SILVER, WHITE, NAVY, BLUE, GREEN, LIME = 0, 8, 7, 15, 4, 12, 2, 10

def picture():
    px = [[None] * 32 for _ in range(32)]  # None is transparent
    def rect(x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = c
    # the script sheet
    rect(2, 3, 15, 26, BLACK); rect(3, 4, 14, 25, WHITE)
    for y in range(7, 24, 3):
        rect(5, y, 12 if y % 2 else 10, y, GREY)
    # the program window
    rect(16, 9, 30, 28, BLACK); rect(17, 10, 29, 12, NAVY); rect(17, 13, 29, 27, SILVER)
    rect(19, 16, 27, 17, BLUE); rect(19, 20, 24, 21, BLUE); rect(19, 24, 26, 25, BLUE)
    # the arrow from one to the other
    rect(10, 14, 20, 16, GREEN)
    for i in range(5):
        rect(20 + i, 11 + i, 20 + i, 19 - i, LIME)
    return px

def ico(px):
    xor = bytearray(); mask = bytearray()
    for row in reversed(px):  # bottom-up
        for x in range(0, 32, 2):
            a, b = (row[x] or 0), (row[x + 1] or 0)
            xor.append((a << 4) | b)
        bits = 0
        for x in range(32):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack('>I', bits)
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    image = header + palette + bytes(xor) + bytes(mask)
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', 32, 32, 16, 0, 1, 4, len(image), 22) + image

if __name__ == '__main__':
    out = sys.argv[1] if len(sys.argv) > 1 else 'program.ico'
    open(out, 'wb').write(ico(picture()))
