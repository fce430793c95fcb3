#!/usr/bin/env python3
"""Keeps the source tree in the shape its README describes.

1. Layers. Each folder of src/ includes only its own headers, the folders of
   lower layers, and the few feature-to-feature entries named below. The
   plug-in folder is the top: nothing else includes it.
2. Size. No source file in src/, host/ or netlib/ passes MAX_LINES lines.

Run with the repository root as argument. --self-test feeds the checker the
kinds of include that once crept in and fails unless each is caught.
"""
import os
import re
import sys

MAX_LINES = 600

BASE = {"common", "kit", "resources", "module"}
# What each folder may include besides itself. The base folders hold no
# product knowledge: the module's state may use the bounded helpers, nothing
# more.
ALLOWED = {
    "common": set(),
    "kit": set(),
    "resources": set(),
    "module": {"common"},
    "settings": BASE,
    "ui": BASE | {"settings"},
    "optiontree": BASE | {"settings", "ui"},
    "dialogs": BASE | {"settings", "ui"},
    "troubleshooting": BASE | {"settings", "ui"},
    "about": BASE | {"settings", "ui"},
    "plugin": BASE | {"settings", "ui", "optiontree", "dialogs", "troubleshooting", "about"},
}
# Feature folders do not include each other, except: the option tree wires
# the push buttons to their dialogs, and the Troubleshooting page opens About.
FEATURE_ENTRIES = {
    ("optiontree", "dialogs/push_buttons.h"),
    ("troubleshooting", "about/about_dialog.h"),
}
SOURCE_ENDINGS = (".cpp", ".h", ".rc", ".rci")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def include_faults(folder, included):
    """Faults of one #include "included" written in src/<folder>/."""
    if "/" not in included:
        return []  # a file beside the includer (resource scripts)
    target = included.split("/", 1)[0]
    if target == folder:
        return []
    if folder not in ALLOWED:
        return ["folder src/%s/ has no place in the layer order" % folder]
    if target in ALLOWED[folder] or (folder, included) in FEATURE_ENTRIES:
        return []
    if target not in ALLOWED:
        return ["includes %s from an unknown folder" % included]
    if target == "plugin":
        return ["includes %s: nothing below the plug-in folder may" % included]
    return ["includes %s, which src/%s/ may not (layer order or feature to feature)" % (included, folder)]


def check_includes(root):
    faults = []
    src = os.path.join(root, "src")
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        for dirpath, _, files in os.walk(path):
            for name in sorted(files):
                if not name.endswith(SOURCE_ENDINGS):
                    continue
                file_path = os.path.join(dirpath, name)
                with open(file_path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        rel = os.path.relpath(file_path, root)
                        for fault in include_faults(folder, m.group(1)):
                            faults.append("%s:%d: %s" % (rel, number, fault))
    return faults


def check_sizes(root):
    faults = []
    for top in ("src", "host", "netlib"):
        for dirpath, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                file_path = os.path.join(dirpath, name)
                with open(file_path, encoding="utf-8", errors="replace") as f:
                    count = sum(1 for _ in f)
                if count > MAX_LINES:
                    faults.append("%s: %d lines, more than %d" % (os.path.relpath(file_path, root), count, MAX_LINES))
    return faults


def self_test():
    must_fail = [
        ("ui", "plugin/module_state.h"),
        ("ui", "plugin/activation_context.h"),
        ("optiontree", "plugin/module_state.h"),
        ("dialogs", "troubleshooting/html_help.h"),
        ("dialogs", "optiontree/printer_values.h"),
        ("troubleshooting", "optiontree/port_address.h"),
        ("settings", "ui/captions.h"),
        ("common", "settings/model_config.h"),
        ("module", "settings/model_config.h"),
        ("about", "troubleshooting/trouble_page.h"),
        ("optiontree", "dialogs/print_and_hold.h"),
        ("gadgets", "common/handles.h"),
    ]
    must_pass = [
        ("plugin", "optiontree/common_ui_prop.h"),
        ("optiontree", "dialogs/push_buttons.h"),
        ("troubleshooting", "about/about_dialog.h"),
        ("ui", "settings/profile_reader.h"),
        ("resources", "resource_ids.h"),
        ("settings", "settings/model_config.h"),
    ]
    wrong = [c for c in must_fail if not include_faults(*c)] + [c for c in must_pass if include_faults(*c)]
    for folder, included in wrong:
        print("self-test: src/%s/ including %s judged wrongly" % (folder, included))
    return not wrong


def main(argv):
    if "--self-test" in argv:
        ok = self_test()
        print("layout self-test: %s" % ("passed" if ok else "FAILED"))
        return 0 if ok else 1
    root = argv[1] if len(argv) > 1 else "."
    faults = check_includes(root) + check_sizes(root)
    for fault in faults:
        print(fault)
    print("layout: %d fault(s)" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
