#!/usr/bin/python3
"""Checks the Japanese translation against the sources: every text the
sources hand to Qt's translation is in the .ts file, every entry of the file
is still in the sources, and every entry has a finished translation that keeps
the source's %1, %2 ... placeholders.

usage: check_translations.py SOURCE_DIR LUPDATE
Exits 77 (skipped) when lupdate is not there.
"""
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

# The folders whose sources hold the program's texts.
FOLDERS = ["platform", "pens", "imagefiles", "board", "store", "settings", "mirror", "tiles", "setup",
           "auxiliary", "app"]
TS = os.path.join("translations", "tovarek-w_ja.ts")
PLACEHOLDER = re.compile(r"%\d")


def messages(path):
    """(context, source) -> (translation, type) of every message of a .ts file."""
    out = {}
    for context in ET.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for m in context.iter("message"):
            t = m.find("translation")
            out[(name, m.findtext("source"))] = (t.text or "" if t is not None else "",
                                                 t.get("type", "") if t is not None else "missing")
    return out


def main():
    source_dir, lupdate = sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else ""
    if not lupdate or not os.access(lupdate, os.X_OK):
        print("SKIP: lupdate is not installed (Debian: qt6-l10n-tools)")
        return 77
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        fresh = os.path.join(tmp, "fresh.ts")
        r = subprocess.run([lupdate, "-I", ".", "-no-obsolete", "-locations", "none", *FOLDERS, "-ts", fresh],
                           cwd=source_dir, capture_output=True, text=True)
        if r.returncode != 0 or not os.path.exists(fresh):
            print(r.stdout, r.stderr)
            print("FAIL: lupdate did not read the sources")
            return 1
        # lupdate's complaints (a tr() it cannot place in a class) are faults too.
        for line in (r.stdout + r.stderr).splitlines():
            if ("warning" in line.lower() or "Qualifying" in line or "Cannot" in line) \
                    and "Ignoring definition" not in line:
                problems.append(f"lupdate: {line.strip()}")
        in_sources = set(messages(fresh))
    kept = messages(os.path.join(source_dir, TS))
    for key in sorted(in_sources - set(kept)):
        problems.append(f"not in {TS}: {key[0]}: {key[1]!r}")
    for key in sorted(set(kept) - in_sources):
        problems.append(f"no longer in the sources: {key[0]}: {key[1]!r}")
    for (context, source), (text, kind) in sorted(kept.items()):
        if kind or not text.strip():
            problems.append(f"untranslated ({kind or 'empty'}): {context}: {source!r}")
        elif sorted(PLACEHOLDER.findall(source)) != sorted(PLACEHOLDER.findall(text)):
            problems.append(f"placeholders differ: {context}: {source!r} -> {text!r}")
    for p in problems:
        print("FAIL:", p)
    print(f"{len(kept)} messages checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
