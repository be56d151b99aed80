#!/usr/bin/python3
"""Checks every #include of the project against the table of allowed
dependencies in the README's developer section: a folder may include its own
headers, the folders its row names, and nothing else of the project.

usage: check_layers.py SOURCE_DIR
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCE_EXT = (".h", ".cpp")


def allowed_table(readme):
    """Rows of the table that follows the heading 'Layers' in the README:
    | `folder/` | `a/`, `b/` |"""
    table = {}
    in_section = False
    with open(readme, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#"):
                in_section = line.strip().lstrip("#").strip().lower().startswith("layers")
                continue
            if not in_section or not line.startswith("|"):
                continue
            cells = [c.strip() for c in line.strip().strip("|").split("|")]
            if len(cells) < 2:
                continue
            folder = cells[0].strip("`/ ")
            if not folder or set(folder) <= set("-") or folder.lower() == "folder":
                continue
            deps = {d.strip("`/ ") for d in cells[1].split(",")} - {"", "—", "-", "nothing"}
            if "`*`" in cells[1]:
                deps = {"*"}
            table[folder] = deps
    return table


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else ".")
    table = allowed_table(os.path.join(root, "README.md"))
    if not table:
        print("FAIL: the README has no table of allowed dependencies under a 'Layers' heading")
        return 1
    problems = []
    checked = 0
    for folder in sorted(table):
        top = os.path.join(root, folder)
        for dirpath, _, files in os.walk(top):
            for name in files:
                if not name.endswith(SOURCE_EXT):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                checked += 1
                for inc in INCLUDE.findall(text):
                    target = inc.split("/")[0] if "/" in inc else folder
                    if target == folder or not os.path.isdir(os.path.join(root, target)):
                        continue  # its own headers, or a header beside it
                    if "*" in table[folder]:
                        continue
                    if target not in table[folder]:
                        rel = os.path.relpath(path, root)
                        problems.append(f"{rel}: includes \"{inc}\", but {folder}/ may use only "
                                        f"{', '.join(sorted(table[folder])) or 'nothing of the project'}")
    # Folders of the project that the table forgets would escape the check.
    for entry in sorted(os.listdir(root)):
        full = os.path.join(root, entry)
        if entry.startswith(".") or entry in table or not os.path.isdir(full) or entry in ("build", "docs", "cmake"):
            continue
        has_sources = any(n.endswith(SOURCE_EXT) for _, _, fs in os.walk(full) for n in fs)
        if has_sources:
            problems.append(f"{entry}/ holds sources but has no row in the README's table of layers")
    for p in problems:
        print("FAIL:", p)
    print(f"{checked} files checked against {len(table)} layers: {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
