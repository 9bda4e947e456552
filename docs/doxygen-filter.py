#!/usr/bin/env python3
"""Doxygen input filter: reads a header written in the house style and prints
what Doxygen needs to document it, leaving the header itself plain C++.

The house style, and what becomes of it:
  - the first comment block of the file is its overview: a \\file block;
  - a comment block directly followed by declarations (no blank line between)
    documents each of them; a run of overloads shares the block;
  - "// --- Name ---" opens a named member group (\\name) that lasts to the
    next divider, the next access specifier or the end of the scope; a comment
    block right after the divider and followed by a blank line describes it;
  - "// text" after a declaration on its line, and comment lines aligned
    under it, document that declaration;
  - comment text is literal: Doxygen's and Markdown's special characters are
    escaped, and indented lines (tables, examples) are kept verbatim.

Doxygen sees the filtered text, so its line numbers are those of the output.
When DZ_DOCS_LINEMAP names a folder, the filter writes there, for each header,
the original line of every output line (one number a line), so that the
warnings can be reported against the header; and it lists on stderr, as
"file:line: warning: ... has no contract (filter)", the public declarations in
namespace dz that carry no comment at all, so that the count does not rest on
Doxygen alone.
"""

import os
import re
import sys

DIVIDER = re.compile(r"^\s*//\s*-{2,}\s*(.*?)\s*-*\s*$")
ACCESS = re.compile(r"^\s*(public|protected|private)\s*:\s*(//.*)?$")
SCOPE_HEAD = re.compile(
    r"^\s*(?:template\s*<.*>\s*)?(class|struct|union|enum(?:\s+class|\s+struct)?|namespace)\b"
    r"([^(]*)\{$")


def digit_separator(line, i):
    """The quote at i separates digits (1'000), inside a number."""
    if line[i] != "'" or i + 1 >= len(line) or not line[i + 1].isalnum():
        return False
    m = re.search(r"[0-9A-Za-z_']*$", line[:i])
    return bool(m and m.group(0)[:1].isdigit())


def split_code_comment(line):
    """(code, comment text or None): the // that starts a comment outside literals."""
    i, n = 0, len(line)
    quote = None
    while i < n:
        c = line[i]
        if quote:
            if c == "\\":
                i += 2
                continue
            if c == quote:
                quote = None
        elif c in "\"'":
            if not digit_separator(line, i):
                quote = c
        elif c == "/" and i + 1 < n and line[i + 1] == "/":
            return line[:i].rstrip(), line[i + 2:]
        elif c == "/" and i + 1 < n and line[i + 1] == "*":
            end = line.find("*/", i + 2)
            if end < 0:
                return line, None
            i = end + 2
            continue
        i += 1
    return line.rstrip(), None


def code_only(code):
    """The code with literals blanked, for counting brackets."""
    out, quote, i = [], None, 0
    while i < len(code):
        c = code[i]
        if quote:
            if c == "\\":
                i += 2
                continue
            if c == quote:
                quote = None
            i += 1
            continue
        if c in "\"'" and not digit_separator(code, i):
            quote = c
            out.append(" ")
        else:
            out.append(c)
        i += 1
    return "".join(out)


ABBREV = re.compile(r"\b(e\.g|i\.e|cf|vs|etc)\.(?=\s)")


def escape(text, pre=False):
    """Comment text as Doxygen shows it literally. Doxygen's own escapes
    (backslash, @, &, <, >, #, %, $, quote, |) hold everywhere; Markdown's
    (*, _, `, --) only where Markdown reads: outside <pre> and outside "...",
    where a backslash before them would show."""
    out = []
    quoted = False
    n = len(text)
    for k, c in enumerate(text):
        if c == '"':
            quoted = not quoted
            out.append('\\"')
        elif c in "\\@&<>#%$|":
            out.append("\\" + c)
        elif c in "*_`" and not pre and not quoted:
            if c == "_" and 0 < k < n - 1 and text[k - 1].isalnum() and text[k + 1].isalnum():
                out.append(c)  # inside a name (HKEY_CURRENT_USER): no emphasis
            else:
                out.append("\\" + c)
        elif c == "-" and not pre and not quoted and text[k:k + 2] == "--" and \
                (k == 0 or text[k - 1] != "-"):
            out.append("\\-")
        else:
            out.append(c)
    s = "".join(out)
    # Markdown list items and numbered paragraphs at the start of a line.
    s = re.sub(r"^(\s*)([-+*])(\s)", r"\1&zwj;\2\3", s)
    s = re.sub(r"^(\s*\d+)\.(\s)", r"\1\\.\2", s)
    # The block is a C comment: "*/" must not end it, nor "/*" seem to nest.
    s = re.sub(r"(\\?\*)/", r"\1&zwj;/", s)
    s = re.sub(r"/(\\?\*)", r"/&zwj;\1", s)
    if not pre:
        # The brief description ends at the first full stop; abbreviations have none.
        s = ABBREV.sub(lambda m: m.group(1) + "\\.", s)
    return s


