#!/usr/bin/env python3
"""Splits a target's C++ sources into unity batches that cannot clash.

A unity batch compiles several source files as one translation unit, so the
names each file declares at namespace scope (inside an anonymous namespace,
`static`, aliases, types) meet. Two files that declare the same name never
share a batch: the scan over-approximates what a file declares, so a missed
clash costs a batch, never a silently different overload. A name a
using-declaration brings in must not mean something else in the batch; files
share a batch only with files of the same namespace-scope using-directives. A
file that defines macros, and any file the scan cannot read, is compiled on
its own.

Usage: UnityBatches.py <batch size> <source>...
Prints one line per batched file: "<batch number> <source>", in source order.
"""
import re
import sys

KEYWORDS = set("""
alignas alignof asm auto bool break case catch char char8_t char16_t char32_t class co_await co_return
co_yield concept const consteval constexpr constinit const_cast continue decltype default delete do double
dynamic_cast else enum explicit export extern false float for friend goto if inline int long mutable
namespace new noexcept nullptr operator private protected public register reinterpret_cast requires return
short signed sizeof static static_assert static_cast struct switch template this thread_local throw true try
typedef typeid typename union unsigned using virtual void volatile wchar_t while final override
""".split())

TOKEN = re.compile(r"""
    (?P<raw>R"(?P<delim>[^()\\\s]{0,16})\((?:.|\n)*?\)(?P=delim)")
  | (?P<string>"(?:\\.|[^"\\\n])*")
  | (?P<char>'(?:\\.|[^'\\\n])*')
  | (?P<comment>//[^\n]*|/\*(?:.|\n)*?\*/)
  | (?P<directive>^[ \t]*\#(?:\\\n|[^\n])*)
  | (?P<ident>[A-Za-z_]\w*)
  | (?P<number>\.?\d(?:[\w.']|[eEpP][+-])*)
  | (?P<punct>::|->|.)
""", re.VERBOSE | re.MULTILINE | re.DOTALL)


def tokens(text):
    for match in TOKEN.finditer(text):
        kind = match.lastgroup
        if kind in ("comment",) or match.group().isspace():
            continue
        if kind == "delim":
            kind = "raw"
        yield kind, match.group()


def is_macro_name(name):
    return name.upper() == name and any(c.isalpha() for c in name)


