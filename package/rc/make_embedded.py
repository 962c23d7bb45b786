#!/usr/bin/env python3
"""Writes rc_embedded_files.inc: the text of the MinGW-w64 files that
scripts include for their statements and macros rather than for constants
(common.ver and the ntverp.h it reads), as {"name", R"(text)"} entries.

    make_embedded.py <include dir> <output file> <file>...
"""
import sys


def main():
    include, output, names = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(output, 'w') as out:
        out.write('// Made by make_embedded.py from the MinGW-w64 headers; do not edit.\n')
        for name in names:
            with open('%s/%s' % (include, name), encoding='latin-1') as f:
                text = f.read()
            if ')mivo"' in text:
                sys.exit('%s holds the raw string delimiter' % name)
            out.write('{"%s", R"mivo(%s)mivo"},\n' % (name, text))


if __name__ == '__main__':
    main()