SIMPLE_DECLARATORS = re.compile(r"^(\s*)([\w:<>]+(?:\s+[\w:<>]+)*\s+)(\w+(?:\s*,\s*\w+)+)\s*;$")


def several_declarators(code):
    """A variable declaration naming more than one variable (int a, b;)."""
    code = code.strip()
    if "(" in code or re.match(r"(using|typedef|template|enum|class|struct|union|namespace)\b", code):
        return False
    depth = 0
    for c in code:
        if c in "<[{":
            depth += 1
        elif c in ">]}":
            depth -= 1
        elif c == "," and depth == 0:
            return True
    return False


def doc_lines(indent, texts, command=None, after=False):
    """A /** */ block for comment texts (what followed the //). Indented
    lines (tables, examples) are kept as they are laid out, in <pre>."""
    rows = []
    pre = False
    bodies = [t[1:] if t.startswith(" ") else t for t in texts]
    for k, body in enumerate(bodies):
        indented = body.startswith(" ") and body.strip() != ""
        if body.strip() == "" and pre:
            # A blank line stays inside a table only when the table goes on;
            # it must not look blank, or Markdown reads what follows as code.
            nxt = bodies[k + 1] if k + 1 < len(bodies) else ""
            if nxt.startswith(" ") and nxt.strip():
                rows.append("&zwj;")
                continue
        if indented and not pre:
            rows.append("<pre>" + escape(body, pre=True))
            pre = True
            continue
        if not indented and pre:
            rows[-1] += "</pre>"
            pre = False
        rows.append(escape(body, pre=pre).rstrip() if pre else escape(body).rstrip())
    if pre:
        rows[-1] += "</pre>"
    if command:
        rows.insert(0, command)
    if not rows:
        rows = [""]
    out = [indent + ("/**< " if after else "/** ") + rows[0]] + [indent + "    " + r if r else "" for r in rows[1:]]
    out[-1] = out[-1].rstrip() + " */"
    return out


class Scope:
    def __init__(self, kind, name, public):
        self.kind = kind          # file, namespace, class, struct, union, enum
        self.name = name
        self.public = public      # declarations here are API
        self.access_public = kind not in ("class",)
        self.group_open = False
        self.group_pending = None  # (name, line, doc texts)
        self.documented = False   # the scope's own declaration has a comment


