#!/usr/bin/env python3
"""Fails on any #include in src/ that points up the layers, however it is written.

  app -> ui -> core -> platform; convert uses nothing of ours; platform nothing above it.

Every include is resolved as the compiler would find it: next to the including file
first, then from src/ (the one include path every layer has), then among the generated
headers. An include that resolves nowhere in src/ is a system or Qt header; core and
convert may use Qt Core only, so a Qt Gui or Widgets header there fails too.
Usage: check_includes.py SRC_DIR [QT_MODULE_INCLUDE_DIR...] (the Gui and Widgets ones)
"""
import os
import re
import sys

ALLOWED = {
    "app": {"app", "ui", "core", "convert", "platform"},
    "ui": {"ui", "core", "convert", "platform"},
    "core": {"core", "platform"},
    "convert": {"convert"},
    "platform": {"platform"},
}
# Made at build time from a template in a layer's folder.
GENERATED = {"Version.h": "core"}
QT_CORE_ONLY = {"core", "convert"}
INCLUDE = re.compile(r'^\s*#\s*include\s*(?:"([^"]+)"|<([^>]+)>|(.*))')
SOURCES = (".h", ".hpp", ".cpp", ".cc", ".in")


def layer_of(src, path):
    rel = os.path.relpath(path, src)
    if rel.startswith(".."):
        return None
    first = rel.split(os.sep)[0]
    return first if first in ALLOWED else "main"


def qt_header(module_dir, target):
    """Whether <target> is a header of the Qt module in module_dir (<QWidget> or <QtWidgets/QWidget>)."""
    module = os.path.basename(module_dir.rstrip("/"))
    if target.startswith(module + "/"):
        return os.path.isfile(os.path.join(os.path.dirname(module_dir.rstrip("/")), target))
    return "/" not in target and os.path.isfile(os.path.join(module_dir, target))


def main():
    src = os.path.realpath(sys.argv[1])
    qt_gui_dirs = sys.argv[2:]
    faults = []
    checked = 0
    for folder, _, names in os.walk(src):
        for name in sorted(names):
            if not name.endswith(SOURCES):
                continue
            path = os.path.join(folder, name)
            layer = layer_of(src, os.path.realpath(path))
            with open(path, encoding="utf-8", errors="replace") as f:
                lines = f.readlines()
            for number, line in enumerate(lines, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                checked += 1
                where = f"{os.path.relpath(path, src)}:{number}"
                quoted, angled, other = m.groups()
                target = quoted or angled
                if not target:
                    faults.append(f"{where}: an include that cannot be checked: {other.strip()}")
                    continue
                candidates = [os.path.join(folder, target)] if quoted else []
                candidates.append(os.path.join(src, target))
                found = next((c for c in candidates if os.path.isfile(c)), None)
                if found:
                    found = os.path.realpath(found)
                    to = layer_of(src, found)
                    if to is None:
                        faults.append(f"{where}: {target} leads out of src/")
                        continue
                elif target in GENERATED:
                    to = GENERATED[target]
                elif quoted and target.endswith(".moc"):
                    continue
                elif quoted:
                    faults.append(f"{where}: {target} is not found")
                    continue
                else:
                    if layer in QT_CORE_ONLY and any(qt_header(d, target) for d in qt_gui_dirs):
                        faults.append(f"{where}: {layer} uses Qt Core only, not <{target}>")
                    continue
                if layer != "main" and to != "main" and to not in ALLOWED[layer]:
                    faults.append(f"{where}: {layer} includes {target}, which is {to}")
                elif to == "main" and layer != "main":
                    faults.append(f"{where}: {layer} includes {target}, outside every layer")
    for fault in faults:
        print(fault)
    print(f"{checked} includes checked, {len(faults)} pointing the wrong way")
    return 1 if faults or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