class Scan:
    """What one source file declares at namespace scope and leaks to later files."""

    def __init__(self, text):
        self.names = set()
        # Names a using-declaration brings in, and the first names of
        # qualified names the file uses: a name one file brings in must not
        # already mean something else through another file's headers.
        self.brought_in = {}
        # Aliases (type and namespace) by name: the same alias may be declared
        # again, another one of that name may not.
        self.aliases = {}
        self.qualifiers = set()
        # Names the file calls unqualified: another file's namespace-scope
        # function of that name would join their overload set.
        self.calls = set()
        # Namespace-scope using-directives reach the files after this one;
        # only files with the same directives share a batch.
        self.directives = frozenset()
        self.leaks = False
        self.alone = False
        self._read(list(tokens(text)))
        # A qualifier the file brought in or aliased itself means just that.
        self.qualifiers -= set(self.brought_in) | set(self.aliases)

    def _read(self, toks):
        scopes = []  # "ns" for a namespace body, "enum" for a plain enum's, "other" for every other brace
        parens = 0
        initializers = False  # inside a constructor's member initializer list
        for i, (kind, text) in enumerate(toks):
            prev = toks[i - 1][1] if i > 0 else ""
            nxt = toks[i + 1][1] if i + 1 < len(toks) else ""
            if kind == "directive":
                if re.match(r"\s*#\s*define\b", text):
                    self.alone = True
                continue
            if kind == "ident" and prev not in ("::", "using"):
                if nxt == "::" or prev == "namespace":
                    self.qualifiers.add(text)
                elif nxt == "(" and prev not in (".", "->") and text not in KEYWORDS:
                    self.calls.add(text)
            if text in ("(", "["):
                parens += 1
                continue
            if text in (")", "]"):
                parens = max(0, parens - 1)
                continue
            if text == "{":
                if initializers and prev in (")", "}"):
                    initializers = False
                scopes.append(self._scope_kind(toks, i))
                continue
            if text == "}":
                if scopes:
                    scopes.pop()
                continue
            if parens or not all(s == "ns" for s in scopes[:-1]):
                continue
            if scopes and scopes[-1] == "enum":
                # A plain enum's enumerators belong to the enclosing namespace.
                if kind == "ident" and nxt in (",", "=", "}"):
                    self.names.add(text)
                continue
            if scopes and scopes[-1] != "ns":
                continue
            if text == ":" and prev == ")":
                initializers = True
                continue
            if text == ";":
                initializers = False
                continue
            if initializers:
                continue
            if text == "using" and prev in (";", "{", "}", ")", ""):
                self._using(toks, i)
                continue
            if kind != "ident" or text in KEYWORDS or prev in ("::", ".", "->", "~", "using"):
                continue
            if prev == "namespace":
                if nxt == "=":
                    self.aliases[text] = self._statement_text(toks, i)
                continue
            if prev in ("struct", "class", "union", "enum", "concept"):
                self.names.add(text)
                continue
            if nxt == "(" and is_macro_name(text):
                continue
            if nxt in ("(", "=", "{", ";", "["):
                self.names.add(text)

    def _scope_kind(self, toks, i):
        j = i - 1
        while j >= 0 and (toks[j][0] == "ident" or toks[j][1] in ("::", ":")):
            if toks[j][1] == "namespace":
                # The namespaces a file opens are names it gives a meaning.
                self.qualifiers.update(t for k, t in toks[j + 1:i] if k == "ident")
                return "ns"
            if toks[j][1] == "enum":
                return "other" if toks[j + 1][1] in ("class", "struct") else "enum"
            j -= 1
        # extern "C" { ... } is namespace scope too.
        if j == i - 1 and j >= 1 and toks[j][0] == "string" and toks[j - 1][1] == "extern":
            return "ns"
        return "other"

    def _using(self, toks, i):
        nxt = toks[i + 1][1] if i + 1 < len(toks) else ""
        after = toks[i + 2][1] if i + 2 < len(toks) else ""
        if nxt == "namespace":
            self.directives = self.directives | {self._statement_text(toks, i)}
        elif after != "=":
            # A using-declaration: later files see the name too, so it must
            # not clash with what they declare or bring in.
            statement = self._statement_text(toks, i).split()
            if len(statement) >= 3 and statement[-2] == "::":
                self.brought_in[statement[-1]] = " ".join(statement)
            else:
                self.leaks = True
        else:
            self.aliases[nxt] = self._statement_text(toks, i)

    @staticmethod
    def _statement_text(toks, i):
        j = i
        parts = []
        while j < len(toks) and toks[j][1] != ";":
            parts.append(toks[j][1])
            j += 1
        return " ".join(parts)


class Batch:
    """The files of one unity batch so far and what they declare and use."""

    def __init__(self, number, directives):
        self.number = number
        self.count = 0
        self.directives = directives
        self.names = set()
        self.qualifiers = set()
        self.calls = set()
        self.brought_in = {}
        self.aliases = {}

    def fits(self, scan):
        if scan.directives != self.directives:
            return False
        if self.names & (scan.names | scan.calls) or self.calls & scan.names:
            return False
        for name, declaration in scan.aliases.items():
            if name in self.names or name in self.brought_in or self.aliases.get(name, declaration) != declaration:
                return False
        for name, declaration in scan.brought_in.items():
            if name in self.names or name in self.qualifiers or name in self.aliases:
                return False
            if self.brought_in.get(name, declaration) != declaration:
                return False
        return not any(name in self.brought_in or name in self.aliases for name in scan.names | scan.qualifiers)

    def add(self, scan):
        self.count += 1
        self.names |= scan.names
        self.qualifiers |= scan.qualifiers
        self.calls |= scan.calls
        self.brought_in.update(scan.brought_in)
        self.aliases.update(scan.aliases)


def batches(sources, size):
    """[(batch number, source)] for the sources that share a batch, in source order."""
    open_batches = []
    assigned = []
    number = 0
    for source in sources:
        try:
            with open(source, encoding="utf-8") as f:
                scan = Scan(f.read())
        except (OSError, UnicodeDecodeError):
            continue
        if scan.alone:
            continue
        batch = next((b for b in open_batches if b.fits(scan)), None)
        if batch is None:
            batch = Batch(number, scan.directives)
            number += 1
            open_batches.append(batch)
        batch.add(scan)
        assigned.append((batch, source))
        if scan.leaks or batch.count >= size:
            open_batches.remove(batch)
    # A batch of one gains nothing; such a file compiles as it is.
    return [(batch.number, source) for batch, source in assigned if batch.count > 1]


def main(argv):
    size = int(argv[1])
    for batch, source in batches(argv[2:], size):
        print(batch, source)


if __name__ == "__main__":
    main(sys.argv)
