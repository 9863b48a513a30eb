#!/usr/bin/env python3
"""Finds file accesses that hand the system a narrow path.

On Windows a narrow (char) path given to fopen, a file stream, tinyxml2's LoadFile/SaveFile,
libzip or std::filesystem is read in the ANSI code page, so a folder named in Cyrillic or Chinese
breaks. Above the OS seam (src/platform/), a path reaches the system only as a
std::filesystem::path built by platform::FsPath / platform::Utf8Path (or derived from one), or
through platform::OpenFile. This script reads the sources as text and reports each place that
does otherwise as FILE:LINE: RULE: WHY; it exits 1 when it reports anything.

What counts as a path expression: a call of FsPath/Utf8Path; a variable, parameter, member or
function whose nearest declaration has a filesystem path type (or is `auto` initialised from a
path expression); `x.path()` of a directory entry; a path expression joined with `/` or followed
by a path member (parent_path(), filename(), ...). Anything else, a std::string above all, is
refused where a path is taken.

usage: check-wide-paths.py [--exclude DIR]... ROOT...
"""

import os
import re
import sys

SOURCE_SUFFIXES = (".cpp", ".cc", ".h", ".hpp")

FS = r"(?:std::filesystem|std::experimental::filesystem|filesystem|fs)"
PATH_TYPE = re.compile(FS + r"::path\b(?!\s*\()")
PATH_MAKERS = re.compile(r"^(?:::)?(?:platform::)?(?:FsPath|Utf8Path)\s*\(")
PATH_MEMBERS = ("parent_path", "filename", "stem", "extension", "relative_path", "root_path",
                "lexically_normal", "lexically_relative", "lexically_proximate",
                "replace_extension", "replace_filename", "remove_filename", "path")
PATH_RESULTS = ("absolute", "canonical", "weakly_canonical", "relative", "proximate",
                "current_path", "temp_directory_path", "read_symlink")

# std::filesystem operations and which of their arguments are paths.
FS_CALLS = {
    "exists": (0,), "is_regular_file": (0,), "is_directory": (0,), "is_symlink": (0,),
    "is_empty": (0,), "file_size": (0,), "status": (0,), "symlink_status": (0,),
    "remove": (0,), "remove_all": (0,), "rename": (0, 1), "copy": (0, 1), "copy_file": (0, 1),
    "create_directory": (0,), "create_directories": (0,), "create_symlink": (0, 1),
    "create_hard_link": (0, 1), "resize_file": (0,), "last_write_time": (0,),
    "permissions": (0,), "space": (0,), "equivalent": (0, 1), "absolute": (0,),
    "canonical": (0,), "weakly_canonical": (0,), "relative": (0, 1), "proximate": (0, 1),
    "read_symlink": (0,), "directory_iterator": (0,), "recursive_directory_iterator": (0,),
    "current_path": (0,),
}

PARAMETER = re.compile(r"(?:const\s+)?[\w:]+(?:\s*<.*>)?(?:\s+const)?(?:\s*[&*]+\s*|\s+)\w+"
                       r"(?:\s*=.*)?", re.S)

STREAM = r"(?:std::)?(?:basic_)?(?:i|o|)fstream\b"


