#!/usr/bin/python3
"""Every path that the file layer (the file named) hands to the system is in the long form: each
path argument of the system's file calls is LongPathName(...), and a system call that is not
listed here fails the check until it is. Wine reaches long paths without the long form, so no
run under it would notice one missing."""
import re
import sys

PATHS = {'CreateFileW': 1, 'DeleteFileW': 1, 'MoveFileExW': 2, 'CopyFileW': 2, 'CreateHardLinkW': 2,
         'CreateDirectoryW': 1, 'RemoveDirectoryW': 1, 'GetFileAttributesW': 1, 'GetFileAttributesExW': 1,
         'SetFileAttributesW': 1, 'FindFirstFileW': 1, 'FindFirstFileExW': 1, 'ReplaceFileW': 3}
NO_PATH = {'FindNextFileW', 'GetFinalPathNameByHandleW', 'GetTempPathW', 'GetTempFileNameW'}

code = re.sub(r'//[^\n]*', '', open(sys.argv[1], encoding='utf-8').read())
wrong = []
for m in re.finditer(r'\b([A-Z]\w*W)\(', code):
    name, line = m.group(1), code.count('\n', 0, m.start()) + 1
    if name not in NO_PATH:
        # the first arguments, up to the call's third comma: the long forms must lead them
        head = re.split(r',\s*', code[m.end():], maxsplit=PATHS.get(name, 0))
        if name not in PATHS or any(not arg.startswith('LongPathName(') for arg in head[:PATHS[name]]):
            wrong.append(f'line {line}: {name} without LongPathName on each path (or a call this check does not list)')
if wrong:
    print('\n'.join(wrong))
sys.exit(1 if wrong else 0)
