"""The type stub, the docstrings and the module agree on every function's keywords and
defaults (the stub and the docstrings are both written from the parameter table)."""
import ast
import os
import re

import numpy as np
import pytest

import vendrel

FUNCTIONS = ["fly", "trajectory", "fit"]


def parameters(node):
    args = node.args.args
    defaults = [None] * (len(args) - len(node.args.defaults)) + node.args.defaults
    return [(a.arg, None if d is None else ast.literal_eval(d)) for a, d in zip(args, defaults)]


def stub_functions():
    path = os.path.join(os.path.dirname(vendrel.__file__), "vendrel.pyi")
    with open(path, encoding="utf-8") as f:
        tree = ast.parse(f.read())
    found = {}
    for node in tree.body:
        if isinstance(node, ast.FunctionDef):
            found.setdefault(node.name, []).append(parameters(node))
    return found


def doc_signature(name):
    """The signature line a docstring opens with, wrapped or not, as (keyword, default) pairs."""
    head = getattr(vendrel, name).__doc__.split("\n\n")[0]
    call = head.rsplit(" -> ", 1)[0]
    return parameters(ast.parse("def " + call + ": pass").body[0])


def test_the_stub_declares_what_the_docstrings_open_with():
    stubs = stub_functions()
    assert sorted(stubs) == sorted(FUNCTIONS)
    assert sorted(n for n in dir(vendrel) if callable(getattr(vendrel, n)) and not n.startswith("_")) == sorted(FUNCTIONS)
    for name in FUNCTIONS:
        for declared in stubs[name]:  # fly's two overloads alike
            assert declared == doc_signature(name), name


@pytest.mark.parametrize("name", FUNCTIONS)
def test_the_module_takes_those_keywords_and_no_more(name):
    signature = doc_signature(name)
    fn = getattr(vendrel, name)
    if name != "fit":  # a fit's flights are slow to repeat; its keywords are its own, not the table's
        given = fn(**{key: value for key, value in signature})
        plain = fn()
        if isinstance(plain, np.ndarray):
            assert given.tobytes() == plain.tobytes()
        else:
            assert given == plain
    too_many = [value for _, value in signature] + [None]
    with pytest.raises(TypeError, match="incompatible function arguments"):
        fn(*too_many)


def test_every_keyword_of_fly_has_its_line_in_the_docstring():
    doc = vendrel.fly.__doc__
    for key, _ in doc_signature("fly"):
        assert re.search(rf"^    {key} +\S", doc, re.M), key
