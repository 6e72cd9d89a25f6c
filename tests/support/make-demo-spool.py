#!/usr/bin/env python3
"""Makes a sample spool folder for the demo: print jobs in folders and sub-folders, each
".prn" with its "_i.pri" beside it, forwarding directives of every shape the decoding
handles, jobs without one, and jobs whose information file cannot be read."""
import os
import shutil
import sys

root = sys.argv[1]
shutil.rmtree(root, ignore_errors=True)

# (folder, job name, ToDoStr value or None for no entry, kind)
DIRECTIVES = [
    'FWDVORLA"AB:1:AB_POS1',
    'FWDVORLA"AB:2:AB_POS2:extra fields',
    'fwdvorla"AB:1:AB_BACK9',
    'FWDVORLA"AB::1:::AB_BACK10',
    'FWDVORLA"AB:1:CENTRAL\tafter-tab',
    'FWDVORLA"AB:1',            # too few tokens: no destination
    'PRINT',                    # not a directive
    'FWDVORLAX"AB:3:AB_POS4',   # only the prefix is tested
]

def info_text(todo):
    lines = ['[Job]', 'Printer=Branch POS', 'Pages=1']
    if todo is not None:
        lines.append('ToDoStr=' + todo)
    lines.append('Copies=1')
    return '\r\n'.join(lines) + '\r\n'

count = 0
for day in ('2026-12-01', '2026-12-02', '2026-12-03'):
    for till in ('till1', 'till2'):
        folder = os.path.join(root, day, till)
        os.makedirs(folder, exist_ok=True)
        for n in range(5):
            count += 1
            base = os.path.join(folder, 'job%04d' % count)
            with open(base + '_x.prn', 'wb') as f:
                f.write(b'%!PS-Adobe-3.0\r\n% sample print job\r\nshowpage\r\n')
            todo = DIRECTIVES[count % len(DIRECTIVES)]
            if count % 11 == 0:
                todo = None                               # no ToDoStr entry at all
            with open(base + '_i.pri', 'wb') as f:
                f.write(info_text(todo).encode('cp1253'))
    # A job whose information file cannot be read (a folder stands in its place).
    broken = os.path.join(root, day, 'job9%s_x.prn' % day[-1])
    with open(broken, 'wb') as f:
        f.write(b'%!PS\r\n')
    os.makedirs(broken[:-6] + '_i.pri', exist_ok=True)

# Loose files: something that is no print job, and information files to try "Split PRI files".
with open(os.path.join(root, 'readme.txt'), 'w') as f:
    f.write('Drop this folder onto the main window, then File > Resubmit files (analyze).\n')
pri = os.path.join(root, 'to-split')
os.makedirs(pri, exist_ok=True)
for name, todo in (('b_i.pri', 'FWDVORLA"AB:1:AB_BACK12'), ('a_i.pri', 'FWDVORLA"AB:1:AB_POS1'),
                   ('C_I.PRI', 'FWDVORLA"AB:1'), ('d_i.pri', None)):
    with open(os.path.join(pri, name), 'wb') as f:
        f.write(info_text(todo).encode('cp1253'))
print('%d print jobs in %s' % (count + 3, root))
