#!/usr/bin/env python3
"""The layering rule of src/: a folder includes only from its own floor or a floor below.

Reads every `#include "folder/file.h"` line under src/ and fails, naming the file, the line
and the include, when a folder includes one above it, or a subsystem includes another
subsystem that is not among the allowed pairs below, or those pairs close a circle.
tests/ may include anything and is not read. Usage: check_layers.py [repository root]
"""
import os
import re
import sys

# Bottom to top. Folders on one floor may include each other only as SIDEWAYS allows.
FLOORS = [
    ["resources", "shell"],  # resource ids; text, encoding, seams and small helpers
    ["language"],  # the translations and the language in use
    ["log"],  # the log buffer, file and boxes
    ["state"],  # the application state and the shared vocabulary
    ["settings", "catalog", "system", "update", "holdoff", "triggers", "diagnose", "dialogs", "crash"],
    ["tray"],  # the notification-area icon, its images and its menus
    ["app"],  # start-up, window procedure, dispatcher, command line
]

# The subsystems that use another subsystem, each pair on purpose and none in a circle.
SIDEWAYS = {
    ("system", "catalog"),  # the current saver is looked up in the catalog
    ("system", "settings"),
    ("dialogs", "settings"),
    ("update", "settings"),  # the organisation's policy on the update check
    ("triggers", "settings"),
    ("triggers", "system"),
    ("triggers", "holdoff"),  # corners respect the hold-off
    ("diagnose", "catalog"),
    ("diagnose", "system"),
    ("diagnose", "holdoff"),
    ("diagnose", "dialogs"),
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def floor_of(folder):
    for level, folders in enumerate(FLOORS):
        if folder in folders:
            return level
    return None


def circle(pairs):
    """A circle among the allowed pairs, as a list of folders, or None."""
    graph = {}
    for source, target in pairs:
        graph.setdefault(source, []).append(target)
    state = {}

    def visit(node, path):
        state[node] = 1
        for nxt in graph.get(node, []):
            if state.get(nxt) == 1:
                return path[path.index(nxt):] + [nxt]
            if not state.get(nxt):
                found = visit(nxt, path + [nxt])
                if found:
                    return found
        state[node] = 2
        return None

    for node in sorted(graph):
        if not state.get(node):
            found = visit(node, [node])
            if found:
                return found
    return None


def check(root):
    faults = []
    loop = circle(SIDEWAYS)
    if loop:
        faults.append("allowed pairs form a circle: " + " -> ".join(loop))
    src = os.path.join(root, "src")
    for folder in sorted(os.listdir(src)):
        if not os.path.isdir(os.path.join(src, folder)):
            continue
        level = floor_of(folder)
        if level is None:
            faults.append("src/%s/: folder has no floor in tools/check_layers.py" % folder)
            continue
        for base, _, files in os.walk(os.path.join(src, folder)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp", ".rc")):
                    continue
                path = os.path.join(base, name)
                shown = os.path.relpath(path, root).replace(os.sep, "/")
                with open(path, encoding="utf-8", errors="replace") as text:
                    for number, line in enumerate(text, 1):
                        match = INCLUDE.match(line)
                        if not match or "/" not in match.group(1):
                            continue  # same folder, resources or the generated configuration
                        target = match.group(1).split("/")[0]
                        if target == folder:
                            continue
                        target_level = floor_of(target)
                        if target_level is None:
                            continue  # not a folder of src/
                        if target_level > level:
                            faults.append('%s:%d: includes "%s": %s is above %s' %
                                          (shown, number, match.group(1), target, folder))
                        elif target_level == level and (folder, target) not in SIDEWAYS:
                            faults.append('%s:%d: includes "%s": %s and %s share a floor and the pair is not allowed' %
                                          (shown, number, match.group(1), folder, target))
    return faults


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    faults = check(root)
    for fault in faults:
        print(fault)
    if faults:
        print("layering check: %d include(s) break the floors" % len(faults))
        return 1
    print("layering check: every include of src/ keeps to its floor")
    return 0


if __name__ == "__main__":
    sys.exit(main())
