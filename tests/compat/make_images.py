#!/usr/bin/env python3
"""Writes the binary inputs of the compatibility scripts into a directory:

    make_images.py <dir>

two.ico (a 16x16 32-bit and a 32x32 4-bit image whose directory entries hold
0 planes and 0 bits, as many icon editors write), arrow.cur (one 32x32
monochrome cursor with its hot spot at 5,7), and eight.bmp (a 4x4 8-bit
bitmap with its colour table), tiny.fnt and other.fnt (raster fonts of two
characters, the second with a device name), and utf16.rc, a script written in
UTF-16 with its byte-order mark."""
import struct
import sys


def dib(width, height, bits, colours):
    row = ((width * bits + 31) // 32) * 4
    mask_row = ((width + 31) // 32) * 4
    xor = bytes((x * 37 + y * 11) & 0xFF for y in range(height) for x in range(row))
    and_mask = bytes(mask_row * height)
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, bits, 0, len(xor) + len(and_mask), 0, 0,
                         colours, 0)
    table = b''.join(struct.pack('<BBBB', i * 16 & 0xFF, i * 8 & 0xFF, 255 - i, 0) for i in range(colours))
    return header + table + xor + and_mask


def icon_file(kind, images, hotspots):
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    data = b''
    for (width, height, image), hot in zip(images, hotspots):
        a, b = hot
        out += struct.pack('<BBBBHHII', width & 0xFF, height & 0xFF, 0, 0, a, b, len(image), offset + len(data))
        data += image
    return out + data


def font(face, device, points):
    """A version 2 raster font of 'A' and 'B', 8 by 8."""
    first, last, height, width = 0x41, 0x42, 8, 8
    count = last - first + 2  # the characters and the sentinel
    bits_at = 118 + 4 * count
    bits = bytes(range(height)) * (count - 1)
    names_at = bits_at + len(bits)
    face_at = names_at + (len(device) + 1 if device else 0)
    size = face_at + len(face) + 1
    head = struct.pack('<HI60sHHHHHHHBBBHBHHBHHBBBBHIIIIB', 0x200, size, b'(c) compat test font', 0, points, 96, 96,
                       7, 1, 0, 0, 0, 0, 400, 0, 0, height, 0x31, width, width, first, last, first, 0x20, 0,
                       names_at if device else 0, face_at, 0, bits_at, 0)
    table = b''.join(struct.pack('<HH', width, bits_at + i * height) for i in range(count))
    names = (device.encode() + b'\0' if device else b'') + face.encode() + b'\0'
    return head + table + bits + names


def main():
    d = sys.argv[1]
    ico = icon_file(1, [(16, 16, dib(16, 16, 32, 0)), (32, 32, dib(32, 32, 4, 16))], [(0, 0), (0, 0)])
    cur = icon_file(2, [(32, 32, dib(32, 32, 1, 2))], [(5, 7)])
    pixels = bytes(range(16))
    table = b''.join(struct.pack('<BBBB', i, 255 - i, i // 2, 0) for i in range(256))
    info = struct.pack('<IiiHHIIiiII', 40, 4, 4, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    bmp = b'BM' + struct.pack('<IHHI', 14 + len(info) + len(table) + len(pixels), 0, 0, 14 + len(info) + len(table))
    script = ('// A UTF-16 script (made by make_images.py).\r\nSTRINGTABLE\r\nBEGIN\r\n'
              '    1, "Gr\u00fc\u00dfe, \u20ac \u0416"\r\nEND\r\n1 MENU\r\nBEGIN\r\n'
              '    MENUITEM "\u00d6ffnen", 1\r\nEND\r\n')
    utf16 = b'\xff\xfe' + script.encode('utf-16-le')
    files = (('utf16.rc', utf16), ('two.ico', ico), ('arrow.cur', cur), ('eight.bmp', bmp + info + table + pixels),
             ('tiny.fnt', font('Tiny', '', 10)), ('other.fnt', font('Other Face', 'DEV', 12)))
    for name, data in files:
        with open('%s/%s' % (d, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
