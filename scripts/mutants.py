#!/usr/bin/python3
"""Mutants on the lines a change touched: each changed rule in src/ broken once, in a scratch
worktree, rebuilt and tested, and a table of which test caught each one.

Usage: scripts/mutants.sh [BASE] [--list] [--max N] [--seconds S] [--paths GLOBS] [--sample N] [--map FILE]

BASE defaults to the merge base of HEAD with origin/main (or main). Only committed lines are
mutated, in a worktree of HEAD under build/mutants/, so the developer's tree is never touched.
How files are built and which tests cover them: tests/mutants/map.txt.
"""
import argparse
import fnmatch
import hashlib
import os
import re
import signal
import statistics
import subprocess
import sys
import time
from dataclasses import dataclass

SOURCE_EXTENSIONS = ('.c', '.cpp', '.h')
TEST_TIMEOUT = 900  # seconds for one test run; a mutant that hangs the tests counts as caught


@dataclass
class Mutant:
    path: str
    line: int  # 1-based
    operator: str
    old: str
    new: str


# ---------------------------------------------------------------- what a line holds

def masked(line):
    """The line with string and character literals blanked and its // comment cut, the same
    length up to the comment, so that a position found here is a position in the line."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == '\\':
                out.append('__')
                i += 2
                continue
            out.append(quote if c == quote else '_')
            quote = None if c == quote else quote
        elif c in '"\'':
            quote = c
            out.append(c)
        elif line.startswith('//', i) or line.startswith('/*', i):
            break
        else:
            out.append(c)
        i += 1
    return ''.join(out)[:len(line)]


LOGGING = re.compile(r'\b(Log\w*|log|OutputDebugString\w*|trace|Trace\w*)\s*\(')
KEYWORDS = {'return', 'delete', 'throw', 'if', 'while', 'for', 'switch', 'case', 'else', 'do', 'sizeof',
            'static_assert', '_Static_assert', 'new', 'goto', 'break', 'continue', 'using', 'typedef'}


def skipped(text, stripped):
    """Lines left alone: blank, comments, preprocessor, logging, and rows of data tables."""
    if not stripped or stripped.startswith(('#', '*', '/*', '//')):
        return True
    if LOGGING.search(text):
        return True
    return stripped.startswith('{') and stripped.endswith((',', '}', '};')) or stripped.endswith('},')


def closing(text, open_at):
    """Where the parenthesis opened at open_at closes on this line, or -1."""
    depth = 0
    for i in range(open_at, len(text)):
        depth += {'(': 1, ')': -1}.get(text[i], 0)
        if depth == 0:
            return i
    return -1


def top_level_operands(text, start, end):
    """text[start:end] cut at its top-level && or || (one kind only): [(from, to)], the operator."""
    cuts, depth, kinds = [], 0, set()
    i = start
    while i < end:
        c = text[i]
        depth += {'(': 1, '[': 1, '{': 1, ')': -1, ']': -1, '}': -1}.get(c, 0)
        if depth == 0 and text[i:i + 2] in ('&&', '||'):
            cuts.append(i)
            kinds.add(text[i:i + 2])
            i += 2
            continue
        i += 1
    if len(kinds) != 1:
        return [], None
    bounds, last = [], start
    for cut in cuts:
        bounds.append((last, cut))
        last = cut + 2
    bounds.append((last, end))
    return bounds, kinds.pop()


# ---------------------------------------------------------------- the operators

def conditions(text):
    """(start, end) of each condition on the line: inside if (...) and while (...), and the
    expression of a return that compares or joins."""
    found = []
    for m in re.finditer(r'\b(if|while)\s*\(', text):
        close = closing(text, m.end() - 1)
        if close > 0:
            found.append((m.end(), close))
    m = re.match(r'(\s*return\s+)(.*?)\s*;\s*$', text)
    if m and re.search(r'&&|\|\||[=!<>]=| < | > |^!', m.group(2)):
        found.append((m.start(2), m.end(2)))
    return found


def negations(line, text):
    for start, end in conditions(text):
        if re.search(r'[^=!<>]=[^=]', text[start:end]):
            continue  # a declaration in the condition: if (auto x = ...)
        inner = text[start:end]
        if re.fullmatch(r'!\s*[\w:.>()-]+', inner) and not top_level_operands(text, start, end)[0]:
            yield 'negate', line[:start] + line[start:end].lstrip('! ') + line[end:]  # !x becomes x
        else:
            yield 'negate', line[:start] + '!(' + line[start:end] + ')' + line[end:]


SWAPS = {' && ': ' || ', ' || ': ' && ', ' == ': ' != ', ' != ': ' == ', ' < ': ' <= ', ' <= ': ' < ',
         ' > ': ' >= ', ' >= ': ' > '}


def swaps(line, text):
    for m in re.finditer(r' (&&|\|\||==|!=|<=|>=|<|>) ', text):
        yield 'swap', line[:m.start()] + SWAPS[m.group()] + line[m.end():]


def dropped_operands(line, text):
    for start, end in conditions(text):
        if re.search(r'[^=!<>]=[^=]', text[start:end]):
            continue
        bounds, op = top_level_operands(text, start, end)
        for k in range(len(bounds)):
            kept = [line[a:b].strip() for j, (a, b) in enumerate(bounds) if j != k]
            yield 'drop operand', line[:start] + (' ' + op + ' ').join(kept) + line[end:]


CALL = re.compile(r'^(\s*)([A-Za-z_][\w:]*(\s*(\.|->)\s*[A-Za-z_]\w*)*)\s*(<[^;=]*>)?\s*\(')


def deleted_calls(line, text, previous):
    """A statement that is one call, on a line of its own, becomes an empty block."""
    m = CALL.match(text)
    if not m or m.group(2).split(':')[0] in KEYWORDS or not re.search(r'\)\s*;\s*$', text):
        return
    if text.count('(') != text.count(')') or re.search(r'[^=!<>+\-*/%&|^]=[^=]', text):
        return  # unbalanced, or an assignment
    if previous and not previous.rstrip().endswith((';', '{', '}', ')', ':', 'else')):
        return  # a continuation of the line before
    yield 'delete call', m.group(1) + '{}'


def neighbours(line, text):
    for m in re.finditer(r'(?<![\w.])(\d+)[uUlL]*(?![\w.])|\b(true|false)\b', text):
        if m.group(1):
            start, end, new = m.start(1), m.end(1), str(int(m.group(1)) + 1)
        else:
            start, end, new = m.start(), m.end(), 'false' if m.group(2) == 'true' else 'true'
        yield 'neighbour', line[:start] + new + line[end:]


def line_mutants(path, number, line, previous):
    text = masked(line)
    if skipped(line, text.strip()):
        return []
    made, seen = [], {line}
    for operator, new in [*negations(line, text), *swaps(line, text), *dropped_operands(line, text),
                          *deleted_calls(line, text, previous), *neighbours(line, text)]:
        if new not in seen:  # the same text twice is one mutant
            seen.add(new)
            made.append(Mutant(path, number, operator, line, new))
    return made


# ---------------------------------------------------------------- the change

def git(*args, cwd=None):
    return subprocess.run(['git', *args], cwd=cwd, check=True, capture_output=True, text=True).stdout


def default_base(root):
    for ref in ('origin/main', 'main'):
        if subprocess.run(['git', 'rev-parse', '-q', '--verify', ref], cwd=root, capture_output=True).returncode == 0:
            return git('merge-base', 'HEAD', ref, cwd=root).strip()
    sys.exit('mutants: no origin/main or main to compare with: name a BASE')


def changed_lines(root, base):
    """{path: [line numbers]} of the lines that HEAD adds or changes in src/ since base."""
    lines, path = {}, None
    for row in git('diff', '-U0', '--no-color', base, 'HEAD', '--', 'src/', cwd=root).splitlines():
        if row.startswith('+++ '):
            path = row[6:] if row.startswith('+++ b/') else None
        m = re.match(r'@@ -\S+ \+(\d+)(?:,(\d+))? @@', row)
        if m and path and path.endswith(SOURCE_EXTENSIONS):
            first, count = int(m.group(1)), int(m.group(2) or 1)
            lines.setdefault(path, []).extend(range(first, first + count))
    return lines


def mutants_of_change(root, base):
    made = []
    for path, numbers in sorted(changed_lines(root, base).items()):
        source = git('show', 'HEAD:' + path, cwd=root).split('\n')
        for n in numbers:
            previous = next((masked(s) for s in reversed(source[:n - 1]) if masked(s).strip()), '')
            made += line_mutants(path, n, source[n - 1], previous)
    return made


# ---------------------------------------------------------------- the map

@dataclass
class Plan:
    builds: dict  # kind -> command
    tests: dict  # kind -> command with {tests}
    sources: dict  # kind -> command listing its files
    covers: list  # (glob, test pattern)


def read_map(path):
    plan = Plan({}, {}, {}, [])
    for raw in open(path, encoding='utf-8'):
        row = raw.strip()
        if not row or row.startswith('#'):
            continue
        m = re.match(r'(build|test|sources) (\w+): (.*)$', row)
        if m:
            {'build': plan.builds, 'test': plan.tests, 'sources': plan.sources}[m.group(1)][m.group(2)] = m.group(3)
        else:
            glob, pattern = row.split(None, 1)
            plan.covers.append((glob, pattern.strip()))
    return plan


def tests_of(plan, path):
    return next((pattern for glob, pattern in plan.covers if fnmatch.fnmatch(path, glob)), '.')


def kinds_of(plan, listed, path):
    """The builds a file is tried in: each whose sources list it, then those that take every file."""
    return [k for k in plan.builds if k in plan.sources and path in listed[k]] + \
           [k for k in plan.builds if k not in plan.sources]


# ---------------------------------------------------------------- the scratch worktree

def scratch_tree(root):
    tree = os.path.join(root, 'build', 'mutants', 'tree')
    if os.path.exists(tree):
        # Only a worktree of its own is reset: git must not find the developer's tree above it.
        top = subprocess.run(['git', 'rev-parse', '--show-toplevel'], cwd=tree, capture_output=True, text=True)
        if top.returncode != 0 or os.path.realpath(top.stdout.strip()) != os.path.realpath(tree):
            sys.exit(f'mutants: {tree} is no worktree of its own (any more): rm -rf it')
        git('reset', '-q', '--hard', git('rev-parse', 'HEAD', cwd=root).strip(), cwd=tree)
        git('clean', '-q', '-fd', cwd=tree)  # its build/ is ignored, and stays
    else:
        git('worktree', 'prune', cwd=root)
        os.makedirs(os.path.dirname(tree), exist_ok=True)
        git('worktree', 'add', '-q', '--detach', tree, 'HEAD', cwd=root)
    return tree


def run(command, cwd, timeout=None):
    """(exit code or None on timeout, output) of a shell command, its whole group ended on timeout."""
    p = subprocess.Popen(['bash', '-c', command], cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         text=True, errors='replace', start_new_session=True)
    try:
        out, _ = p.communicate(timeout=timeout)
        return p.returncode, out
    except subprocess.TimeoutExpired:
        os.killpg(p.pid, signal.SIGKILL)
        out, _ = p.communicate()
        return None, out


def objects(tree):
    """{object file: its time} under the tree's build/."""
    found = {}
    for folder, dirs, files in os.walk(os.path.join(tree, 'build')):
        for name in files:
            if name.endswith(('.o', '.obj')):
                p = os.path.join(folder, name)
                found[p] = os.stat(p).st_mtime_ns
    return found


