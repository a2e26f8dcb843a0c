#!/usr/bin/env python3
"""Gives each fault of faults.txt that has none its scope, in place.

Faults written as `name, file, original, faulty` (four tab-separated fields,
the original text an exact, unique part of the file) become
`name, file, scope, original, faulty`: the scope is the innermost function,
class or struct around the original text, or `-` when there is none or the
text is not unique within it. Lines that already name a scope stay as they
are. A fault whose text is not found stops the conversion.

  python3 tests/mutation/convert_faults.py [FAULTS_FILE]
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from apply_fault import locate, scopes, unescape  # noqa: E402

HEADER = "# name\tfile\tscope\toriginal\tfaulty  (tab-separated; \\n is a line break; scope: function, class or -)"


def scope_of(text, original):
    at = text.find(original)
    if at < 0 or text.count(original) != 1:
        raise ValueError(f"the original text occurs {text.count(original)} times")
    around = [(e - b, name) for name, b, e in scopes(text) if b < at and at + len(original) <= e]
    for _, name in sorted(around):
        try:
            locate(text, name, original)
            return name
        except ValueError:
            continue
    locate(text, "-", original)
    return "-"


def main():
    root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "tests", "mutation", "faults.txt")
    out = []
    for line in open(path, encoding="utf-8").read().splitlines():
        fields = line.split("\t")
        if line.startswith("# name\t"):
            out.append(HEADER)
        elif not line or line.startswith("#") or len(fields) == 5:
            out.append(line)
        elif len(fields) == 4:
            name, file, original, faulty = fields
            text = open(os.path.join(root, file), encoding="utf-8").read()
            try:
                scope = scope_of(text, unescape(original))
            except ValueError as error:
                sys.exit(f"{name}: {file}: {error}")
            out.append("\t".join([name, file, scope, original, faulty]))
        else:
            sys.exit(f"not a fault: {line!r}")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
