#!/usr/bin/env python3
"""Reads the #include lines of deziva27/ and fails when one points up a layer,
across to a folder of the same layer, or closes a circle of concerns; and when
the public header list and the tree disagree.

A concern is a .h and its .cpp: deziva27/compress/detail/LZCoder.h and
deziva27/compress/LZCoder.cpp are one. Run from anywhere; exit 1 on a finding.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Bottom to top. A folder may include its own files and any folder of a lower
# layer; folders that share a layer know nothing of each other.
LAYERS = [
    ["base"],
    ["platform"],
    ["host/runtime"],
    ["host/classes"],
    ["host/registry", "host/components"],
    ["host/ui"],
    ["host"],  # Host.h, the runtime and classes in one include
    ["consts"],
    ["strings"],
    ["utils", "datetime", "scanner", "locales", "compress", "help"],
    ["frame"],
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"deziva27/([^"]+)"', re.M)


def folder_of(rel):
    """The layer folder of a path below deziva27/ ("host/runtime/detail/Icu.h" -> "host/runtime")."""
    parts = rel.split("/")[:-1]
    if "detail" in parts:
        parts = parts[: parts.index("detail")]
    while parts and "/".join(parts) not in RANK:
        parts.pop()
    return "/".join(parts)


def concern_of(rel):
    return folder_of(rel) + "/" + os.path.splitext(os.path.basename(rel))[0]


def public_headers():
    text = open(os.path.join(ROOT, "cmake", "PublicHeaders.cmake")).read()
    return set(re.findall(r"^\s+deziva27/(\S+\.h)\s*$", text, re.M))


def main():
    errors = []
    files = {}
    for dirpath, _, names in os.walk(os.path.join(ROOT, "deziva27")):
        for name in names:
            if name.endswith((".h", ".cpp", ".inc")):
                path = os.path.join(dirpath, name)
                files[os.path.relpath(path, os.path.join(ROOT, "deziva27"))] = path

    graph = {}
    for rel, path in sorted(files.items()):
        src = folder_of(rel)
        if src not in RANK:
            errors.append(f"deziva27/{rel}: folder '{src}' is in no layer")
            continue
        for target in INCLUDE.findall(open(path, encoding="utf-8").read()):
            if target not in files:
                errors.append(f"deziva27/{rel}: includes deziva27/{target}, which does not exist")
                continue
            dst = folder_of(target)
            if dst != src and RANK.get(dst, -1) >= RANK[src]:
                way = "up" if RANK.get(dst, -1) > RANK[src] else "across"
                errors.append(f"deziva27/{rel}: includes deziva27/{target}, {way} from {src} to {dst}")
            if concern_of(target) != concern_of(rel):
                graph.setdefault(concern_of(rel), set()).add(concern_of(target))

    # Circles: a depth-first walk that reports each back edge's loop once.
    state, stack, seen_loops = {}, [], set()

    def walk(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 1:
                loop = stack[stack.index(nxt):]
                key = frozenset(loop)
                if key not in seen_loops:
                    seen_loops.add(key)
                    errors.append("circle: " + " -> ".join(loop + [nxt]))
            elif nxt not in state:
                walk(nxt)
        stack.pop()
        state[node] = 2

    for node in sorted(graph):
        if node not in state:
            walk(node)

    listed = public_headers()
    headers = {rel for rel in files if rel.endswith(".h")}
    for rel in sorted(headers):
        internal = "/detail/" in "/" + rel
        if internal and rel in listed:
            errors.append(f"deziva27/{rel}: in a detail folder but listed as public")
        if not internal and rel not in listed:
            errors.append(f"deziva27/{rel}: neither listed in cmake/PublicHeaders.cmake nor in a detail folder")
        if rel in listed:
            for target in INCLUDE.findall(open(files[rel], encoding="utf-8").read()):
                if target not in listed:
                    errors.append(f"deziva27/{rel}: a public header includes the internal deziva27/{target}")
    for rel in sorted(listed - headers):
        errors.append(f"cmake/PublicHeaders.cmake: lists deziva27/{rel}, which does not exist")

    for e in errors:
        print(e, file=sys.stderr)
    edges = sum(len(v) for v in graph.values())
    print(f"layers: {len(files)} files, {edges} dependencies between concerns, "
          f"{len(listed)} public headers: {len(errors)} finding(s)")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