def digest(path):
    with open(path, 'rb') as f:
        return hashlib.sha1(f.read()).hexdigest()


def failed_tests(output):
    """The tests that ctest's summary names as failed."""
    return re.findall(r'^\s*\d+ - (\S+) \((?:Failed|Timeout|SEGFAULT|Subprocess aborted|Exception|Not Run)',
                      output, re.M)


class Builds:
    """The scratch tree's builds, each built once unmutated, with the digests of its objects."""

    def __init__(self, tree, plan):
        self.tree, self.plan, self.baseline, self.passed = tree, plan, {}, {}

    def build(self, kind):
        code, out = run(self.plan.builds[kind], self.tree)
        return code == 0, out

    def ready(self, kind):
        if kind not in self.baseline:
            ok, out = self.build(kind)
            if not ok:
                sys.exit(f'mutants: the {kind} build fails without any mutant:\n{out[-3000:]}')
            self.baseline[kind] = {p: digest(p) for p in objects(self.tree)}

    def covers(self, kind, pattern):
        """Whether the build has tests of the pattern, which pass unmutated (run once: a failure
        there would be no mutant's)."""
        if (kind, pattern) not in self.passed:
            self.ready(kind)
            # The last mutant's source is restored, but its objects are still built: rebuild first.
            ok, out = self.build(kind)
            if not ok:
                sys.exit(f'mutants: the {kind} build fails without any mutant:\n{out[-3000:]}')
            code, out = run(self.plan.tests[kind].replace('{tests}', pattern), self.tree, TEST_TIMEOUT)
            found = 'No tests were found' not in out
            if found and code != 0:
                sys.exit(f'mutants: the {kind} tests {pattern!r} fail without any mutant:\n{out[-3000:]}')
            self.passed[(kind, pattern)] = found
        return self.passed[(kind, pattern)]

    def unchanged_objects(self, kind, before):
        """Whether every object rebuilt since before is the same as the unmutated one."""
        for p, m in objects(self.tree).items():
            if m != before.get(p) and digest(p) != self.baseline[kind].get(p):
                return False
        return True


