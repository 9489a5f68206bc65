#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Mutation check: which small wrong changes to the code does no test notice?

Each mutant changes one operator on one line of a scratch copy of the project (== and !=, < and <=, > and
>=, && and ||, true and false, + 1 and - 1, ++ and --, a dropped "!" after "if ("); the copy is rebuilt and
its tests run. A mutant that fails a test is killed. One that passes them all survived: it names a
behaviour no test pins down, unless the change is equivalent (judge each one). The working tree is never
touched.

    scripts/mutants.py [--count N] [--seed S] [--since REV] [--exclude REGEX] [--cmake-args "..."] [PATH ...]

PATH: files or folders to mutate (default src). --since REV: only lines changed since that commit, to check
the tests of new code. --exclude: ctest tests left out (default: the window's end-to-end run, the package
check and benchmarks, which take long and test nothing a mutant of these libraries changes). The last line
reads "mutants: K killed, S survived (R% killed), C did not compile". Run it from the project's root.
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

# Each pair is (pattern, replacement); patterns are searched in code with strings and comments blanked out.
OPERATORS = [
    (r"==", "!="), (r"!=", "=="), (r" <= ", " < "), (r" >= ", " > "), (r" < ", " <= "), (r" > ", " >= "),
    (r"&&", "||"), (r"\|\|", "&&"), (r"\btrue\b", "false"), (r"\bfalse\b", "true"),
    (r" \+ 1\b", " - 1"), (r" - 1\b", " + 1"), (r"\bif \(!", "if ("), (r"\+\+", "--"),
]
LITERAL = re.compile(r'"(?:\\.|[^"\\])*"|\'(?:\\.|[^\'\\])*\'')
SOURCE_SUFFIXES = (".cpp", ".h", ".hpp", ".cc")


def source_files(root, paths):
    found = []
    for path in paths:
        full = os.path.join(root, path)
        if os.path.isfile(full):
            found.append(full)
        for folder, _, names in os.walk(full):
            found += [os.path.join(folder, n) for n in sorted(names) if n.endswith(SOURCE_SUFFIXES)]
    return sorted(set(found))


def changed_lines(root, since):
    """{relative path: set of line numbers} changed since `since` (added or modified lines)."""
    diff = subprocess.run(["git", "diff", "--unified=0", since, "--", "."], cwd=root, capture_output=True,
                          text=True, check=True).stdout
    lines, current = {}, None
    for row in diff.split("\n"):
        if row.startswith("+++ "):
            current = row[6:] if row.startswith("+++ b/") else None
        elif row.startswith("@@") and current:
            start, _, count = re.search(r"\+(\d+)(,(\d+))?", row).groups()
            first, length = int(start), int(count) if count is not None else 1
            lines.setdefault(current, set()).update(range(first, first + length))
    return lines


def mutants(root, paths, only=None):
    found = []
    for path in source_files(root, paths):
        rel = os.path.relpath(path, root)
        wanted = None if only is None else only.get(rel, set())
        with open(path, encoding="utf-8", errors="surrogateescape") as f:
            text = f.read().split("\n")
        for number, line in enumerate(text, 1):
            if wanted is not None and number not in wanted:
                continue
            code = line.split("//", 1)[0]
            if not code.strip() or code.lstrip().startswith(("#", "*", "/*")):
                continue
            blanked = LITERAL.sub(lambda m: "_" * len(m.group()), code)
            for pattern, replacement in OPERATORS:
                found += [(rel, number, m.start(), m.end(), replacement) for m in re.finditer(pattern, blanked)]
    return found


def run(command, cwd, timeout):
    try:
        return subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1


def copy_project(root, destination):
    tracked = subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=root, capture_output=True,
                             text=True, check=True).stdout.split("\n")
    for rel in filter(None, tracked):
        source = os.path.join(root, rel)
        if os.path.isfile(source):
            os.makedirs(os.path.dirname(os.path.join(destination, rel)), exist_ok=True)
            shutil.copy2(source, os.path.join(destination, rel))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("paths", nargs="*", default=["src"])
    parser.add_argument("--count", type=int, default=30)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--since", help="only lines changed since this commit")
    parser.add_argument("--exclude", default="end_to_end|package|bench")
    parser.add_argument("--cmake-args", default="", help="extra configure options")
    parser.add_argument("--keep", action="store_true", help="keep the scratch copy")
    args = parser.parse_args()
    root = os.getcwd()
    if not os.path.isfile(os.path.join(root, "CMakeLists.txt")):
        sys.exit("mutants: run me from the project's root")
    only = changed_lines(root, args.since) if args.since else None
    work = tempfile.mkdtemp(prefix="brantlewick-mutants-")
    source, build = os.path.join(work, "src"), os.path.join(work, "build")
    jobs = str(os.cpu_count() or 2)
    compile_ = ["cmake", "--build", build, "-j", jobs]
    test = ["ctest", "--test-dir", build, "-j", jobs, "--timeout", "120", "--stop-on-failure", "-E", args.exclude]
    try:
        copy_project(root, source)
        print("building and testing the unchanged copy once ...", flush=True)
        if run(["cmake", "-S", source, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                "-DBUILD_TESTING=ON"] + args.cmake_args.split(), work, 600) or run(compile_, work, 3600):
            sys.exit("mutants: the unchanged project does not build")
        unchanged = subprocess.run(test, cwd=work, capture_output=True, text=True, timeout=1800)
        if unchanged.returncode:
            failed = [row for row in unchanged.stdout.split("\n") if "***" in row or "Failed" in row]
            sys.exit("mutants: the unchanged project fails its tests; fix that first:\n" + "\n".join(failed))
        pool = mutants(source, args.paths, only)
        random.Random(args.seed).shuffle(pool)
        print(f"{len(pool)} mutants possible, trying {min(args.count, len(pool))}", flush=True)
        killed = survived = broken = 0
        survivors = []
        for rel, number, start, end, replacement in pool[:args.count]:
            path = os.path.join(source, rel)
            with open(path, encoding="utf-8", errors="surrogateescape") as f:
                original = f.read()
            lines = original.split("\n")
            before = lines[number - 1]
            lines[number - 1] = before[:start] + replacement + before[end:]
            try:
                with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                    f.write("\n".join(lines))
                if run(compile_, work, 900):
                    broken, verdict = broken + 1, "did not compile"
                elif run(test, work, 1800):
                    killed, verdict = killed + 1, "killed"
                else:
                    survived, verdict = survived + 1, "SURVIVED"
                    survivors.append(f"{rel}:{number}: {before.strip()}  ->  {lines[number - 1].strip()}")
            finally:
                with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                    f.write(original)
            print(f"{verdict:16} {rel}:{number}", flush=True)
        if survivors:
            print("\nSurvivors (a behaviour no test pins down, or an equivalent change):")
            print("\n".join(survivors))
        tried = killed + survived
        rate = 100.0 * killed / tried if tried else 0.0
        print(f"mutants: {killed} killed, {survived} survived ({rate:.0f}% killed), {broken} did not compile")
    finally:
        if args.keep:
            print(f"scratch copy kept in {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
