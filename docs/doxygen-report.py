#!/usr/bin/env python3
"""Reads Doxygen's warnings for ./build.sh docs, puts them back on the lines
of the headers (the filter's line maps) and counts the public declarations
without a contract: Doxygen's "is not documented" warnings and those the
filter found, once each. Prints them with a count a folder; exits 1 when
there is any, or when Doxygen misread a comment (any other warning).

usage: doxygen-report.py WARNINGS LINEMAP_DIR
"""

import collections
import os
import re
import sys

WARNING = re.compile(r"^(.*?):(\d+): warning: (.*)$")


def main():
    warnings_path, mapdir = sys.argv[1], sys.argv[2]
    maps = {}

    def original(path, line):
        rel = os.path.relpath(os.path.abspath(path))
        if rel not in maps:
            try:
                with open(os.path.join(mapdir, rel + ".map")) as f:
                    maps[rel] = [int(x) for x in f.read().split()]
            except OSError:
                maps[rel] = None
        m = maps[rel]
        if m and 1 <= line <= len(m):
            line = m[line - 1]
        return rel, line

    undocumented = {}   # (file, line) -> message
    by_name = collections.defaultdict(list)  # file -> [(line, message)]
    filter_found = []
    other = []
    with open(warnings_path, errors="replace") as f:
        text = f.read()
    # A warning may run over several lines; they start with "path:line:".
    entries, cur = [], None
    for raw in text.splitlines():
        if WARNING.match(raw):
            cur = [raw]
            entries.append(cur)
        elif cur is not None:
            cur.append(raw)
        elif raw.strip():
            entries.append([raw])
    for e in entries:
        m = WARNING.match(e[0])
        if not m:
            other.append("\n".join(e))
            continue
        path, line, msg = m.group(1), int(m.group(2)), " ".join([m.group(3)] + e[1:]).strip()
        if "the filter found no end" in msg:
            other.append(f"{path}:{line}: {msg}")
            continue
        if msg.endswith("(filter)"):
            # The filter names the header's own lines.
            filter_found.append((os.path.relpath(os.path.abspath(path)), line, msg))
            continue
        rel, line = original(path, line)
        if "is not documented" in msg:
            undocumented[(rel, line, msg)] = msg
            by_name[rel].append((line, msg))
        else:
            other.append(f"{rel}:{line}: {msg}")
    # The filter's findings that Doxygen did not report itself.
    for rel, line, msg in filter_found:
        name = msg.split(" has no contract")[0]
        seen = any(
            abs(l - line) <= 3 and re.search(r"\b" + re.escape(name) + r"\b", dm)
            for l, dm in by_name[rel])
        if not seen:
            undocumented[(rel, line, msg)] = msg

    folders = collections.Counter()
    for (rel, line, _), msg in sorted(undocumented.items()):
        print(f"{rel}:{line}: {msg}")
        parts = rel.split("/")
        folders["/".join(parts[:2]) if len(parts) > 2 else rel] += 1
    for w in other:
        print(w)
    if folders:
        print("without a contract, by folder: " +
              ", ".join(f"{k} {v}" for k, v in sorted(folders.items())))
    print(f"public declarations without a contract: {len(undocumented)}")
    if other:
        print(f"comments Doxygen misread: {len(other)}")
    return 1 if undocumented or other else 0


if __name__ == "__main__":
    sys.exit(main())
