#!/usr/bin/env python3
"""Writes the smallest damaged or unusual templates a built program is tried with.

    make_kestrix_damaged.py <output dir>

Each case is <name>.bin (bound as DIALOG 1 when the name starts with
"dialog", as MENU 1 otherwise), an optional <name>.menu (bound as MENU 1 beside
a dialog) and <name>.status, the start of the status line the program must
show. Made at build time, so no binary is stored.
"""
import os
import struct
import sys


def words(*values):
    return b''.join(struct.pack('<H', v & 0xFFFF) for v in values)


def text(s):
    return s.encode('utf-16-le') + b'\0\0'


WS_POPUP_CAPTION = 0x80C80000  # WS_POPUP | WS_CAPTION | WS_SYSMENU
STATIC = 0x0082


def dialog(controls=b'', count=0, cls=b'\0\0', menu=b'\0\0', style=WS_POPUP_CAPTION):
    """A plain DIALOG: header, then controls already laid out."""
    head = struct.pack('<IIH4h', style, 0, count, 0, 0, 120, 60) + menu + cls + text('Case')
    return head + b'\0' * ((4 - len(head) % 4) % 4) + controls


def control(cls=words(0xFFFF, STATIC), label=b'\0\0', data=b'\0\0', ident=100, padded=True):
    body = struct.pack('<II4hH', 0x50000000, 0, 4, 4, 40, 10, ident) + cls + label + data
    return body + b'\0' * ((4 - len(body) % 4) % 4 if padded else 0)


def nested_menu(depth):
    """A MENU of pop-ups each holding the next, `depth` deep."""
    return words(0, 0) + (words(0x10 | 0x80) + text('P')) * depth + words(0x80, 1) + text('x')


def menu_bar(items):
    return words(0, 0) + (words(0, 1) + text('i')) * (items - 1) + words(0x80, 1) + text('i')


def cases():
    many = lambda n: dialog(control() * n, n)
    named = lambda c: dialog(control(), 1, text(c))
    yield 'dialog-controls-20000', many(20000), None, 'DIALOG #1: 19500 of 20000 controls left out'
    yield 'dialog-controls-5000', many(5000), None, 'DIALOG #1: 4500 of 5000 controls left out'
    for cls in ('MDIClient', 'KestrixWindow', 'Message', 'KestrixPlaceholder'):
        yield 'dialog-class-' + cls, named(cls), None, 'DIALOG #1: shown with the standard dialog class for ' + cls
    for cls in ('KestrixWindow', 'Message', 'MDIClient', 'KestrixPageFrame'):
        yield ('dialog-control-' + cls, dialog(control(text(cls)), 1), None,
               'DIALOG #1: shown with placeholders for ' + cls)
    yield 'dialog-header-short', b'\x01\x02\x03', None, \
        'DIALOG #1: the dialog template is malformed (its header runs past its end)'
    # Three bytes of creation data, read as two whole words, where only three remain.
    odd = dialog(control(data=words(3) + b'abc', padded=False), 1)
    yield 'dialog-data-odd', odd, None, 'DIALOG #1: the dialog template is malformed (control 1 runs past its end)'
    yield 'dialog-menu-missing', dialog(menu=words(0xFFFF, 2)), None, 'DIALOG #1: its menu #2 is missing'
    yield 'dialog-menu-malformed', dialog(menu=words(0xFFFF, 1)), words(0, 0, 0x10) + b'F\0', \
        'DIALOG #1: its menu #1 cannot be used: the menu template is malformed (an item runs past its end)'
    yield 'dialog-menu-nested', dialog(menu=words(0xFFFF, 1)), nested_menu(60000), \
        'DIALOG #1: its menu #1 cannot be used: the menu nests deeper than 16 levels'
    yield 'menu-nested', nested_menu(60000), None, 'MENU #1: the menu nests deeper than 16 levels'
    yield 'menu-items', menu_bar(50000), None, 'MENU #1: the menu holds more items than the 1000 a preview takes'
    # MENUEX whose item starts at an odd offset: its empty text, read from
    # the next even offset as the system reads it, lacks its last byte.
    ex = words(1, 1) + b'\0' + struct.pack('<IIIH', 0, 0, 7, 0x80) + b'\0\0'
    yield 'menuex-text-aligned', ex, None, 'MENU #1: the menu template is malformed (an item runs past its end)'


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, data, menu, status in cases():
        with open(os.path.join(out, name + '.bin'), 'wb') as f:
            f.write(data)
        if menu is not None:
            with open(os.path.join(out, name + '.menu'), 'wb') as f:
                f.write(menu)
        with open(os.path.join(out, name + '.status'), 'w', encoding='utf-8') as f:
            f.write(status)


if __name__ == '__main__':
    main()