def try_mutant(mutant, builds, plan, kinds):
    """'caught by NAME', 'SURVIVED', 'does not compile' or 'equivalent' (the same objects), in
    each build of kinds until one catches it."""
    source = os.path.join(builds.tree, mutant.path)
    with open(source, encoding='utf-8', newline='') as f:
        original = f.read()
    lines = original.split('\n')
    lines[mutant.line - 1] = mutant.new
    pattern = tests_of(plan, mutant.path)
    try:
        with open(source, 'w', encoding='utf-8', newline='') as f:
            f.write('\n'.join(lines))
        for kind in kinds:
            before = objects(builds.tree)
            ok, _ = builds.build(kind)
            if not ok:
                return 'does not compile'
            if builds.unchanged_objects(kind, before):
                return 'equivalent'
            code, out = run(plan.tests[kind].replace('{tests}', pattern), builds.tree, TEST_TIMEOUT)
            if code is None:
                return f'caught ({kind} tests timed out)'
            if code != 0:
                names = failed_tests(out)
                return 'caught by ' + (names[0] if names else f'the {kind} test run (exit {code})')
        return 'SURVIVED'
    finally:
        with open(source, 'w', encoding='utf-8', newline='') as f:
            f.write(original)


# ---------------------------------------------------------------- the table

