#!/usr/bin/env python3
"""Check that the units compiled with Qt hold no narrow literal with text
other than ASCII.

Those units keep the UTF-8 execution character set (a header of the C++
library that Qt includes cannot be compiled with GBK), so a "..." literal
there would hold UTF-8 bytes where the rest of the system expects GBK. Their
Chinese texts are u"..." literals converted at the seam. The files given and
every header of ours they include ("..." includes, from SOURCE_ROOT) are
read; each offending literal is reported with its file and line.

usage: qt-literals.py SOURCE_ROOT FILE...
"""
import os
import re
import sys
import types

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def load_transcoder(root):
    path = os.path.join(root, "scripts", "gbk-literals.py")
    # The file name has a hyphen, so it is loaded from its path, not imported.
    module = types.ModuleType("gbk_literals")
    module.__file__ = path
    with open(path, encoding="utf-8") as source:
        exec(compile(source.read(), path, "exec"), module.__dict__)
    return module


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    root = os.path.abspath(argv[1])
    gbk = load_transcoder(root)
    pending = [os.path.abspath(f) for f in argv[2:]]
    seen, problems = set(), []
    while pending:
        path = pending.pop()
        if path in seen or not os.path.isfile(path):
            continue
        seen.add(path)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        where = os.path.relpath(path, root)
        try:
            mirrored = gbk.transcode(text, where)
        except gbk.TranscodeError as e:
            problems.append(str(e))
            continue
        for number, (before, after) in enumerate(zip(text.split("\n"), mirrored.split("\n")), 1):
            if before != after:
                problems.append(f"{where}:{number}: a narrow literal with other than ASCII: {before.strip()}")
        for name in INCLUDE.findall(text):
            pending.append(os.path.join(root, name))
    for problem in problems:
        print(problem)
    if problems:
        print("write u\"...\" literals in units compiled with Qt, and convert at the seam (platform/qt/text_qt.h)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