class Filter:
    def __init__(self, path, lines):
        self.path = path
        self.lines = lines
        self.out = []      # (text, original 1-based line)
        self.missing = []  # (line, name)
        self.lost = []     # lines where a declaration did not end

    def emit(self, text, line):
        self.out.append((text, line))

    # --- groups -----------------------------------------------------------

    def close_group(self, scope, line, indent):
        if scope.group_open:
            self.emit(indent + "//@}", line)
            self.emit("", line)
            scope.group_open = False
        scope.group_pending = None

    def open_pending_group(self, scope, indent):
        g = scope.group_pending
        if not g:
            return
        name, line, texts = g
        for t in doc_lines(indent, texts, "\\name " + escape(name)):
            self.emit(t, line)
        self.emit(indent + "//@{", line)
        self.emit("", line)
        scope.group_open = True
        scope.group_pending = None

    # --- the walk ----------------------------------------------------------

    def run(self):
        lines = self.lines
        n = len(lines)
        i = 0
        # The overview: the comment lines before anything else.
        top = []
        while i < n and lines[i].lstrip().startswith("//"):
            top.append(lines[i].lstrip()[2:])
            i += 1
        if top:
            for t in doc_lines("", top, "\\file"):
                self.emit(t, 1)
            self.emit("", 1)

        scopes = [Scope("file", "", True)]
        block = []          # pending comment block: (line, text)
        block_direct = False  # the block ends on the line just before
        after_divider = False
        pp_stack = []       # per open #if: in a branch after the first
        while i < n:
            raw = lines[i]
            lineno = i + 1
            stripped = raw.strip()
            scope = scopes[-1]
            indent = raw[:len(raw) - len(raw.lstrip())]

            if stripped == "":
                if block:
                    # A block followed by a blank line documents nothing but a
                    # group, when it opens one.
                    if after_divider and scope.group_pending and not scope.group_open:
                        scope.group_pending[2].extend(t for _, t in block)
                    else:
                        for ln, t in block:
                            self.emit(self.lines[ln - 1], ln)
                    block = []
                self.emit(raw, lineno)
                i += 1
                continue

            m = DIVIDER.match(raw)
            if m and stripped.startswith("//"):
                self.flush_block(block)
                block = []
                self.close_group(scope, lineno, indent)
                scope.group_pending = (m.group(1), lineno, [])
                after_divider = True
                i += 1
                continue

            if stripped.startswith("//"):
                block.append((lineno, stripped[2:]))
                i += 1
                continue

            if stripped.startswith("#"):
                j = i
                while lines[j].rstrip().endswith("\\") and j + 1 < n:
                    j += 1
                cond = re.match(r"#\s*(if|ifdef|ifndef|elif|else|endif)\b", stripped)
                if cond:
                    # A comment above #if documents the #define inside it; the
                    # other branches are the same macro for other compilers.
                    if cond.group(1).startswith("if"):
                        pp_stack.append(False)
                    elif cond.group(1) == "endif":
                        pp_stack and pp_stack.pop()
                    elif pp_stack:
                        pp_stack[-1] = True
                    for k in range(i, j + 1):
                        self.emit(lines[k], k + 1)
                    i = j + 1
                    continue
                # A #define is documented like a declaration.
                if any(pp_stack) or not self.macro_name(stripped):
                    self.flush_block(block)
                else:
                    self.document(scope, block, [], indent, lineno,
                                  self.macro_name(stripped))
                block = []
                for k in range(i, j + 1):
                    self.emit(lines[k], k + 1)
                i = j + 1
                continue

            if ACCESS.match(raw):
                self.flush_block(block)
                block = []
                self.close_group(scope, lineno, indent)
                scope.access_public = ACCESS.match(raw).group(1) != "private"
                after_divider = False
                self.emit(raw, lineno)
                i += 1
                continue

            code, _ = split_code_comment(raw)
            if code.strip().startswith("}") and len(scopes) > 1 and scope.kind != "enum" \
                    or (scope.kind == "enum" and code.strip().startswith("}")):
                self.flush_block(block)
                block = []
                self.close_group(scope, lineno, indent + "  ")
                scopes.pop()
                self.emit(raw, lineno)
                i += 1
                continue

            # A declaration, or the head of a scope: gather its lines.
            j, kind = self.gather(i, scope)
            decl_lines = lines[i:j + 1]
            codes, trailing, k = self.declaration(i, j)
            texts_block = [t for _, t in block] if block else []
            name = self.decl_name(" ".join(codes))
            had_doc = self.document(scope, block, trailing, indent, lineno, name)
            block_saved = block
            block = []
            after_divider = False
            split = SIMPLE_DECLARATORS.match(codes[0]) if len(codes) == 1 and not kind \
                and several_declarators(codes[0]) else None
            if split and had_doc:
                # Doxygen gives a comment above "LONG x, y;" to x alone: the
                # names are declared one a line, each with the comment.
                texts = [t for _, t in block_saved] + \
                    ([""] if block_saved and trailing else []) + trailing
                names = [x.strip() for x in split.group(3).split(",")]
                for k_, nm in enumerate(names):
                    if k_:
                        for t in doc_lines(indent, texts):
                            self.emit(t, i + 1)
                    self.emit(split.group(1) + split.group(2) + nm + ";", i + 1)
            elif had_doc and not kind and self.split_declarators(codes, lineno):
                # The same for declarators with initialisers, over several
                # lines (LOCALE_SLIST = 0x000C, LOCALE_SDECIMAL = 0x000E, ...).
                texts = [t for _, t in block_saved] + \
                    ([""] if block_saved and trailing else []) + trailing
                for k_, (piece, ln) in enumerate(self.split_declarators(codes, lineno)):
                    if k_:
                        for t in doc_lines(indent, texts):
                            self.emit(t, ln)
                    self.emit(indent + piece, ln)
            else:
                for m_, dl in enumerate(decl_lines):
                    c, t = split_code_comment(dl)
                    self.emit(c if t is not None else dl, i + m_ + 1)
            if kind:
                head = " ".join(codes)
                sname = re.sub(r"\s*:.*$", "", SCOPE_HEAD.match(head.strip()).group(2).strip()) \
                    if SCOPE_HEAD.match(head.strip()) else ""
                public = self.access_public(scope)
                if kind == "namespace":
                    first = sname.split()[0] if sname else ""
                    public = scope.public and first not in ("detail", "win", "")
                sc = Scope(kind, sname, public)
                sc.documented = had_doc
                if kind == "enum":
                    sc.access_public = True
                scopes.append(sc)
            # The run goes on while declarations follow directly.
            run_block = texts_block
            i = k
            while i < n and not kind and run_block:
                nxt = lines[i]
                ns = nxt.strip()
                if ns == "" or ns.startswith("//") or ns.startswith("#") or ACCESS.match(nxt) \
                        or split_code_comment(nxt)[0].strip().startswith("}"):
                    break
                j2, kind2 = self.gather(i, scope)
                if kind2:
                    break
                dls = lines[i:j2 + 1]
                _, trailing2, k2 = self.declaration(i, j2)
                ind2 = nxt[:len(nxt) - len(nxt.lstrip())]
                # A declaration with a comment of its own on its line is
                # documented by that comment, not by the block of the run.
                for t in doc_lines(ind2, trailing2 or run_block):
                    self.emit(t, i + 1)
                for m_, dl in enumerate(dls):
                    c, t = split_code_comment(dl)
                    self.emit(c if t is not None else dl, i + m_ + 1)
                i = k2
        self.flush_block(block)

    def declaration(self, i, j):
        """The code of lines i..j, their trailing comment with the comment lines
        aligned under it (which continue it), and the first line after both."""
        lines, n = self.lines, len(self.lines)
        codes, trailing, col = [], [], -1
        for dl in lines[i:j + 1]:
            c, t = split_code_comment(dl)
            codes.append(c)
            if t is not None:
                trailing.append(t)
                col = dl.find("//", len(c))
        k = j + 1
        while trailing and k < n and lines[k].strip().startswith("//") and \
                lines[k].find("//") == col and not DIVIDER.match(lines[k]):
            trailing.append(lines[k].strip()[2:])
            k += 1
        return codes, trailing, k

    def access_public(self, scope):
        return scope.public and scope.access_public

    def flush_block(self, block):
        for ln, _ in block:
            self.emit(self.lines[ln - 1], ln)

    def document(self, scope, block, trailing, indent, lineno, name):
        """Emits the doc lines of a declaration at lineno (and opens a group)."""
        api = self.access_public(scope)
        if scope.group_pending and api:
            self.open_pending_group(scope, indent)
        texts = [t for _, t in block]
        if trailing:
            texts = texts + ([""] if texts else []) + trailing
        if texts:
            first = block[0][0] if block else lineno
            for t in doc_lines(indent, texts):
                self.emit(t, first)
            return True
        if api and name and scope.kind != "enum":
            # An enumerator is covered by the comment of its enumeration,
            # which is missed itself when it has none.
            self.missing.append((lineno, name))
        return False

    def gather(self, i, scope):
        """Last line index of the declaration starting at i, and the kind of
        scope it opens (None for a plain declaration)."""
        lines = self.lines
        n = len(lines)
        depth_brace = depth_paren = 0
        text = ""
        j = i
        while j < n:
            c, _ = split_code_comment(lines[j])
            cc = code_only(c)
            text += " " + cc.strip()
            for ch in cc:
                if ch == "{":
                    depth_brace += 1
                elif ch == "}":
                    depth_brace -= 1
                elif ch in "([":
                    depth_paren += 1
                elif ch in ")]":
                    depth_paren -= 1
            t = text.strip()
            if scope.kind == "enum" and depth_brace == 0 and depth_paren == 0:
                if t.endswith(",") or j + 1 >= n or \
                        split_code_comment(lines[j + 1])[0].strip().startswith("}") or \
                        lines[j + 1].strip() == "" or lines[j + 1].strip().startswith("//"):
                    return j, None
            if depth_brace == 1 and depth_paren == 0 and t.endswith("{") and SCOPE_HEAD.match(t):
                return j, SCOPE_HEAD.match(t).group(1).split()[0]
            if depth_brace == 0 and depth_paren == 0 and (t.endswith(";") or t.endswith("}")):
                return j, None
            j += 1
        self.lost.append(i + 1)
        return n - 1, None

    @staticmethod
    def split_declarators(codes, first_line):
        """A variable declaration with several declarators, initialised or
        not, on one line or more, as one declaration a declarator with the
        line each starts on; None for anything else."""
        text = " ".join(c.strip() for c in codes).strip()
        if not text.endswith(";") or any(ch in code_only(text) for ch in "(){}<>[]"):
            return None
        m = re.match(r"((?:(?:inline|constexpr|static|extern|const)\s+)*[A-Za-z_][\w:]*\s*[*&]?\s+)"
                     r"(.*);$", text)
        if not m or m.group(1).strip() in ("using", "return", "typedef", "friend"):
            return None
        parts = [p.strip() for p in m.group(2).split(",")]
        if len(parts) < 2 or not all(re.match(r"[A-Za-z_]\w*(\s*=\s*[^=]+)?$", p) for p in parts):
            return None
        pieces, k = [], 0
        for p in parts:
            name = re.match(r"[A-Za-z_]\w*", p).group(0)
            while k < len(codes) - 1 and not re.search(r"\b%s\b" % name, codes[k]):
                k += 1
            pieces.append((m.group(1) + p + ";", first_line + k))
        return pieces

    @staticmethod
    def decl_name(code):
        code = code.strip()
        if re.match(r"(static_assert|using namespace|friend\s|namespace\b|extern\s+\"C)", code):
            return None
        # Forward declarations (documented where defined), overrides (they
        # take the contract of what they override), anonymous unions.
        if re.match(r"(class|struct|union)\s+\w+\s*;$", code) or \
                re.search(r"\b(override|final)\b", code.split("{")[0]) or \
                re.match(r"(union|struct)\s*\{", code):
            return None
        if re.match(r"enum(\s+class|\s+struct)?\s*(:[^{]*)?\{", code):
            return "anonymous enum"
        m = re.match(r"(?:template\s*<.*?>\s*)?(?:class|struct|union|enum(?:\s+class|\s+struct)?)\s+"
                     r"(?:DZ_API\s+)?([A-Za-z_]\w*)", code)
        if m:
            return m.group(1)
        m = re.match(r"using\s+([A-Za-z_]\w*)\s*=", code)
        if m:
            return m.group(1)
        # Template arguments hold no name: std::function<int(char)> f; is f.
        bare = code
        while True:
            stripped = re.sub(r"<[^<>]*>", "", bare)
            if stripped == bare:
                break
            bare = stripped
        if re.search(r"\boperator\b", code):
            bare = code
        code = bare
        m = re.search(r"(operator\s*(?:\(\)|[^\s(]+)|~?[A-Za-z_]\w*)\s*\(", code)
        if m and m.group(1) not in ("DZ_DECLARE_EXCEPTION",):
            return m.group(1)
        m = re.match(r"DZ_DECLARE_EXCEPTION\s*\(\s*(\w+)", code)
        if m:
            return m.group(1)
        head = code.split("{")[0].split("=")[0].rstrip(";, ")
        m = re.search(r"([A-Za-z_]\w*)\s*(\[[^\]]*\])?\s*$", head)
        return m.group(1) if m else code[:40]

    @staticmethod
    def macro_name(pp):
        m = re.match(r"#\s*define\s+(\w+)", pp)
        return m.group(1) if m else None


def main():
    path = sys.argv[1]
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    flt = Filter(path, lines)
    flt.run()
    sys.stdout.write("\n".join(t for t, _ in flt.out) + "\n")
    mapdir = os.environ.get("DZ_DOCS_LINEMAP")
    if mapdir:
        rel = os.path.relpath(os.path.abspath(path))
        target = os.path.join(mapdir, rel + ".map")
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "w") as f:
            f.write("\n".join(str(ln) for _, ln in flt.out) + "\n")
        for ln in flt.lost:
            sys.stderr.write(f"{path}:{ln}: warning: the filter found no end to this declaration\n")
        for ln, name in flt.missing:
            sys.stderr.write(f"{path}:{ln}: warning: {name} has no contract (filter)\n")


if __name__ == "__main__":
    main()
