"""The typed stub that ships beside the module: it matches the module, documents everything,
and the demo type-checks against it under mypy --strict."""

import ast
import inspect
import pathlib
import re
import subprocess
import sys

import pytest

REPO = pathlib.Path(__file__).resolve().parents[1]
STUB = REPO / "src" / "module" / "tarvik.pyi"


def run_mypy(*arguments):
    return subprocess.run([sys.executable, "-m", *arguments], capture_output=True, text=True, timeout=600, cwd=REPO)


@pytest.mark.parametrize("command", [["mypy.stubtest", "tarvik"], ["mypy", "--strict", "examples/demo.py"]])
def test_mypy_accepts(command):
    result = run_mypy(*command)
    assert result.returncode == 0, result.stdout + result.stderr


def test_every_class_function_and_attribute_has_a_docstring():
    tree = ast.parse(STUB.read_text())
    undocumented = []
    for node in ast.walk(tree):
        if isinstance(node, ast.ClassDef | ast.FunctionDef):
            setter = isinstance(node, ast.FunctionDef) and any(
                ast.unparse(decorator).endswith(".setter") for decorator in node.decorator_list)
            if not ast.get_docstring(node) and not setter:  # a property's docstring covers its setter
                undocumented.append(node.name)
            if isinstance(node, ast.ClassDef):
                body = node.body
                # An attribute's docstring is the string right after its annotation.
                for annotation, following in zip(body, body[1:] + [None]):
                    if isinstance(annotation, ast.AnnAssign) and not (
                            isinstance(following, ast.Expr) and isinstance(following.value, ast.Constant)):
                        undocumented.append(f"{node.name}.{annotation.target.id}")
    assert not undocumented


def test_the_installed_stub_is_the_one_in_the_repository():
    import tarvik  # noqa: F401 - the stub package lies beside the module

    site = pathlib.Path(sys.modules["tarvik"].__file__).parent
    installed = [path for path in sys.path if (pathlib.Path(path) / "tarvik-stubs" / "__init__.pyi").is_file()]
    assert installed, f"no tarvik-stubs on sys.path (the module is in {site})"
    assert (pathlib.Path(installed[0]) / "tarvik-stubs" / "__init__.pyi").read_text() == STUB.read_text()


def test_the_reference_and_the_compiled_docstrings_are_derived_from_the_stub(tmp_path):
    # The stub is the one place the documentation is written; docs/api.md and the
    # module's docstrings are generated from it and must not drift.
    reference = tmp_path / "api.md"
    subprocess.run([sys.executable, str(REPO / "tools" / "docstrings.py"), "reference", str(STUB), str(reference)],
                   check=True)
    assert reference.read_text() == (REPO / "docs" / "api.md").read_text(), "run tools/docstrings.py reference"
    import tarvik  # noqa: PLC0415 - imported where the compiled texts are checked

    tree = ast.parse(STUB.read_text())
    board = next(node for node in tree.body if isinstance(node, ast.ClassDef) and node.name == "Board")
    to_fen = next(node for node in board.body if isinstance(node, ast.FunctionDef) and node.name == "to_fen")
    assert inspect.getdoc(tarvik.Board.to_fen) == ast.get_docstring(to_fen)


def stub_signatures():
    """Each function's and method's parameters as the stub gives them: names (self and cls left out, a
    **kwargs as the keyword-only name it is), how many are required, how many keyword-only."""
    found = {}

    def add(name, arguments):
        positional = [a.arg for a in arguments.posonlyargs + arguments.args if a.arg not in ("self", "cls")]
        keyword_only = [a.arg for a in arguments.kwonlyargs] + ([arguments.kwarg.arg] if arguments.kwarg else [])
        found[name] = (positional + keyword_only, len(positional) - len(arguments.defaults), len(keyword_only))

    for node in ast.parse(STUB.read_text()).body:
        if isinstance(node, ast.FunctionDef):
            add(node.name, node.args)
        elif isinstance(node, ast.ClassDef):
            for member in node.body:
                if isinstance(member, ast.FunctionDef):
                    add(f"{node.name}.{member.name}", member.args)
    return found


def test_the_bindings_take_the_parameters_the_stub_documents():
    # The C++ bindings spell their parameters out for binding; the stub is where they are documented.
    # Every binding that names itself must agree with the stub on names, order, required and keyword-only.
    stub = stub_signatures()
    checked = 0
    for path in sorted((REPO / "src" / "module").glob("*.cpp")):
        text = path.read_text()
        arrays = {}  # the latest array of each name: a file declares `parameters` once per function
        for match in re.finditer(r'constexpr const char\* (\w+)\[\] = \{([^}]*)\};|'
                                 r'\{"([\w.]+)", (\w+), (\d+)(?:, (\d+))?\}', text):
            array_name, items, name, array, required, keyword_only = match.groups()
            if array_name:
                arrays[array_name] = re.findall(r'"([^"]*)"', items)
            elif array in arrays:
                assert name in stub, f"{path.name}: {name} is not in the stub"
                assert stub[name] == (arrays[array], int(required), int(keyword_only or 0)), (path.name, name)
                checked += 1
    assert checked > 80
