#!/usr/bin/env python3
"""Finds and applies one fault of faults.txt, independent of formatting.

A fault names a scope: a function (as its definition spells it, e.g.
`PlayTest::Start` or `ResultFor`), a class or struct, or `-` for the whole
file. The original text is matched within that scope's body whatever the
whitespace between its characters, so a reformat, a moved line or a moved
function does not lose the fault. It must occur exactly once; anything else
is an error, never a silent skip.

  apply_fault.py FILE SCOPE ORIGINAL FAULTY    rewrites FILE with the fault
  apply_fault.py --check FILE SCOPE ORIGINAL   only says whether it applies
  apply_fault.py --check-all FAULTS_FILE       says whether each fault of the list applies
"""
import re
import sys

KEYWORDS = {"if", "for", "while", "switch", "catch", "return", "sizeof", "alignof", "decltype",
            "static_assert", "noexcept", "defined", "alignas", "new", "delete"}
NAME = r"~?[A-Za-z_]\w*(?:\s*::\s*~?[A-Za-z_]\w*)*"
TRAILER = re.compile(r"^(?:\s|const\b|noexcept\b|override\b|final\b|&|->[\w\s:<>,*&]*)*$")


def mask(text):
    """The text with comments, string and character literals blanked (same length)."""
    out = list(text)
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
        elif c == 'R' and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == '_')):
            k = text.find("(", i)
            delim = ")" + text[i + 2:k] + '"'
            j = text.find(delim, k)
            j = n if j < 0 else j + len(delim)
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            j += 1
        else:
            i += 1
            continue
        for k in range(i + 1, min(j, n) - 1):
            if out[k] != "\n":
                out[k] = " "
        i = j
    return "".join(out)


def closing(masked, start):
    """Index just past the bracket matching masked[start]."""
    pairs = {"(": ")", "{": "}", "[": "]"}
    stack = []
    for i in range(start, len(masked)):
        c = masked[i]
        if c in pairs:
            stack.append(pairs[c])
        elif stack and c == stack[-1]:
            stack.pop()
            if not stack:
                return i + 1
    return -1


def body_after_parameters(masked, i):
    """Given the index just past a parameter list, the index of the body's '{', or -1."""
    brace = masked.find("{", i)
    if brace < 0:
        return -1
    between = masked[i:brace]
    semicolon = between.find(";")
    colon = re.search(r"(?<!:):(?!:)", between)
    if colon and (semicolon < 0 or colon.start() < semicolon):
        # A constructor's initializer list: members initialized with (...) or {...}.
        j = i + colon.end()
        while True:
            m = re.compile(r"\s*" + NAME + r"(?:\s*<[^(){};]*>)?\s*").match(masked, j)
            if not m or m.end() >= len(masked) or masked[m.end()] not in "({":
                return -1
            j = closing(masked, m.end())
            m = re.compile(r"\s*(,|\{)").match(masked, j)
            if not m:
                return -1
            if m.group(1) == "{":
                return m.end() - 1
            j = m.end()
    if semicolon >= 0 or not TRAILER.match(between):
        return -1
    return brace


def scopes(text):
    """(name, body start, body end) of every function, class and struct definition."""
    masked = mask(text)
    found = []
    for m in re.finditer(r"(?<![\w:.>])(" + NAME + r")\s*\(", masked):
        name = re.sub(r"\s+", "", m.group(1))
        if name in KEYWORDS or name.startswith("operator"):
            continue
        end = closing(masked, m.end() - 1)
        if end < 0:
            continue
        brace = body_after_parameters(masked, end)
        if brace >= 0:
            found.append((name, brace, closing(masked, brace)))
    for m in re.finditer(r"\b(?:class|struct)\s+(?:\w+\s+)*?(" + NAME + r")\s*(?:final\s*)?(?::[^;{]*)?\{", masked):
        brace = m.end() - 1
        found.append((re.sub(r"\s+", "", m.group(1)), brace, closing(masked, brace)))
    return found


def pattern(original):
    """A regular expression for the original text with any whitespace between its characters."""
    chars = [c for c in original if not c.isspace()]
    return re.compile(r"\s*".join(re.escape(c) for c in chars))


def locate(text, scope, original):
    """The (start, end) of the one occurrence of original in scope; raises ValueError otherwise."""
    if scope == "-":
        ranges = [(0, len(text))]
    else:
        ranges = [(b, e) for name, b, e in scopes(text) if name == scope]
        if not ranges:
            raise ValueError(f"no definition of {scope}")
    regex = pattern(original)
    hits = set()
    for begin, end in ranges:
        for m in regex.finditer(text, begin, end):
            hits.add((m.start(), m.end()))
    if len(hits) != 1:
        raise ValueError(f"the original text occurs {len(hits)} times in {scope if scope != '-' else 'the file'}")
    return hits.pop()


def unescape(field):
    return field.replace("\\n", "\n")


def check_all(faults):
    count, bad = 0, 0
    for line in open(faults, encoding="utf-8").read().splitlines():
        if not line or line.startswith("#"):
            continue
        count += 1
        fields = line.split("\t")
        if len(fields) != 5:
            print(f"{fields[0]}: not five fields (name, file, scope, original, faulty)", file=sys.stderr)
            bad += 1
            continue
        name, path, scope, original, _ = fields
        try:
            with open(path, encoding="utf-8") as f:
                locate(f.read(), scope, unescape(original))
        except (OSError, ValueError) as error:
            print(f"{name}: {path}: {error}", file=sys.stderr)
            bad += 1
    if bad:
        sys.exit(f"mutation check: {bad} of {count} faults do not apply")
    print(f"mutation check: all {count} faults apply")


def main(argv):
    if argv[:1] == ["--check-all"] and len(argv) == 2:
        return check_all(argv[1])
    check = argv[:1] == ["--check"]
    args = argv[1:] if check else argv
    if len(args) != (3 if check else 4):
        sys.exit(__doc__)
    path, scope, original = args[0], args[1], unescape(args[2])
    with open(path, encoding="utf-8") as f:
        text = f.read()
    try:
        start, end = locate(text, scope, original)
    except ValueError as error:
        sys.exit(f"{path}: {error}")
    if not check:
        with open(path, "w", encoding="utf-8") as f:
            f.write(text[:start] + unescape(args[3]) + text[end:])


if __name__ == "__main__":
    main(sys.argv[1:])
