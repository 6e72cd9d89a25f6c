#!/usr/bin/python3
"""Every path that the file layer hands to the system goes through LongPathName: each call in
common/fileio_calls.cpp of the system's file API passes each of its path arguments as
LongPathName(...), and a system call that this check does not know fails it until it is listed
here. (Wine reaches paths over 260 characters without the long form, so no run under it shows
a call that lacks it.)

usage: long_path_calls_check.py FILE
"""
import re
import sys

# The system's functions that take paths, and which of their arguments are paths.
PATH_ARGUMENTS = {
    'CreateFileW': [0], 'DeleteFileW': [0], 'MoveFileExW': [0, 1], 'MoveFileW': [0, 1], 'CopyFileW': [0, 1],
    'CreateHardLinkW': [0, 1], 'CreateDirectoryW': [0], 'RemoveDirectoryW': [0], 'GetFileAttributesW': [0],
    'GetFileAttributesExW': [0], 'SetFileAttributesW': [0], 'FindFirstFileW': [0], 'FindFirstFileExW': [0],
    'ReplaceFileW': [0, 1, 2],
}
# The system's functions that take no path, or one that has no long form (GetTempFileNameW).
NO_PATH = {'FindNextFileW', 'GetFinalPathNameByHandleW', 'GetTempPathW', 'GetTempFileNameW', 'GetLastError'}


def arguments(text, open_at):
    """The top-level arguments of the call whose parenthesis opens at open_at."""
    args, depth, start = [], 0, open_at + 1
    for i in range(open_at, len(text)):
        c = text[i]
        if c in '([{':
            depth += 1
        elif c in ')]}':
            depth -= 1
            if depth == 0:
                args.append(text[start:i].strip())
                return args
        elif c == ',' and depth == 1:
            args.append(text[start:i].strip())
            start = i + 1
    raise ValueError('unclosed call')


def problems(text):
    code = re.sub(r'//[^\n]*', '', text)
    found = []
    for m in re.finditer(r'\b([A-Z]\w*W|GetLastError)\s*\(', code):
        name, line = m.group(1), code.count('\n', 0, m.start()) + 1
        if name in NO_PATH:
            continue
        if name not in PATH_ARGUMENTS:
            found.append(f'line {line}: {name} is a system call this check does not know: list it')
            continue
        args = arguments(code, m.end() - 1)
        for k in PATH_ARGUMENTS[name]:
            if not args[k].startswith('LongPathName('):
                found.append(f'line {line}: {name} takes {args[k]} without LongPathName')
    return found


def main():
    found = problems(open(sys.argv[1], encoding='utf-8').read())
    for p in found:
        print(p)
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