def change_text(old, new, width=34):
    """What the mutant changes: each side from a little before the first difference."""
    old, new = old.strip(), new.strip()
    a = 0
    while a < min(len(old), len(new)) and old[a] == new[a]:
        a += 1
    start = max(0, a - 12)
    cut = lambda s: ('…' if start else '') + (s[start:start + width] + '…' if len(s) > start + width else s[start:])
    return cut(old) + ' -> ' + cut(new)


def row(mutant, result):
    where = f'{mutant.path}:{mutant.line}'
    return f'{where:<40} {mutant.operator:<13} {change_text(mutant.old, mutant.new):<74} {result}'


def main():
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # a listing cut short by head is no error
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('base', nargs='?', help='the commit to compare HEAD with')
    parser.add_argument('--list', action='store_true', help='list the mutants; build nothing')
    parser.add_argument('--max', type=int, help='try at most N mutants')
    parser.add_argument('--seconds', type=float, help='start no mutant after S seconds')
    parser.add_argument('--map', help='the build and coverage map (default tests/mutants/map.txt)')
    parser.add_argument('--paths', help='only files matching these globs, comma-separated (src/config/*)')
    parser.add_argument('--sample', type=int, help='try N mutants spread evenly over the change')
    args = parser.parse_args()
    started = time.monotonic()
    root = git('rev-parse', '--show-toplevel').strip()
    base = args.base or default_base(root)
    made = mutants_of_change(root, base)
    if args.paths:
        made = [m for m in made if any(fnmatch.fnmatch(m.path, g) for g in args.paths.split(','))]
    if args.sample and len(made) > args.sample:
        made = [made[i * len(made) // args.sample] for i in range(args.sample)]
    print(f'{len(made)} mutants on the lines that {base[:12]}..HEAD changes in src/')
    if args.list:
        for m in made:
            print(row(m, ''))
        return 0
    plan = read_map(args.map or os.path.join(root, 'tests', 'mutants', 'map.txt'))
    tree = scratch_tree(root)
    listed = {k: set(run(c, tree)[1].split()) for k, c in plan.sources.items()}
    builds = Builds(tree, plan)
    counts, times = {}, []
    for i, mutant in enumerate(made):
        late = args.seconds is not None and time.monotonic() - started > args.seconds
        if late or (args.max is not None and i >= args.max):
            result = 'not run'
        else:
            pattern = tests_of(plan, mutant.path)
            kinds = [k for k in kinds_of(plan, listed, mutant.path) if builds.covers(k, pattern)]
            began = time.monotonic()
            result = try_mutant(mutant, builds, plan, kinds) if kinds else 'SURVIVED (no test covers it)'
            times.append(time.monotonic() - began)
        key = result.split()[0] if result.startswith(('caught', 'SURVIVED')) else result
        counts[key] = counts.get(key, 0) + 1
        print(row(mutant, result), flush=True)
    caught, survived = counts.get('caught', 0), counts.get('SURVIVED', 0)
    apart = ', '.join(f'{counts[k]} {k}' for k in ('does not compile', 'equivalent', 'not run') if k in counts)
    if times:
        print(f'one mutant took {statistics.median(times):.1f} s (median of {len(times)}; '
              f'the first builds and test runs of the unmutated tree {time.monotonic() - started - sum(times):.0f} s)')
    score = f'{100 * caught // (caught + survived)} %' if caught + survived else 'none tried'
    print(f'score: {caught} of {caught + survived} caught ({score}), {survived} survived' + (f'; apart: {apart}' if apart else ''))
    return 0


if __name__ == '__main__':
    sys.exit(main())
