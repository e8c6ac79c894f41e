#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Gives every source file of the tree its licence line, or checks that each
has one.

    scripts/spdx.py [--check] [ROOT]

Without --check, adds `// SPDX-License-Identifier: GPL-3.0-or-later` (`#` in
CMake, shell and Python files) as the first line of each source file that
lacks it; a `#!` line stays first. With --check, changes nothing, lists the
files without it and exits 1 when there is any (scripts/test.sh runs it, so
a new file without the line fails the tests). ROOT is the repository
(default: the one this script lies in). Build trees (any folder holding a
CMakeCache.txt) and hidden folders other than .ci are left out.
"""
import os
import sys

IDENTIFIER = "SPDX-License-Identifier: GPL-3.0-or-later"
# The line is looked for among the first lines only: a file that merely
# mentions it further down (this one, a test's data) is not marked.
HEAD_LINES = 5

C_STYLE = (".cpp", ".h", ".h.in", ".cpp.in")
HASH_STYLE = (".cmake", ".sh", ".py")
HASH_NAMES = ("CMakeLists.txt",)
SCRIPT_INTERPRETERS = (b"sh", b"bash", b"python3", b"python")


def comment_for(path):
    """The comment that starts the licence line in this file, or None when
    the file is no source file."""
    name = os.path.basename(path)
    if name.endswith(C_STYLE):
        return "//"
    if name in HASH_NAMES or name.endswith(HASH_STYLE):
        return "#"
    if "." not in name:
        # Scripts without a suffix (.ci/run) are known by their #! line.
        try:
            with open(path, "rb") as f:
                first = f.readline(200)
        except OSError:
            return None
        if first.startswith(b"#!"):
            words = first[2:].split()
            if words:
                program = os.path.basename(words[0])
                if program == b"env" and len(words) > 1:
                    program = words[1]
                if program in SCRIPT_INTERPRETERS:
                    return "#"
    return None


def source_files(root):
    for folder, folders, files in os.walk(root):
        if folder != root and "CMakeCache.txt" in files:
            folders[:] = []
            continue
        folders[:] = sorted(d for d in folders if not d.startswith(".") or d == ".ci")
        for name in sorted(files):
            path = os.path.join(folder, name)
            if os.path.isfile(path) and not os.path.islink(path):
                comment = comment_for(path)
                if comment:
                    yield path, comment


def has_identifier(lines):
    return any(IDENTIFIER.encode() in line for line in lines[:HEAD_LINES])


def with_identifier(data, comment):
    """The file's bytes with the licence line added after any #! line, in
    the file's own line ending."""
    ending = b"\r\n" if data.split(b"\n", 1)[0].endswith(b"\r") else b"\n"
    line = (comment + " " + IDENTIFIER).encode() + ending
    if data.startswith(b"#!"):
        first, newline, rest = data.partition(b"\n")
        if not newline:  # a #! line alone, without an end
            return first + ending + line
        return first + newline + line + rest
    return line + data


def main(argv):
    check = "--check" in argv[1:]
    rest = [a for a in argv[1:] if a != "--check"]
    if any(a.startswith("-") for a in rest) or len(rest) > 1:
        print("usage: scripts/spdx.py [--check] [ROOT]", file=sys.stderr)
        return 2
    root = os.path.abspath(rest[0] if rest else os.path.join(os.path.dirname(__file__), ".."))
    if not os.path.isdir(root):
        print(f"spdx.py: {root} is not a folder", file=sys.stderr)
        return 2
    missing = []
    for path, comment in source_files(root):
        with open(path, "rb") as f:
            data = f.read()
        if has_identifier(data.splitlines()):
            continue
        relative = os.path.relpath(path, root)
        missing.append(relative)
        if not check:
            # Written whole beside the file, then renamed over it: an
            # interrupted run leaves each file either as it was or done.
            temporary = path + ".spdx-part"
            with open(temporary, "wb") as f:
                f.write(with_identifier(data, comment))
            os.chmod(temporary, os.stat(path).st_mode & 0o7777)
            os.replace(temporary, path)
    if check:
        if missing:
            print(f"spdx.py: {len(missing)} source files lack the line "
                  f"'{IDENTIFIER}' (run scripts/spdx.py to add it):", file=sys.stderr)
            for relative in missing:
                print("  " + relative, file=sys.stderr)
            return 1
        return 0
    for relative in missing:
        print("added: " + relative)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
