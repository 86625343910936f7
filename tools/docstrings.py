"""The documentation of every class, function and attribute is written once, in the typed stub
src/module/tarvik.pyi. This script derives the other two forms from it:

    python tools/docstrings.py header src/module/tarvik.pyi OUT.hpp     # the texts the module compiles in
    python tools/docstrings.py reference src/module/tarvik.pyi OUT.md   # docs/api.md, the API reference

The header gives each member its text signature (the "name(...)\\n--\\n\\n" line CPython reads) and its
docstring; the reference gives it a section with the docstring's examples as runnable code blocks.
"""

import ast
import dataclasses
import inspect
import pathlib
import sys

# Members whose __doc__ has always been None: only their text signature is compiled in. The stub
# still documents them for editors and the reference.
SIGNATURE_ONLY = {
    "hello_world", "Move", "Move.uci", "Move.from_square", "Move.to_square", "Move.promotion", "Board",
    "Board.turn", *(f"Board.{name}" for name in """set_board get_pieces set_pieces_or set_pieces_xor pawn_moves
        knight_moves king_moves bishop_moves rook_moves queen_moves pseudo_legal_moves _is_attacked is_check
        _castling_moves legal_moves _reset_half_move_clock _check_castling_rights _remove_castling_rights
        apply_move is_checkmate is_stalemate is_game_over _restore pop""".split())}


@dataclasses.dataclass
class Member:
    name: str           # qualified: "Board.to_fen", "read_pgn", "Game"
    kind: str           # "class", "function", "method", "classmethod", "attribute"
    parameters: str     # as the text signature writes them, receiver included: "($self, count=3)"
    doc: str

    @property
    def short_name(self):
        return self.name.rsplit(".", 1)[-1]


def text_signature(arguments, receiver):
    """The parameter list as CPython's text signatures write it ($self for the receiver)."""
    def parameter(argument, default):
        return argument.arg if default is None else f"{argument.arg}={ast.unparse(default)}"

    positional = arguments.posonlyargs + arguments.args
    defaults = [None] * (len(positional) - len(arguments.defaults)) + arguments.defaults
    parts = [parameter(a, d) for a, d in zip(positional, defaults)]
    if arguments.posonlyargs:
        parts.insert(len(arguments.posonlyargs), "/")
    if receiver is not None:
        parts[0] = receiver
    elif parts and parts[0] in ("cls", "self"):
        parts = parts[1:]
    if arguments.vararg:
        parts.append(f"*{arguments.vararg.arg}")
    elif arguments.kwonlyargs:
        parts.append("*")
    parts += [parameter(a, d) for a, d in zip(arguments.kwonlyargs, arguments.kw_defaults)]
    if arguments.kwarg:
        parts.append(f"**{arguments.kwarg.arg}")
    return f"({', '.join(parts)})"


def read_stub(path):
    """The module docstring and the documented members, in stub order."""
    tree = ast.parse(pathlib.Path(path).read_text(encoding="utf-8"))
    members = []
    for node in tree.body:
        if isinstance(node, ast.FunctionDef):
            members.append(Member(node.name, "function", text_signature(node.args, None), ast.get_docstring(node)))
        elif isinstance(node, ast.ClassDef):
            members += class_members(node)
    return ast.get_docstring(tree), members


def class_members(cls):
    body = cls.body
    constructor = next((n for n in body if isinstance(n, ast.FunctionDef) and n.name == "__new__"), None)
    members = [Member(cls.name, "class", text_signature(constructor.args, None) if constructor else "",
                      ast.get_docstring(cls))]
    if constructor:
        members.append(Member(cls.name, "constructor", members[0].parameters, ast.get_docstring(constructor)))
    for node, following in zip(body, body[1:] + [None]):
        if isinstance(node, ast.AnnAssign):
            members.append(Member(f"{cls.name}.{node.target.id}", "attribute", "", following.value.value))
        elif isinstance(node, ast.FunctionDef) and node.name != "__new__":
            decorators = {ast.unparse(d) for d in node.decorator_list}
            name = f"{cls.name}.{node.name}"
            if "property" in decorators:
                members.append(Member(name, "attribute", "", ast.get_docstring(node)))
            elif "classmethod" in decorators:
                members.append(Member(name, "classmethod", text_signature(node.args, "$type"), ast.get_docstring(node)))
            else:
                members.append(Member(name, "method", text_signature(node.args, "$self"), ast.get_docstring(node)))
    return members