def strip_comments_and_strings(text):
    """Blanks comments and the insides of literals, keeping every line where it was."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(" " * (end - i))
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append("".join(ch if ch == "\n" else " " for ch in text[i:end]))
            i = end
        elif c == 'R' and text.startswith('R"', i) and (i == 0 or not text[i - 1].isalnum()):
            open_paren = text.find("(", i)
            delimiter = text[i + 2:open_paren]
            end = text.find(")" + delimiter + '"', open_paren)
            end = n if end < 0 else end + len(delimiter) + 2
            out.append('R"' + "".join(ch if ch == "\n" else " " for ch in text[i + 2:end - 1]) + '"')
            i = end
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (j - i - 1) + (c if j < n else ""))
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def arguments(text, open_at):
    """The top-level arguments of the call whose '(' or '{' is at `open_at`, and its end."""
    pairs = {"(": ")", "{": "}", "[": "]", "<": ">"}
    depth, args, start = 0, [], open_at + 1
    i = open_at
    while i < len(text):
        c = text[i]
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
            if depth == 0:
                last = text[start:i].strip()
                if last or args:
                    args.append(last)
                return args, i
        elif c == "," and depth == 1:
            args.append(text[start:i].strip())
            start = i + 1
        i += 1
    return args, len(text)


def split_top_level(expr, operator):
    depth, parts, start = 0, [], 0
    for i, c in enumerate(expr):
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
        elif depth == 0 and expr.startswith(operator, i):
            parts.append(expr[start:i])
            start = i + len(operator)
    parts.append(expr[start:])
    return [p.strip() for p in parts]


class Source:
    def __init__(self, path, text, companion_text=""):
        self.path = path
        self.code = strip_comments_and_strings(text)
        self.companion = strip_comments_and_strings(companion_text)
        self.line_starts = [0] + [m.end() for m in re.finditer("\n", self.code)]

    def line_of(self, offset):
        lo, hi = 0, len(self.line_starts) - 1
        while lo < hi:
            mid = (lo + hi + 1) // 2
            if self.line_starts[mid] <= offset:
                lo = mid
            else:
                hi = mid - 1
        return lo + 1

    # --- what a name is --------------------------------------------------------------------

    def declared_type(self, name, before):
        """The type text of the nearest declaration of `name` above `before` (then in the
        companion header), or None."""
        declaration = re.compile(
            r"([\w:<>]+(?:\s*<[^;{}()]*>)?)\s*(?:const\s*)?[&*]*\s*(?:const\s*)?\b" +
            re.escape(name) + r"\b\s*(?=[,)=;{(\[:]|$)", re.M)
        for code, limit in ((self.code, before), (self.companion, None)):
            found = None
            for m in declaration.finditer(code, 0, limit if limit is not None else len(code)):
                kind = m.group(1)
                if kind in ("return", "case", "else", "new", "delete", "throw", "goto"):
                    continue
                if re.fullmatch(r"[\d.]+|\W+", kind):
                    continue
                found = m
            if found:
                return found.group(1), code, found.end()
        return None

    def name_is_path(self, name, before):
        found = self.declared_type(name, before)
        if not found:
            return False
        kind, code, end = found
        if PATH_TYPE.search(kind + " ") or re.search(FS + r"::path$", kind):
            return True
        if kind == "auto":
            init = re.match(r"\s*(=|\{|\()", code[end:])
            if not init:
                return False
            if init.group(1) == "=":
                stop = code.find(";", end)
                return self.is_path(code[end + init.end():stop], end)
            args, _ = arguments(code, end + init.end() - 1)
            return len(args) == 1 and self.is_path(args[0], end)
        return False

    def function_returns_path(self, name):
        pattern = re.compile(FS + r"::path\s+(?:[\w:]+::)?" + re.escape(name) + r"\s*\(")
        return bool(pattern.search(self.code) or pattern.search(self.companion))

    def is_path(self, expr, at):
        expr = expr.strip()
        while expr.startswith("(") and arguments(expr, 0)[1] == len(expr) - 1:
            expr = expr[1:-1].strip()
        if not expr:
            return False
        joined = split_top_level(expr, " / ")
        if len(joined) > 1:
            # A narrow string joined to a path is converted as narrow text too; a literal is
            # plain ASCII here.
            return self.is_path(joined[0], at) and all(
                self.is_path(part, at) or re.fullmatch(r'u?8?"\s*"', part) for part in joined[1:])
        if PATH_MAKERS.match(expr):
            return True
        if re.match(r"^(?:std::move|std::cref|std::ref)\s*\(", expr):
            args, _ = arguments(expr, expr.index("("))
            return len(args) == 1 and self.is_path(args[0], at)
        # receiver.method(...) of a path
        tail = re.search(r"(?:\.|->)(\w+)\s*\(([^()]*)\)$", expr)
        if tail and tail.group(1) in PATH_MEMBERS:
            receiver = expr[:tail.start()]
            return tail.group(1) == "path" or self.is_path(receiver, at)
        call = re.match(r"^(?:" + FS + r"::)(\w+)\s*\(", expr)
        if call and call.group(1) in PATH_RESULTS:
            return True
        plain_call = re.match(r"^([\w:]+)\s*\(", expr)
        if plain_call:
            return self.function_returns_path(plain_call.group(1).split("::")[-1])
        name = re.match(r"^(?:this->)?(?:[\w]+(?:\.|->))*(\w+)$", expr)
        if name:
            return self.name_is_path(name.group(1), at)
        return False


def report(findings, source, offset, rule, why):
    findings.append((source.path, source.line_of(offset), rule, why))


def check_calls(source, findings):
    code = source.code
    for m in re.finditer(r"\b(?:std::)?_?w?fopen\s*\(", code):
        report(findings, source, m.start(), "fopen",
               "open files with platform::OpenFile(wide path, mode)")
    for m in re.finditer(r"\bzip_(?:open|source_file|source_file_create|source_win32a_create)"
                         r"\s*\(", code):
        report(findings, source, m.start(), "zip-by-name",
               "libzip opens a narrow name: read through zip_source_filep_create over "
               "platform::OpenFile, or from memory")
    for m in re.finditer(r"\b(LoadFile|SaveFile)\s*\(", code):
        args, _ = arguments(code, m.end() - 1)
        if not args or not is_file_handle(source, args[0], m.start()):
            report(findings, source, m.start(), "xml-file",
                   m.group(1) + " takes a narrow name: pass a FILE* from platform::OpenFile")


def is_file_handle(source, expr, at):
    expr = expr.strip()
    if re.fullmatch(r"[\w.>-]+\.get\(\)", expr):
        return True
    name = re.fullmatch(r"(?:[\w]+(?:\.|->))*(\w+)", expr)
    if not name:
        return False
    found = source.declared_type(name.group(1), at)
    return bool(found and re.search(r"FILE\b|FilePtr", found[0] + source.code[found[2] - 20:found[2]]))


def check_streams(source, findings):
    code = source.code
    why = "a file stream opened from a narrow string: give it a path from platform::FsPath"
    patterns = [
        # std::ifstream in(ARGS) / std::ofstream out{ARGS}
        re.compile(r"\b" + STREAM + r"\s+\w+\s*([({])"),
        # std::ifstream(ARGS) temporaries
        re.compile(r"\b" + STREAM + r"\s*([({])"),
        # std::make_unique<std::fstream>(ARGS)
        re.compile(r"\bmake_(?:unique|shared)\s*<\s*" + STREAM + r"\s*>\s*(\()"),
    ]
    seen = set()
    for pattern in patterns:
        for m in pattern.finditer(code):
            open_at = m.start(1)
            if open_at in seen:
                continue
            seen.add(open_at)
            args, _ = arguments(code, open_at)
            if args and not source.is_path(args[0], m.start()):
                report(findings, source, m.start(), "stream", why)
    streams = set(re.findall(r"\b" + STREAM + r"\s*[&*]?\s*(\w+)", code))
    for m in re.finditer(r"\b(\w+)\s*(?:\.|->)\s*open\s*\(", code):
        if m.group(1) not in streams:
            continue
        args, _ = arguments(code, m.end() - 1)
        if args and not source.is_path(args[0], m.start()):
            report(findings, source, m.start(), "stream", why)


def check_filesystem(source, findings):
    code = source.code
    for m in re.finditer(r"\b" + FS + r"::path\s*([({])", code):
        args, _ = arguments(code, m.start(1))
        if args and not all(source.is_path(a, m.start()) for a in args[:1]):
            report(findings, source, m.start(), "path-from-narrow",
                   "a path built from text: use platform::FsPath (wide) or platform::Utf8Path")
    # fs::path name(ARGS) / fs::path name = EXPR / fs::path name{ARGS}
    for m in re.finditer(r"\b" + FS + r"::path\s+(\w+)\s*(=|\(|\{)", code):
        if m.group(2) == "=":
            stop = code.find(";", m.end())
            expr = code[m.end():stop]
        else:
            args, _ = arguments(code, m.end() - 1)
            if not args or any(PARAMETER.fullmatch(a) for a in args):
                continue  # a function returning a path, not a variable
            expr = args[0]
        if re.match(r"^\s*$", expr):
            continue
        if not source.is_path(expr, m.start()):
            report(findings, source, m.start(), "path-from-narrow",
                   "a path built from text: use platform::FsPath (wide) or platform::Utf8Path")
    for m in re.finditer(r"\b" + FS + r"::(\w+)\s*(\(|\{)", code):
        operation = m.group(1)
        if operation not in FS_CALLS:
            continue
        args, _ = arguments(code, m.start(2))
        for index in FS_CALLS[operation]:
            if index < len(args) and not looks_like_error_code(args[index]) and \
                    not source.is_path(args[index], m.start()):
                report(findings, source, m.start(), "filesystem-call",
                       "std::filesystem::" + operation + " given text: pass a path from "
                       "platform::FsPath")
                break
    # fs::directory_iterator it(ARGS) declarations
    for m in re.finditer(r"\b" + FS + r"::(?:recursive_)?directory_iterator\s+\w+\s*\(", code):
        args, _ = arguments(code, m.end() - 1)
        if args and not source.is_path(args[0], m.start()):
            report(findings, source, m.start(), "filesystem-call",
                   "a directory listing of text: pass a path from platform::FsPath")


def looks_like_error_code(expr):
    return bool(re.fullmatch(r"(?:ec|error|ignored|err|code|\w*[Ee]rror\w*|\w+Ec)", expr.strip()))


def check_file(path, text, companion_text=""):
    source = Source(path, text, companion_text)
    findings = []
    check_calls(source, findings)
    check_streams(source, findings)
    check_filesystem(source, findings)
    return sorted(set(findings), key=lambda f: (f[0], f[1], f[2]))


def companion_of(path):
    stem, suffix = os.path.splitext(path)
    for other in ((".h", ".hpp") if suffix in (".cpp", ".cc") else (".cpp", ".cc")):
        if os.path.exists(stem + other):
            with open(stem + other, encoding="utf-8", errors="replace") as f:
                return f.read()
    return ""


def sources(roots, excluded):
    for root in roots:
        for folder, subfolders, files in os.walk(root):
            subfolders[:] = sorted(d for d in subfolders
                                   if os.path.normpath(os.path.join(folder, d)) not in excluded)
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.join(folder, name)


def main(argv):
    roots, excluded = [], set()
    args = iter(argv[1:])
    for arg in args:
        if arg == "--exclude":
            excluded.add(os.path.normpath(next(args)))
        else:
            roots.append(arg)
    if not roots:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    findings = []
    for path in sources(roots, excluded):
        with open(path, encoding="utf-8", errors="replace") as f:
            findings += check_file(path, f.read(), companion_of(path))
    for path, line, rule, why in findings:
        print(f"{path}:{line}: {rule}: {why}")
    print(f"{len(findings)} narrow path(s) found", file=sys.stderr)
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
