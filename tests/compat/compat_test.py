#!/usr/bin/env python3
"""Compiles every script of a folder with brc32 (under Wine) and with the two
peer compilers, windres and llvm-rc, and compares the results resource by
resource: type, name, language, memory flags and data. Then checks the same
scripts with Sarvex.

    compat_test.py --scripts DIR --images DIR --work DIR --brc32 EXE --sarvex EXE
                   --launcher WINE_RUN --windres EXE [--llvm-rc EXE] --include DIR

A script in the Borland tools' dialect lives in DIR/borland/ with a twin
(NAME.twin.rc) that says the same in the common dialect: brc32's result for
the script is compared with the peers' for the twin.

A script both peers refuse lives in DIR/bad/: brc32 must refuse it too, and
Sarvex must report an error on the line windres names (or, for a block left
open, which windres reports at the end of the file, on the line the script's
comment names: "reported at line N"). Where brc32 differs
from windres, the difference must be one of ACCEPTED (each listed, with its
reason, in package/README.md); any other difference fails the test.
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from resdump import read_res  # noqa: E402



# Memory flags where brc32 keeps the flags the resource compiler of the
# original tool set gives and windres does not: (types, brc32's, windres's).
FLAG_CHOICES = [
    ((10, 11, 23, 24, 240, 241, 2, 'user'), 0x0030, 0x1030),  # data resources: not discardable
    ((16,), 0x0030, 0x0000),                             # version records: moveable, pure
    ((12, 14), 0x1030, 0x1010),                          # icon and cursor groups: pure too
]
STANDARD_CLASSES = {'BUTTON': 0x80, 'EDIT': 0x81, 'STATIC': 0x82, 'LISTBOX': 0x83, 'SCROLLBAR': 0x84,
                    'COMBOBOX': 0x85}


def flags_choice(a, b):
    kind = a[0] if isinstance(a[0], int) and a[0] < 256 else 'user'
    return any((kind in types or a[0] in types) and a[3] == ours and b[3] == theirs
               for types, ours, theirs in FLAG_CHOICES)


def group_from_images(a, b, _ours):
    """Icon and cursor groups: planes and bit count from each image's header
    (as llvm-rc), where windres copies the file's directory (often 0)."""
    if a[0] not in (12, 14) or len(a[4]) != len(b[4]) or a[4][:6] != b[4][:6]:
        return False
    for i in range(struct.unpack_from('<H', a[4], 4)[0]):
        at = 6 + 14 * i
        if a[4][at:at + 4] != b[4][at:at + 4] or a[4][at + 8:at + 14] != b[4][at + 8:at + 14]:
            return False
    return True


def accelerator_caret_keys(a, b, _ours):
    """"^X" is the control character X - 64, flagged ASCII (as llvm-rc);
    windres writes VIRTKEY|CONTROL and the letter."""
    if a[0] != 9 or len(a[4]) != len(b[4]):
        return False
    for at in range(0, len(a[4]), 8):
        fa, ka, ia = struct.unpack_from('<HHH', a[4], at)
        fb, kb, ib = struct.unpack_from('<HHH', b[4], at)
        same = (fa, ka, ia) == (fb, kb, ib)
        caret = ia == ib and 1 <= ka <= 26 and kb == ka + 64 and fb == fa | 0x09
        if not (same or caret):
            return False
    return True


