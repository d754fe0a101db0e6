#!/usr/bin/env python3
"""Checks every #include under src/, and under tests/ when given, against the layers' edges.

Arrows only point down: a file may include its own layer and the layers listed for it.
The Linux implementations of the platform services (platform/linux/) are reached only
by the start-up composition; Qt only by gui/. The tests mirror src/: tests/<layer>/ tests
that layer and may use what it may, the machine's implementations (platform/linux/) and
the shared fixture (tests/support/); the other folders of tests/ run whole programs or
are the fixture. Prints each wrong include; exit 1 if any.
"""
import pathlib
import re
import sys

BELOW = {
    "common": [],
    "platform": ["common"],
    "platform/linux": ["platform", "common"],
    "card": ["platform", "common"],
    "doctor": ["card", "platform/linux", "platform", "common"],
    "dialup": ["card", "platform", "common"],
    "accounting": ["dialup", "card", "platform", "common"],
    "mainwnd": ["accounting", "dialup", "card", "platform", "common"],
    "app": ["mainwnd", "accounting", "dialup", "doctor", "card", "platform/linux", "platform", "common"],
    "gui": ["app", "mainwnd", "accounting", "dialup", "doctor", "card", "platform", "common"],
    "cli": ["app", "mainwnd", "accounting", "dialup", "doctor", "card", "platform", "common"],
}
QT_LAYERS = {"gui"}
# Folders of tests/ that are no layer's: the fixture, and tests of whole programs.
TEST_AREAS = {"support", "security", "e2e", "layers", "scripts", "package"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(relative: str) -> str:
    parts = relative.split("/")
    if parts[0] == "platform" and len(parts) > 2 and parts[1] == "linux":
        return "platform/linux"
    return parts[0]


def check_tree(root: pathlib.Path, shown: str, tests: bool, errors: list) -> None:
    if tests:
        for folder in sorted(p for p in root.iterdir() if p.is_dir()):
            if folder.name not in BELOW and folder.name not in TEST_AREAS:
                errors.append(f"{shown}/{folder.name}: folder is no layer of src/ and no test area")
    for path in sorted(root.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = path.relative_to(root).as_posix()
        here = layer_of(relative)
        if tests and here in TEST_AREAS:
            continue
        if here not in BELOW:
            errors.append(f"{shown}/{relative}: folder '{here}' is in no layer")
            continue
        allowed = {here, *BELOW[here]}
        if tests:
            allowed.add("platform/linux")
        relative = f"{shown}/{relative}"
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, target = match.groups()
            if kind == "<":
                if re.match(r"Q[A-Za-z]", target) and here not in QT_LAYERS:
                    errors.append(f"{relative}:{number}: Qt header <{target}> outside gui/")
                continue
            if "/" not in target:
                continue
            there = layer_of(target)
            if there in BELOW and there not in allowed:
                errors.append(f"{relative}:{number}: {here} may not include {target} ({there} is not below it)")


def main() -> int:
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    errors: list = []
    check_tree(src, "src", False, errors)
    if len(sys.argv) > 2:
        check_tree(pathlib.Path(sys.argv[2]), "tests", True, errors)
    for error in errors:
        print(error)
    print(f"{len(errors)} wrong include(s)" if errors else "every include points down")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
