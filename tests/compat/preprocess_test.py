#!/usr/bin/env python3
"""Checks brc32's preprocessor against GCC's, case by case: every *.rc of a
folder is preprocessed by GCC's preprocessor (with RC_INVOKED, _WIN32 and WORKSHOP_INVOKED
defined, nothing else predefined) and by brc32 -p, under Wine. Where GCC
refuses a case brc32 must refuse it too; otherwise brc32 -p of the case and
brc32 -p of GCC's output must give the same tokens, one a line. A case whose first line is
"// options: -I dir ..." has those folders (relative to the case) searched
for its includes, by both.

    preprocess_test.py --cases DIR --work DIR --brc32 EXE --launcher WINE_RUN --cpp EXE
"""
import argparse
import difflib
import os
import shutil
import subprocess
import sys


def windows_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def run(cmd, cwd=None):
    p = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    return p.returncode, p.stdout.decode('utf-8', 'replace')


def include_folders(case):
    with open(case, encoding='latin-1') as f:
        first = f.readline().strip()
    words = first[len('// options:'):].split() if first.startswith('// options:') else []
    return [os.path.join(os.path.dirname(case), words[i + 1]) for i in range(len(words) - 1) if words[i] == '-I']


def tokens(args, script, out, folders=()):
    switches = [x for d in folders for x in ('-i', windows_path(d))]
    code, text = run([args.launcher, args.brc32, '-p'] + switches + [windows_path(script), '-fo', windows_path(out)])
    if code != 0 or not os.path.exists(out):
        return None, text
    with open(out, encoding='latin-1') as f:
        return f.read().splitlines(), text


def main():
    ap = argparse.ArgumentParser()
    for name in ('cases', 'work', 'brc32', 'launcher', 'cpp'):
        ap.add_argument('--' + name, required=True)
    args = ap.parse_args()
    if os.path.exists(args.work):
        shutil.rmtree(args.work)
    shutil.copytree(args.cases, args.work)

    failures = []
    cases = sorted(f for f in os.listdir(args.work) if f.endswith('.rc'))
    for name in cases:
        case = os.path.join(args.work, name)
        base = case[:-3]
        folders = include_folders(case)
        code, gcc_out = run([args.cpp, '-P', '-undef', '-x', 'c', '-DRC_INVOKED', '-D_WIN32', '-DWORKSHOP_INVOKED', '-I', args.work] +
                            ['-I' + d for d in folders] + [case, '-o', base + '.gcc.txt'], cwd=args.work)
        ours, ours_log = tokens(args, case, base + '.i', folders)
        if code != 0:
            if ours is not None:
                failures.append('%s: GCC refuses it, brc32 takes it:\n%s' % (name, gcc_out))
            print('%-24s refused by both' % name if ours is None else '%-24s FAIL' % name)
            continue
        if ours is None:
            failures.append('%s: brc32 refuses it:\n%s' % (name, ours_log))
            continue
        theirs, theirs_log = tokens(args, base + '.gcc.txt', base + '.gcc.i')
        if theirs is None:
            failures.append('%s: brc32 cannot read GCC\'s output:\n%s' % (name, theirs_log))
        elif ours != theirs:
            diff = difflib.unified_diff(theirs, ours, 'gcc', 'brc32', lineterm='', n=2)
            failures.append('%s: tokens differ:\n%s' % (name, '\n'.join(diff)))
        print('%-24s %s (%d tokens)' % (name, 'same as GCC' if ours == theirs else 'FAIL', len(ours)))

    print('%d case(s), %d failure(s)' % (len(cases), len(failures)))
    for f in failures:
        print('FAIL ' + f)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
