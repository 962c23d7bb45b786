#!/usr/bin/env python3
"""Writes the compiler's table of Windows constants from the MinGW-w64 headers.

    make_symbols.py <include dir> <output dir> <header>...

Every object-like #define whose value is an integer expression (numbers,
earlier such names, integer casts, C operators) becomes one entry
{"NAME", value, "header"} of rc_symbols_table.inc, sorted by name for a
binary search. Names of window classes, defined as a narrow string or as the
narrow one of a pair (__MINGW_NAME_AW), go into rc_strings_table.inc as
{"NAME", "text", "header"}. The first
definition met wins, headers in the order given. Pointer values (handles,
MAKEINTRESOURCE), strings and function-like macros are left out.
"""
import re
import sys

DEFINE = re.compile(r'^\s*#\s*define\s+([A-Za-z_]\w*)(?!\()\s*(.*)$')
INTEGER_CASTS = r'\(\s*(?:DWORD|UINT|ULONG|LONG|INT|int|WORD|SHORT|USHORT|BYTE|CHAR|long|short|unsigned|unsigned\s+int|unsigned\s+long|signed|LRESULT|WPARAM|LPARAM|DWORD_PTR|UINT_PTR|LONG_PTR|INT_PTR|ULONG_PTR|HRESULT|SCODE|NTSTATUS|COLORREF|LCID|LANGID)\s*\)'
TOKEN = re.compile(r'\s*(0[xX][0-9a-fA-F]+|\d+|[A-Za-z_]\w*|<<|>>|[-+~|&^()*/%!])')


def logical_lines(text):
    text = re.sub(r'/\*.*?\*/', ' ', text, flags=re.S)
    text = text.replace('\\\n', ' ')
    for line in text.split('\n'):
        yield re.sub(r'//.*', '', line)


def evaluate(expr, known):
    # Wrappers that only give a number its C type, and resource types written
    # as MAKEINTRESOURCE(n), which a script means as the number n.
    expr = re.sub(r'\b(?:__MSABI_LONG|MAKEINTRESOURCE[AW]?)\s*\(', '(', expr)
    expr = re.sub(INTEGER_CASTS, ' ', expr).strip()
    if not expr:
        return None
    out, pos = [], 0
    while pos < len(expr):
        m = TOKEN.match(expr, pos)
        if not m:
            return None
        tok = m.group(1)
        pos = m.end()
        if tok[0].isdigit():
            digits = re.match(r'0[xX][0-9a-fA-F]+|\d+', tok).group(0)
            rest = expr[pos:]
            suffix = re.match(r'[uUlL]*', rest).group(0)
            pos += len(suffix)
            out.append(str(int(digits, 16) if digits[:2] in ('0x', '0X') else int(digits, 8) if len(digits) > 1 and digits[0] == '0' else int(digits)))
        elif tok[0].isalpha() or tok[0] == '_':
            if tok not in known:
                return None
            out.append('(%d)' % known[tok][0])
        elif tok == '!':
            out.append(' not ')
        elif tok == '/':
            out.append('//')
        else:
            out.append(tok)
    try:
        value = eval(''.join(out), {'__builtins__': {}})
    except Exception:
        return None
    if not isinstance(value, int) or value < -(1 << 31) or value >= (1 << 32):
        return None
    return value


STRING = re.compile(r'^"([^"\\]*)"$')
NARROW_OF_PAIR = re.compile(r'^__MINGW_NAME_AW\((\w+)\)$')


def main():
    include, output, headers = sys.argv[1], sys.argv[2], sys.argv[3:]
    known = {}
    pending = []
    strings = {}
    for header in headers:
        with open('%s/%s' % (include, header), encoding='latin-1') as f:
            for line in logical_lines(f.read()):
                m = DEFINE.match(line)
                if not m:
                    continue
                name, value = m.group(1), m.group(2).strip()
                text = STRING.match(value)
                if text and name not in strings:
                    strings[name] = (text.group(1), header)
                pair = NARROW_OF_PAIR.match(value)
                if pair and pair.group(1) + 'A' in strings and name not in strings:
                    strings[name] = strings[pair.group(1) + 'A']
                if name not in known:
                    pending.append((name, value, header))
    # Names defined from names defined later: go round until nothing changes.
    changed = True
    while changed:
        changed = False
        rest = []
        for name, expr, header in pending:
            if name in known:
                continue
            value = evaluate(expr, known)
            if value is None:
                rest.append((name, expr, header))
            else:
                known[name] = (value, header)
                changed = True
        pending = rest
    note = '// Made by make_symbols.py from the MinGW-w64 headers; do not edit.\n'
    with open(output + '/rc_symbols_table.inc', 'w') as f:
        f.write(note)
        for name in sorted(known):
            value, header = known[name]
            f.write('{"%s", %dLL, "%s"},\n' % (name, value, header))
    with open(output + '/rc_strings_table.inc', 'w') as f:
        f.write(note)
        for name in sorted(strings):
            text, header = strings[name]
            f.write('{"%s", "%s", "%s"},\n' % (name, text, header))


if __name__ == '__main__':
    main()
