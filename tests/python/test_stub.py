"""vendrel.pyi, the editors' view of the module, says what the module does: the same
functions, keywords in the same order with the same defaults, and the same keys in
what comes back."""
import ast
import os

import numpy as np
import pytest

import vendrel

with open(os.environ["VENDREL_PYTHON_STUB"], encoding="utf-8") as _f:
    STUB = ast.parse(_f.read())

FUNCTIONS = {}  # name -> every def of it (overloads included)
CLASSES = {}
for _node in STUB.body:
    if isinstance(_node, ast.FunctionDef):
        FUNCTIONS.setdefault(_node.name, []).append(_node)
    elif isinstance(_node, ast.ClassDef):
        CLASSES[_node.name] = _node


def keywords(args):
    """[(name, default or None)] of a def's arguments, in order."""
    plain = args.posonlyargs + args.args + args.kwonlyargs
    defaults = [None] * (len(args.posonlyargs + args.args) - len(args.defaults)) + list(args.defaults)
    defaults += list(args.kw_defaults)
    return [(a.arg, None if d is None else ast.literal_eval(d)) for a, d in zip(plain, defaults)]


def documented(function):
    """The keywords of the signature that opens the function's docstring."""
    doc = function.__doc__
    head = doc[:doc.index(" -> ")]
    return keywords(ast.parse(f"def {' '.join(head.split())}: pass").body[0].args)


def stub_keys(name):
    return [n.target.id for n in CLASSES[name].body if isinstance(n, ast.AnnAssign)]


def test_the_same_functions_and_the_version():
    public = sorted(n for n in dir(vendrel) if not n.startswith("_") and callable(getattr(vendrel, n)))
    assert sorted(FUNCTIONS) == public
    assert any(isinstance(n, ast.AnnAssign) and n.target.id == "__version__" for n in STUB.body)
    assert isinstance(vendrel.__version__, str)


@pytest.mark.parametrize("name", ["fly", "trajectory", "fit"])
def test_keywords_and_defaults_as_the_module_documents_them(name):
    for overload in FUNCTIONS[name]:
        assert keywords(overload.args) == documented(getattr(vendrel, name)), ast.unparse(overload.args)


@pytest.mark.parametrize("name", ["fly", "trajectory"])
def test_the_stubs_defaults_are_the_modules(name):
    defaults = {k: v for k, v in keywords(FUNCTIONS[name][0].args)}
    function = getattr(vendrel, name)
    got, want = function(**defaults), function()
    if isinstance(want, np.ndarray):
        assert np.array_equal(got, want)
    else:
        assert got == want


def test_what_comes_back_has_the_stubs_keys():
    one = vendrel.fly()
    assert list(one) == stub_keys("Flight")
    assert list(one["landing"]) == stub_keys("Landing")
    ball = vendrel.fly(model="ball")
    assert list(ball) == stub_keys("Flight") + stub_keys("BallFlight")
    assert list(ball["rest"]) == stub_keys("Rest")
    assert list(vendrel.fly(angle=[10.0, 20.0])) == stub_keys("Flights")
    shots = {"angle": [10.0, 14.0, 18.0], "distance": [150.0, 170.0, 185.0], "apex": [8.0, 12.0, 17.0]}
    result = vendrel.fit(shots)
    assert list(result) == stub_keys("FitResult")
    measured = result["shots"][0]["distance"]
    assert list(measured) == stub_keys("Measured")
