#!/usr/bin/env python3
"""Generates a spool tree for the benchmarks: N jobs spread over F folders, each with two
sub-folders; every job is a small ".prn" and a realistic "_i.pri" of 150-400 bytes with a mix of
forwarding directives, other instructions and no instruction. Skips the work when the tree of
that size is already there."""
import os
import random
import sys

root, jobs, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
marker = os.path.join(root, '.complete-%d-%d' % (jobs, folders))
if os.path.exists(marker):
    sys.exit(0)
os.makedirs(root, exist_ok=True)
rng = random.Random(1253)
todo = ['FWDVORLA"AB:1:AB_POS%d', 'FWDVORLA"AB::2:::AB_BACK%d', 'PRINT %d', None]
places = []
for f in range(folders):
    for sub in ('', 'till1', 'till2'):
        path = os.path.join(root, 'day%03d' % f, sub)
        os.makedirs(path, exist_ok=True)
        places.append(path)
for n in range(jobs):
    folder = places[n % len(places)]
    base = os.path.join(folder, 'job%07d' % n)
    with open(base + '_x.prn', 'wb') as out:
        out.write(b'%!PS\r\n')
    lines = ['[Job]', 'Printer=Branch printer %d' % (n % 7), 'Pages=%d' % (1 + n % 5),
             'Created=2026-12-%02d %02d:%02d' % (1 + n % 28, n % 24, n % 60)]
    t = todo[n % len(todo)]
    if t:
        lines.append('ToDoStr=' + (t % (n % 13)))
    lines.append('Comment=' + 'x' * rng.randint(40, 250))
    lines.append('Copies=1')
    with open(base + '_i.pri', 'wb') as out:
        out.write(('\r\n'.join(lines) + '\r\n').encode('ascii'))
open(marker, 'w').close()
