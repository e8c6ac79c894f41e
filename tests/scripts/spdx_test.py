#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""scripts/spdx.py on a tree of its own: which files it marks, how, and that
--check fails exactly while a source file lacks the line."""
import os
import stat
import subprocess
import sys
import tempfile

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "spdx.py")
LINE = "SPDX-License-Identifier: GPL-3.0-or-later"
failures = []


def expect(condition, what):
    if not condition:
        failures.append(what)


def run(*args):
    return subprocess.run([sys.executable, SCRIPT, *args], capture_output=True, text=True)


def write(root, path, data, mode=0o644):
    full = os.path.join(root, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        f.write(data)
    os.chmod(full, mode)


def read(root, path):
    with open(os.path.join(root, path), "rb") as f:
        return f.read()


with tempfile.TemporaryDirectory() as root:
    files = {
        "src/a.cpp": b"#include <x>\n",
        "src/a.h": b"#pragma once\n",
        "src/Version.h.in": b"#define V \"@V@\"\n",
        "CMakeLists.txt": b"project(x)\n",
        "cmake/Mod.cmake": b"set(a 1)\r\nset(b 2)\r\n",  # CRLF kept
        "scripts/t.sh": b"#!/bin/sh\necho hi\n",
        "scripts/t.py": b"#!/usr/bin/env python3\nprint(1)\n",
        "scripts/run": b"#!/bin/bash\ntrue\n",
        "scripts/alone.sh": b"#!/bin/sh",  # a #! line without its end
        # Named further down only: still needs the line at the top.
        "src/late.cpp": b"\n" * 10 + b"// " + LINE.encode() + b"\n",
    }
    untouched = {
        "src/done.cpp": b"// " + LINE.encode() + b"\nint x;\n",
        "src/done.sh": b"#!/bin/sh\n# " + LINE.encode() + b"\n",
        "README.md": b"# readme\n",
        "samples/data": b"\x00\x01binary",
        "samples/text": b"#!not a script\n",
        "build-x/CMakeCache.txt": b"",
        "build-x/gen.cpp": b"int generated;\n",
        ".git/hook.sh": b"#!/bin/sh\n",
    }
    for path, data in {**files, **untouched}.items():
        write(root, path, data, 0o755 if path.startswith("scripts/") else 0o644)

    check = run("--check", root)
    expect(check.returncode == 1, f"--check on unmarked files exits {check.returncode}, not 1")
    listed = {line.strip() for line in check.stderr.splitlines()[1:]}
    expect(listed == set(files), f"--check lists {sorted(listed)}, not {sorted(files)}")
    expect(read(root, "src/a.cpp") == files["src/a.cpp"], "--check changed a file")

    fix = run(root)
    expect(fix.returncode == 0, f"adding exits {fix.returncode}: {fix.stderr}")
    expect(read(root, "src/a.cpp") == b"// " + LINE.encode() + b"\n#include <x>\n", "C++ line")
    expect(read(root, "src/Version.h.in").startswith(b"// " + LINE.encode() + b"\n"), ".h.in line")
    expect(read(root, "CMakeLists.txt") == b"# " + LINE.encode() + b"\nproject(x)\n", "CMake line")
    expect(read(root, "cmake/Mod.cmake") == b"# " + LINE.encode() + b"\r\n" + files["cmake/Mod.cmake"],
           "the CRLF file keeps CRLF")
    expect(read(root, "scripts/t.sh") == b"#!/bin/sh\n# " + LINE.encode() + b"\necho hi\n",
           "the #! line stays first")
    expect(read(root, "scripts/t.py").startswith(b"#!/usr/bin/env python3\n# " + LINE.encode()),
           "env python3 is a script")
    expect(read(root, "scripts/run").startswith(b"#!/bin/bash\n# " + LINE.encode()),
           "a script without a suffix is known by its #! line")
    expect(read(root, "scripts/alone.sh") == b"#!/bin/sh\n# " + LINE.encode() + b"\n",
           "a lone #! line")
    expect(read(root, "src/late.cpp").startswith(b"// " + LINE.encode()), "late mention")
    expect(stat.S_IMODE(os.stat(os.path.join(root, "scripts/t.sh")).st_mode) == 0o755,
           "the executable bit is kept")
    for path, data in untouched.items():
        expect(read(root, path) == data, f"{path} was changed")
    expect(not [n for d, _, ns in os.walk(root) for n in ns if n.endswith(".spdx-part")],
           "a temporary file was left")

    again = {path: read(root, path) for path in files}
    expect(run(root).returncode == 0 and all(read(root, p) == again[p] for p in files),
           "a second run changed a marked file")
    check = run("--check", root)
    expect(check.returncode == 0, f"--check on a marked tree exits {check.returncode}: {check.stderr}")

    expect(run("--check", os.path.join(root, "missing")).returncode == 2, "a missing root")
    expect(run("--bogus").returncode == 2, "an unknown option")

for failure in failures:
    print("FAILED: " + failure)
sys.exit(1 if failures else 0)
