#!/usr/bin/env python3
"""Mirror the source tree for compilers without -fexec-charset=GBK (clang).

Our sources are UTF-8 and GCC turns plain "..." literals into GBK bytes. Clang
only knows UTF-8, so this copies the tree into another folder with every
non-ASCII character of a narrow literal written as GBK octal escapes. u8, u,
U and L literals, comments and everything else stay as they are. Files whose
mirrored text is unchanged are not rewritten, so rebuilds stay incremental.

usage: gbk-literals.py SOURCE_ROOT MIRROR_ROOT
"""
import os
import sys

SKIP_DIRS = {".git", "build"}
CODE_SUFFIXES = (".cpp", ".h", ".hpp", ".cc", ".inc")
PREFIXES = {"u8", "u", "U", "L", "R", "u8R", "uR", "UR", "LR"}


class TranscodeError(Exception):
    pass


def escape_gbk(segment, where):
    try:
        raw = segment.encode("gbk")
    except UnicodeEncodeError as e:
        raise TranscodeError(f"{where}: {segment!r} has no GBK form ({e})")
    # Three-digit octal escapes end by themselves: a following digit or hex
    # letter cannot join them.
    return "".join(chr(b) if b < 0x80 else "\\%03o" % b for b in raw)


def transcode(text, where):
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c == "/" and text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(text[i:j])
            i = j
        elif c == "/" and text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(text[i:j])
            i = j
        elif c.isalpha() or c == "_":
            j = i
            while j < n and (text[j].isalnum() or text[j] == "_"):
                j += 1
            word = text[i:j]
            if j < n and text[j] in "\"'" and word in PREFIXES:
                out.append(word)
                i = literal(text, j, word, out, where)
            else:
                out.append(word)
                i = j
        elif c.isdigit() or (c == "." and i + 1 < n and text[i + 1].isdigit()):
            # A preprocessing number, digit separators (1'000) included.
            j = i + 1
            while j < n:
                d = text[j]
                if d in "eEpP" and j + 1 < n and text[j + 1] in "+-":
                    j += 2
                elif d.isalnum() or d in "._" or (d == "'" and j + 1 < n and text[j + 1].isalnum()):
                    j += 1
                else:
                    break
            out.append(text[i:j])
            i = j
        elif c in "\"'":
            i = literal(text, i, "", out, where)
        else:
            out.append(c)
            i += 1
    return "".join(out)


def literal(text, i, prefix, out, where):
    """Copies the literal starting at the quote text[i]; returns the index after it."""
    quote = text[i]
    line = text.count("\n", 0, i) + 1
    if prefix.endswith("R") and quote == '"':
        open_paren = text.find("(", i)
        delim = text[i + 1:open_paren]
        end = text.find(")" + delim + '"', open_paren)
        if open_paren < 0 or end < 0:
            raise TranscodeError(f"{where}:{line}: unterminated raw string")
        body = text[i:end + len(delim) + 2]
        if prefix == "R" and any(ord(ch) > 0x7F for ch in body):
            raise TranscodeError(f"{where}:{line}: raw string with non-ASCII text")
        out.append(body)
        return end + len(delim) + 2
    j = i + 1
    n = len(text)
    while j < n and text[j] != quote:
        if text[j] == "\\":
            j += 1
        elif text[j] == "\n":
            raise TranscodeError(f"{where}:{line}: unterminated literal")
        j += 1
    body = text[i + 1:j]
    narrow = prefix == ""
    if narrow and any(ord(ch) > 0x7F for ch in body):
        if quote == "'":
            raise TranscodeError(f"{where}:{line}: character literal with non-ASCII text")
        body = escape_gbk(body, f"{where}:{line}")
    out.append(quote + body + quote)
    return j + 1


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except FileNotFoundError:
        pass
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def mirror(src_root, dst_root):
    failures = []
    for folder, dirs, files in os.walk(src_root):
        rel = os.path.relpath(folder, src_root)
        dirs[:] = [d for d in dirs if not (rel == "." and d in SKIP_DIRS)]
        os.makedirs(os.path.join(dst_root, rel), exist_ok=True)
        for name in files:
            src = os.path.join(folder, name)
            dst = os.path.join(dst_root, rel, name)
            with open(src, "rb") as f:
                data = f.read()
            if name.endswith(CODE_SUFFIXES):
                try:
                    data = transcode(data.decode("utf-8"), os.path.join(rel, name)).encode("utf-8")
                except (TranscodeError, UnicodeDecodeError) as e:
                    failures.append(str(e))
                    continue
            write_if_changed(dst, data)
    # Files gone from the source must not stay behind (folders are globbed).
    for folder, dirs, files in os.walk(dst_root):
        rel = os.path.relpath(folder, dst_root)
        if rel == "." :
            dirs[:] = [d for d in dirs if d not in SKIP_DIRS]
        for name in files:
            if not os.path.exists(os.path.join(src_root, rel, name)):
                os.remove(os.path.join(folder, name))
    for f in failures:
        print("gbk-literals: " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(mirror(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))