def runtime_text(member):
    """What the member's C-level doc field holds; None for an attribute that has none."""
    doc = "" if member.name in SIGNATURE_ONLY else inspect.cleandoc(member.doc)
    if member.kind == "attribute":
        return doc or None
    if not member.parameters:
        return doc
    # inspect.signature() reads a text signature as ASCII: other characters, which can
    # only stand in string defaults, are written as escapes.
    parameters = member.parameters.encode("ascii", "backslashreplace").decode("ascii")
    return f"{member.short_name}{parameters}\n--\n\n{doc}"


def c_literal(text):
    if text is None:
        return "nullptr"
    lines = text.replace("\\", "\\\\").replace('"', '\\"').split("\n")
    pieces = [f'"{line}\\n"' for line in lines[:-1]] + ([f'"{lines[-1]}"'] if lines[-1] else [])
    return "\n        ".join(pieces) or '""'


def write_header(members, out):
    entries = "\n".join(f'    {{"{m.name}",\n        {c_literal(runtime_text(m))}}},'
                        for m in members if m.kind != "constructor")
    out.write_text(f"""// Generated from src/module/tarvik.pyi by tools/docstrings.py; do not edit.
#pragma once

#include <string_view>

namespace tarvik::module {{

struct Docstring {{
    std::string_view name;
    const char* text;
}};

inline constexpr Docstring DOCSTRINGS[] = {{
{entries}
}};

// The documentation of a member of the module ("Board.to_fen"), found at compile time: a name the
// stub does not document does not compile.
consteval const char* doc(std::string_view name) {{
    for (const Docstring& entry : DOCSTRINGS) {{
        if (entry.name == name) return entry.text;
    }}
    throw "the stub documents no such member";
}}

}}  // namespace tarvik::module
""", encoding="utf-8")


def markdown(doc):
    """A docstring as Markdown: its doctest examples become code blocks that run as tests."""
    lines, out, in_example = inspect.cleandoc(doc).splitlines(), [], False
    for line in lines + [""]:
        if line.startswith(">>>") and not in_example:
            out += ["```python"]
            in_example = True
        if in_example and not line.strip():
            out += ["", "```"]
            in_example = False
        out.append(line)
    return "\n".join(out).rstrip() + "\n"


def heading(member, owner):
    parameters = member.parameters.replace("$self, ", "").replace("$self", "").replace("$type, ", "")
    parameters = parameters.replace("$type", "")
    if member.kind == "constructor":
        return f"### `{member.name}{parameters}`"
    if member.kind == "attribute":
        return f"### `{member.short_name}`"
    if member.kind == "classmethod":
        return f"### `{owner}.{member.short_name}{parameters}` (class method)"
    return f"### `{member.short_name}{parameters}`"


def write_reference(module_doc, members, out):
    sections = [f"# tarvik API reference\n\n{markdown(module_doc)}"]
    in_module_section = False
    for member in members:
        owner = member.name.split(".")[0]
        if member.kind == "function" and not in_module_section:
            sections.append("## Module\n")
            in_module_section = True
        if member.kind == "class":
            sections.append(f"## `{member.name}`\n\n{markdown(member.doc)}")
            in_module_section = False
        else:
            sections.append(f"{heading(member, owner)}\n\n{markdown(member.doc)}")
    out.write_text("\n".join(sections), encoding="utf-8")


def main(command, stub, out):
    module_doc, members = read_stub(stub)
    if command == "header":
        write_header(members, pathlib.Path(out))
    elif command == "reference":
        write_reference(module_doc, members, pathlib.Path(out))
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(*sys.argv[1:])
