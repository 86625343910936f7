"""The typed stub that ships beside the module: it matches the module, documents everything,
and the demo type-checks against it under mypy --strict."""

import ast
import pathlib
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
            if not ast.get_docstring(node):
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