def toolbar_layout(a, b, _ours):
    """A toolbar in words after a version word of 1, as the class library that
    loads toolbars reads it; windres writes double words and no version."""
    if a[0] != 241 or len(b[4]) % 4 or len(a[4]) != 2 + len(b[4]) // 2:
        return False
    words = struct.unpack('<%dI' % (len(b[4]) // 4), b[4])
    return a[4] == struct.pack('<H%dH' % len(words), 1, *words)


def _sz(data, at):
    (first,) = struct.unpack_from('<H', data, at)
    if first == 0xFFFF:
        return struct.unpack_from('<H', data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from('<H', data, end)[0]:
        end += 2
    return data[at:end].decode('utf-16-le'), end + 2


def parse_dialog(data):
    ex = data[2:4] == b'\xff\xff'
    if ex:
        _, _, help_id, exstyle, style, count, x, y, cx, cy = struct.unpack_from('<HHIIIHhhhh', data, 0)
        at = 26
    else:
        style, exstyle, count, x, y, cx, cy = struct.unpack_from('<IIHhhhh', data, 0)
        help_id, at = 0, 18
    menu, at = _sz(data, at)
    cls, at = _sz(data, at)
    caption, at = _sz(data, at)
    head = [ex, help_id, exstyle, style, x, y, cx, cy, menu, cls, caption]
    if style & 0x40:
        if ex:
            head += list(struct.unpack_from('<HHBB', data, at))
            at += 6
        else:
            head += list(struct.unpack_from('<H', data, at))
            at += 2
        face, at = _sz(data, at)
        head.append(face)
    controls = []
    for _ in range(count):
        at = (at + 3) & ~3
        if ex:
            c_help, c_ex, c_style, cx_, cy_, w, h, cid = struct.unpack_from('<IIIhhhhI', data, at)
            at += 24
        else:
            c_style, c_ex, cx_, cy_, w, h, cid = struct.unpack_from('<IIhhhhH', data, at)
            c_help = 0
            at += 18
        c_cls, at = _sz(data, at)
        text, at = _sz(data, at)
        (extra,) = struct.unpack_from('<H', data, at)
        at += 2 + extra
        controls.append([c_help, c_ex, c_style, cx_, cy_, w, h, cid, c_cls, text])
    return head, controls


def dialog_classes(a, b, _ours):
    """Dialog controls: a standard class written by name is its ordinal
    (0x80 BUTTON ...) and other class names keep the script's case, as the
    original tools write them, and so does the dialog's own CLASS; windres
    writes every class as an upper-cased name. PUSHBOX is BS_PUSHBOX (0x0A) with its own text, as llvm-rc writes
    it; windres writes 0x0C and the text of an earlier control."""
    if a[0] != 5:
        return False
    try:
        ha, ca = parse_dialog(a[4])
        hb, cb = parse_dialog(b[4])
    except (struct.error, UnicodeDecodeError):
        return False
    if isinstance(ha[9], str) and isinstance(hb[9], str) and ha[9].upper() == hb[9]:
        hb = hb[:9] + [ha[9]] + hb[10:]
    if ha != hb or len(ca) != len(cb):
        return False
    for x, y in zip(ca, cb):
        if isinstance(y[8], str) and isinstance(x[8], int) and STANDARD_CLASSES.get(y[8]) == x[8]:
            y = y[:8] + [x[8]] + y[9:]
        if isinstance(x[8], str) and isinstance(y[8], str) and x[8].upper() == y[8]:
            y = y[:8] + [x[8]] + y[9:]
        if x[8] == 0x80 and x[2] & 0xF == 0x0A and y[2] == (x[2] & ~0xF) | 0x0C:
            y = y[:2] + [x[2]] + y[3:9] + [x[9]]  # windres also takes the text before it
        if x != y:
            return False
    return True


def _menuex_items(data, at, last_level):
    """A MENUEX's items as MENU bytes, or None if any uses a type, state or help id."""
    out = b''
    while True:
        at = (at + 3) & ~3
        mft, mfs, mid, flags = struct.unpack_from('<IIIH', data, at)
        end = at + 14
        while struct.unpack_from('<H', data, end)[0]:
            end += 2
        text, at = data[at + 14:end + 2], end + 2
        if mft or mfs:
            return None, at
        if flags & 0x01:
            at = (at + 3) & ~3
            if struct.unpack_from('<I', data, at)[0] or mid:
                return None, at
            children, at = _menuex_items(data, at + 4, False)
            if children is None:
                return None, at
            out += struct.pack('<H', 0x10 | (flags & 0x80)) + text + children
        else:
            out += struct.pack('<HH', flags & 0x80, mid) + text
        if flags & 0x80:
            return out, at


def menuex_kept(a, b, _ours):
    """A MENUEX stays a MENUEX; windres writes one whose items use no type,
    state or help id as a MENU."""
    if a[0] != 4 or a[4][:8] != b'\x01\x00\x04\x00\x00\x00\x00\x00' or b[4][:4] != bytes(4):
        return False
    try:
        items, _ = _menuex_items(a[4], 8, True)
    except struct.error:
        return False
    return items is not None and b[4][4:] == items


def font_directory(a, b, ours):
    """The font directory lists each font by its number, with its 113-byte
    header and its device and face names, as the format is documented;
    windres numbers the fonts 1, 2, ... and copies 56 bytes and no names."""
    if a[0] != 7 or a[1:4] != b[1:4]:
        return False
    fonts = [e for e in ours.values() if e[0] == 8 and isinstance(e[1], int)]
    expected = struct.pack('<H', len(fonts))
    for f in fonts:
        expected += struct.pack('<H', f[1]) + f[4][:113]
        for at in (101, 105):
            (offset,) = struct.unpack_from('<I', f[4], at)
            expected += (f[4][offset:].split(b'\0')[0] if offset else b'') + b'\0'
    return a[4] == expected


ACCEPTED = {
    'MENUEX kept': menuex_kept,
    'font directory': font_directory,
    'icon groups from the images': group_from_images,
    'accelerator ^ keys': accelerator_caret_keys,
    'toolbar layout': toolbar_layout,
    'dialog class names and PUSHBOX': dialog_classes,
}


def script_options(script, work):
    """A first line "// options: -I dir -D name[=value] ..." gives include
    folders and defines: (windres's, llvm-rc's, brc32's switches, brc32's
    environment). brc32 finds the folders through INCLUDE, as the utility's
    users point it at theirs."""
    with open(script, 'rb') as f:
        first = f.readline().decode('latin-1').strip()
    words = first[len('// options:'):].split() if first.startswith('// options:') else []
    windres, llvm, brc32, dirs = [], [], [], []
    for switch, value in zip(words[0::2], words[1::2]):
        windres += [switch, value]
        llvm += ['/' + switch[1:], value]
        if switch == '-I':
            dirs.append(windows_path(os.path.join(work, value)))
        else:
            brc32 += ['-d' + value]
    env = dict(os.environ, INCLUDE=';'.join(dirs)) if dirs else None
    return windres, llvm, brc32, env


def windows_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def run(cmd, cwd=None, env=None):
    p = subprocess.run(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    return p.returncode, p.stdout.decode('utf-8', 'replace')


def describe(e):
    return 'type %r name %r language %04x flags %04x version %d characteristics %d, %d bytes' % (
        e[0], e[1], e[2], e[3], e[5], e[6], len(e[4]))


def compare(ours, theirs, third=None):
    """(exact, [accepted difference names], [faults]). `third` is llvm-rc's
    result when it accepts the script: where it and windres agree, no
    difference is accepted."""
    faults, accepted = [], []
    agreed = {(str(e[0]), str(e[1]), e[2]): e for e in third or []}
    key = lambda e: (str(e[0]), str(e[1]), e[2])
    mine = {key(e): e for e in ours}
    peer = {key(e): e for e in theirs}
    for k in sorted(set(mine) | set(peer)):
        a, b = mine.get(k), peer.get(k)
        if a is None or b is None:
            faults.append('only %s has %s' % ('windres' if a is None else 'brc32', describe(a or b)))
            continue
        if a == b:
            continue
        if agreed.get(k) == b:
            faults.append('differs where windres and llvm-rc agree: brc32 %s, both %s' % (describe(a), describe(b)))
            continue
        if a[3] != b[3] and flags_choice(a, b):
            accepted.append('memory flags')
            b = b[:3] + (a[3],) + b[4:]
            if a == b:
                continue
        names = [n for n, rule in ACCEPTED.items() if a[5:] == b[5:] and rule(a, b, mine)]
        if names:
            accepted.extend(names)
            continue
        first = next((i for i in range(min(len(a[4]), len(b[4]))) if a[4][i] != b[4][i]), min(len(a[4]), len(b[4])))
        faults.append('differs: brc32 %s, windres %s; first data difference at byte %d' % (describe(a), describe(b), first))
    return not faults and not accepted, sorted(set(accepted)), faults


def peer_input(script):
    """The script as the peers can read it: neither reads UTF-16, so a UTF-16
    script is given to them in UTF-8 (with the pragma that says so)."""
    with open(script, 'rb') as f:
        data = f.read()
    if not data.startswith(b'\xff\xfe'):
        return script
    twin = script[:-3] + '.as-utf8.rc'
    with open(twin, 'wb') as f:
        f.write(b'#pragma code_page(65001)\n' + data[2:].decode('utf-16-le').encode('utf-8'))
    return twin


def sarvex_log(args, script, env=None):
    log = script + '.log'
    if os.path.exists(log):
        os.remove(log)
    # The checker's findings window would wait for a person: the log is what is compared.
    run([args.launcher, args.sarvex, '-f', windows_path(script)], env=dict(env or os.environ, SARVEX_NO_WINDOW='1'))
    if not os.path.exists(log):
        return ''
    with open(log, encoding='latin-1') as f:
        return f.read()


def borland_case(args, script):
    """A script in the Borland tools' dialect, which the peers do not read:
    brc32's result must be windres's (and llvm-rc's) for its twin, the same
    resources written in the common dialect (NAME.twin.rc)."""
    name = 'borland/' + os.path.basename(script)
    base, twin = script[:-3], script[:-3] + '.twin.rc'
    work = os.path.dirname(script)
    code, out = run([args.windres, '-O', 'res', twin, base + '.windres.res'], cwd=work)
    if code != 0:
        return ['%s: windres refuses its twin:\n%s' % (name, out)]
    third = None
    if args.llvm_rc:
        code, out = run([args.llvm_rc, '/FO', base + '.llvm.res', twin], cwd=work)
        third = read_res(base + '.llvm.res') if code == 0 else None
    code, out = run([args.launcher, args.brc32, '-r', windows_path(script), '-fo', windows_path(base + '.res')])
    if code != 0 or not os.path.exists(base + '.res'):
        return ['%s: brc32 refuses it (exit %d):\n%s' % (name, code, out)]
    same, names, faults = compare(read_res(base + '.res'), read_res(base + '.windres.res'), third)
    if 'Summary: 0 error(s)' not in sarvex_log(args, script):
        faults.append('Sarvex does not pass it')
    print('%-24s %s' % (name, 'differs from its twin' if faults else 'same as its twin under windres' if same
                        else 'as its twin, documented differences only (%s)' % ', '.join(names)))
    return ['%s: %s' % (name, '\n  '.join(faults))] if faults else []


def main():
    ap = argparse.ArgumentParser()
    for name in ('scripts', 'images', 'work', 'brc32', 'sarvex', 'launcher', 'windres', 'include'):
        ap.add_argument('--' + name, required=True)
    ap.add_argument('--llvm-rc', default='')
    args = ap.parse_args()

    if os.path.exists(args.work):
        shutil.rmtree(args.work)
    shutil.copytree(args.scripts, args.work)
    for f in os.listdir(args.images):
        shutil.copy(os.path.join(args.images, f), args.work)

    good = sorted(f for f in os.listdir(args.work) if f.endswith('.rc') and not f.endswith('.as-utf8.rc'))
    bad_dir = os.path.join(args.work, 'bad')
    bad = sorted(f for f in os.listdir(bad_dir) if f.endswith('.rc')) if os.path.isdir(bad_dir) else []
    failures, exact, documented = [], [], []

    for name in good:
        script = os.path.join(args.work, name)
        base = script[:-3]
        peer = peer_input(script)
        windres_opts, llvm_opts, brc32_opts, brc32_env = script_options(script, args.work)
        code, out = run([args.windres, '-I', args.include] + windres_opts + ['-O', 'res', peer, base + '.windres.res'],
                        cwd=args.work)
        if code != 0:
            failures.append('%s: windres refuses it (move it to bad/):\n%s' % (name, out))
            continue
        llvm_note, third = '', None
        if args.llvm_rc:
            code, out = run([args.llvm_rc, '/I', args.include] + llvm_opts + ['/FO', base + '.llvm.res', peer],
                            cwd=args.work)
            llvm_note = ', llvm-rc accepts it' if code == 0 else ', llvm-rc refuses it'
            third = read_res(base + '.llvm.res') if code == 0 else None
        code, out = run([args.launcher, args.brc32, '-r'] + brc32_opts +
                        [windows_path(script), '-fo', windows_path(base + '.res')], env=brc32_env)
        if code != 0 or not os.path.exists(base + '.res'):
            failures.append('%s: brc32 refuses it (exit %d):\n%s' % (name, code, out))
            continue
        same, names, faults = compare(read_res(base + '.res'), read_res(base + '.windres.res'), third)
        if faults:
            failures.append('%s: %s' % (name, '\n  '.join(faults)))
        elif same:
            exact.append(name)
        else:
            documented.append('%s (%s)' % (name, ', '.join(names)))
        # Sarvex finds include folders through INCLUDE as brc32 does, but takes
        # no defines: a script that needs them is checked by brc32 alone.
        log = sarvex_log(args, script, brc32_env) if not brc32_opts else 'Summary: 0 error(s)'
        if 'Summary: 0 error(s)' not in log:
            failures.append('%s: Sarvex does not pass it:\n%s' % (name, log))
        print('%-24s %s%s' % (name, 'same as windres' if same and not faults else 'differs' if faults else 'documented differences only', llvm_note))

    borland_dir = os.path.join(args.work, 'borland')
    borland = sorted(f for f in os.listdir(borland_dir) if f.endswith('.rc') and not f.endswith('.twin.rc')) \
        if os.path.isdir(borland_dir) else []
    for name in borland:
        failures += borland_case(args, os.path.join(borland_dir, name))

    for name in bad:
        script = os.path.join(bad_dir, name)
        base = script[:-3]
        code, out = run([args.windres, '-I', args.include, '-O', 'res', script, base + '.windres.res'], cwd=bad_dir)
        m = re.search(re.escape(name) + r':(\d+):', out)
        if code == 0 or not m:
            failures.append('bad/%s: windres does not refuse it with a line:\n%s' % (name, out))
            continue
        line = int(m.group(1))
        with open(script, encoding='latin-1') as f:
            own = re.search(r'reported at line (\d+)', f.read())
        if own:  # an unclosed block: brc32 and Sarvex name where the script ends
            line = int(own.group(1))
        code, out = run([args.launcher, args.brc32, '-r', windows_path(script), '-fo', windows_path(base + '.res')])
        if code != 1 or os.path.exists(base + '.res') or ': error:' not in out:
            failures.append('bad/%s: brc32 exit %d, .res %s:\n%s' % (name, code, os.path.exists(base + '.res'), out))
        log = sarvex_log(args, script)
        if not re.search(r'\(%d,\d+\): error:' % line, log):
            failures.append('bad/%s: Sarvex gives no error on line %d:\n%s' % (name, line, log))
        print('bad/%-20s refused, error expected on line %d' % (name, line))

    print('%d script(s): %d same as windres, %d with documented differences only; %d bad script(s)'
          % (len(good), len(exact), len(documented), len(bad)))
    for d in documented:
        print('  documented: ' + d)
    for f in failures:
        print('FAIL ' + f)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
