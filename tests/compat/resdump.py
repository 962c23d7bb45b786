"""Reads .res files (the 32-bit resource file format) into entry lists."""
import struct


def _id(data, at):
    (first,) = struct.unpack_from('<H', data, at)
    if first == 0xFFFF:
        return struct.unpack_from('<H', data, at + 2)[0], at + 4
    chars = []
    while True:
        (c,) = struct.unpack_from('<H', data, at)
        at += 2
        if c == 0:
            return ''.join(chars), at
        chars.append(chr(c))


def read_res(path):
    """[(type, name, language, memory flags, data bytes, version, characteristics)],
    without the empty first entry."""
    with open(path, 'rb') as f:
        data = f.read()
    entries, at = [], 0
    while at + 8 <= len(data):
        size, header = struct.unpack_from('<II', data, at)
        rtype, p = _id(data, at + 8)
        name, p = _id(data, p)
        p = (p + 3) & ~3
        _, flags, language, version, characteristics = struct.unpack_from('<IHHII', data, p)
        body = data[at + header:at + header + size]
        if not (size == 0 and rtype == 0 and name == 0):
            entries.append((rtype, name, language, flags, body, version, characteristics))
        at = (at + header + size + 3) & ~3
    return entries
