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
MAKEINTRESOURCE), strings and function-like macros are left out of those.

The function-like macros whose bodies a script can hold once casts are
dropped (TEXT, _T, MAKEINTRESOURCE, MAKELANGID, MAKELCID, RGB, ...: numbers,
operators, strings, their parameters, the constants above and each other)
go into rc_functions_table.inc as {"header", "NAME(params) body"}, read as
the headers read under RC_INVOKED without UNICODE or _UNICODE, with the
resource headers (winnt.rh, which windows.h reads) first and tchar.h last;
an object-like name for one of them (MAKEINTRESOURCE for MAKEINTRESOURCEA)
is written as "NAME TARGET".
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


FUNCTION = re.compile(r'^\s*#\s*define\s+([A-Za-z_]\w*)\(([^)]*)\)\s*(.*)$')
ALIAS = re.compile(r'^\s*#\s*define\s+([A-Za-z_]\w*)\s+(?:__MINGW_NAME_AW\((\w+)\)|([A-Za-z_]\w*))\s*$')
CONDITION = re.compile(r'^\s*#\s*(if|ifdef|ifndef|elif|else|endif)\b(.*)$')
# Casts a script's expression cannot read; what they cast is the value.
CASTS = re.compile(INTEGER_CASTS.replace('|LANGID)', '|LANGID|BOOL|LPSTR|LPWSTR|LPTSTR|LPCSTR|LPCWSTR|LPCTSTR|ATOM)'))
BODY_TOKEN = re.compile(r'\s*(L?"(?:[^"\\]|\\.)*"|0[xX][0-9a-fA-F]+[uUlL]*|\d+[uUlL]*|[A-Za-z_]\w*|##|<<|>>|[-+*/%&|^~!(),#])')
FIRST_HEADERS = ['winnt.rh']
LAST_HEADERS = ['tchar.h']


def unicode_condition(kind, rest):
    """True or False for a condition on UNICODE or _UNICODE (both undefined), else None."""
    rest = rest.strip()
    m = re.match(r'^!?\s*defined\s*\(?\s*(_?UNICODE)\s*\)?$', rest) if kind in ('if', 'elif') else \
        re.match(r'^(_?UNICODE)$', rest)
    if not m:
        return None
    negated = kind == 'ifndef' or rest.startswith('!')
    return negated


def active_lines(text):
    """The logical lines of a header, without those a UNICODE build alone reads."""
    stack = []  # (this branch taken: True/False/None, some branch taken)
    for line in logical_lines(text):
        m = CONDITION.match(line)
        if m:
            kind, rest = m.group(1), m.group(2)
            if kind in ('if', 'ifdef', 'ifndef'):
                value = unicode_condition(kind, rest)
                stack.append([value, value is True])
            elif kind == 'elif' and stack:
                known = stack[-1]
                value = unicode_condition(kind, rest)
                known[0] = None if value is None and known[0] is None else (value is True and not known[1])
                known[1] = known[1] or known[0] is True
            elif kind == 'else' and stack:
                known = stack[-1]
                known[0] = None if known[0] is None else not known[1]
            elif kind == 'endif' and stack:
                stack.pop()
            continue
        if all(v[0] is not False for v in stack):
            yield line


def function_macros(include, headers, known):
    found = {}  # name -> (header, params, body tokens) or (header, None, target)
    order = []
    for header in FIRST_HEADERS + headers + LAST_HEADERS:
        try:
            with open('%s/%s' % (include, header), encoding='latin-1') as f:
                text = f.read()
        except OSError:
            continue
        for line in active_lines(text):
            m = FUNCTION.match(line)
            if m and m.group(1) not in found:
                body = CASTS.sub(' ', m.group(3)).strip()
                tokens, pos = [], 0
                while pos < len(body):
                    t = BODY_TOKEN.match(body, pos)
                    if not t:
                        tokens = None
                        break
                    tokens.append(t.group(1))
                    pos = t.end()
                if tokens:
                    params = [p.strip() for p in m.group(2).split(',') if p.strip()]
                    found[m.group(1)] = (header, params, tokens)
                    order.append(m.group(1))
                continue
            a = ALIAS.match(line)
            if a and a.group(1) not in found and a.group(1) not in known:
                target = a.group(2) + 'A' if a.group(2) else a.group(3)
                found[a.group(1)] = (header, None, target)
                order.append(a.group(1))
    # Keep those whose every name is a parameter, a constant or a kept macro.
    kept = set()
    changed = True
    while changed:
        changed = False
        for name in order:
            if name in kept:
                continue
            header, params, body = found[name]
            if params is None:
                ok = body in kept
            else:
                ok = all(not (t[0].isalpha() or t[0] == '_') or t in params or t in known or t in kept or t == 'L'
                         for t in body if not t.startswith(('"', 'L"')))
            if ok:
                kept.add(name)
                changed = True
    out = []
    for name in order:
        if name not in kept:
            continue
        header, params, body = found[name]
        if params is None:
            out.append((header, '%s %s' % (name, body)))
        else:
            out.append((header, '%s(%s) %s' % (name, ','.join(params), ' '.join(body))))
    return out


def c_string(text):
    return '"%s"' % text.replace('\\', '\\\\').replace('"', '\\"')


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
    with open(output + '/rc_functions_table.inc', 'w') as f:
        f.write(note)
        for header, text in function_macros(include, headers, known):
            f.write('{"%s", %s},\n' % (header, c_string(text)))


if __name__ == '__main__':
    main()
