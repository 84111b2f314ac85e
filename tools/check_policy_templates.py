#!/usr/bin/env python3
"""The Group Policy templates against themselves and against the program.

Reads policy/Dozelite.admx and every policy/<language>/Dozelite.adml and fails, naming what
is wrong, when:
- a file is not well-formed XML or its root, namespace or required parts are missing;
- a policy lacks its category, its supportedOn, its explainText or a known class, writes
  outside Software\\Policies\\Dozelite and its HoldOff subkey, or its presentation refers to
  no element of it;
- the ADMX uses a comboBox (endpoint managers refuse them);
- a $(string.X) or $(presentation.X) of the ADMX, or an item a presentation shows, is
  missing from an ADML, or a presentation refers to an element id the policy lacks;
- a registry value the templates write is not one the program reads with that type (the
  program reads the DWORD values named in src/settings/policy_store.cpp's table, and under
  HoldOff the two switches of src/holdoff/holdoff_store.h and one text value per program,
  written by a list of explicit values, and one text value per schedule under
  HoldOff\\Schedules), or one the program reads has no template.
This checks structure and the agreement with the program; tools/check_policy_schema.sh
validates the files against the published ADMX schema, given its files.
Usage: check_policy_templates.py [repository root]
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
KEY = "Software\\Policies\\Dozelite"
HOLDOFF = "HoldOff"
SCHEDULES_KEY = HOLDOFF + "\\Schedules"
KEYS = {KEY: "", KEY + "\\" + HOLDOFF: HOLDOFF + "\\", KEY + "\\" + SCHEDULES_KEY: SCHEDULES_KEY + "\\"}
PROGRAMS = HOLDOFF + "\\<program>"
SCHEDULES = SCHEDULES_KEY + "\\<label>"
# What a list writes, by the key it writes under.
LISTS = {HOLDOFF + "\\": (PROGRAMS, "REG_SZ per program"), SCHEDULES_KEY + "\\": (SCHEDULES, "REG_SZ per schedule")}
REFERENCE = re.compile(r"^\$\((string|presentation)\.([A-Za-z0-9_]+)\)$")
PRESENTATION_ELEMENTS = {"decimalTextBox", "textBox", "checkBox", "dropdownList", "listBox", "longDecimalTextBox",
                         "multiTextBox", "text"}


def program_values(root):
    """The policy value names the program reads, all as REG_DWORD."""
    source = open(os.path.join(root, "src", "settings", "policy_store.cpp"), encoding="utf-8").read()
    table = re.search(r"Policy programPolicies\[\] = \{(.*?)\n\};", source, re.S)
    if not table:
        return None
    values = {name: "REG_DWORD" for name in re.findall(r'\{"([A-Za-z]+)", false, 0\}', table.group(1))}
    holdoff = open(os.path.join(root, "src", "holdoff", "holdoff_store.h"), encoding="utf-8").read()
    if 'kHoldOffPolicyKey = "Software\\\\Policies\\\\Dozelite\\\\HoldOff"' not in holdoff:
        return None
    for switch in re.findall(r'kHoldOff(?:Enabled|FullScreen)Value = "([a-z]+)"', holdoff):
        values[HOLDOFF + "\\" + switch] = "REG_DWORD"
    values[PROGRAMS] = "REG_SZ per program"
    clock = open(os.path.join(root, "src", "holdoff", "clock_store.h"), encoding="utf-8").read()
    if 'kSchedulesPolicyKey = "Software\\\\Policies\\\\Dozelite\\\\HoldOff\\\\Schedules"' not in clock:
        return None
    values[SCHEDULES] = "REG_SZ per schedule"
    return values


def written_values(policy, faults):
    """(value name, registry type) pairs one ADMX policy writes."""
    name = policy.get("name")
    prefix = KEYS.get(policy.get("key"), "")
    found = []
    if policy.get("valueName"):
        for part in ("enabledValue", "disabledValue"):
            value = policy.find(NS + part)
            if value is None:
                continue
            kinds = [child.tag[len(NS):] for child in value]
            if kinds != ["decimal"]:
                faults.append(f"{name}: {part} is {kinds}, the program reads a DWORD")
            found.append((prefix + policy.get("valueName"), "REG_DWORD"))
    elements = policy.find(NS + "elements")
    for element in (elements if elements is not None else []):
        kind = element.tag[len(NS):]
        value_name = prefix + (element.get("valueName") or "")
        if kind == "list":
            if element.get("explicitValue") != "true" or prefix not in LISTS:
                faults.append(f"{name}: list {element.get('id')} must give explicit values under HoldOff")
            found.append(LISTS.get(prefix, (PROGRAMS, "REG_SZ per program")))
        elif kind == "decimal":
            found.append((value_name, "REG_DWORD"))
        elif kind == "boolean":
            found.append((value_name, "REG_DWORD"))
        elif kind == "enum":
            for item in element.findall(NS + "item"):
                kinds = [child.tag[len(NS):] for child in item.find(NS + "value")]
                if kinds != ["decimal"]:
                    faults.append(f"{name}: item of {value_name} is {kinds}, the program reads a DWORD")
            found.append((value_name, "REG_DWORD"))
        else:
            faults.append(f"{name}: element {kind} writes {value_name} as text, the program reads a DWORD")
        if element.get("key") not in (None, KEY):
            faults.append(f"{name}: element {element.get('id')} writes under {element.get('key')}")
    if not found:
        faults.append(f"{name}: writes no value")
    return sorted(set(found))


def check(root, program):
    faults = []
    folder = os.path.join(root, "policy")
    try:
        admx = ET.parse(os.path.join(folder, "Dozelite.admx")).getroot()
    except (OSError, ET.ParseError) as error:
        return [f"Dozelite.admx: {error}"]
    if admx.tag != NS + "policyDefinitions":
        faults.append(f"Dozelite.admx: root is {admx.tag}")
    for part in ("policyNamespaces", "resources", "supportedOn", "categories", "policies"):
        if admx.find(NS + part) is None:
            faults.append(f"Dozelite.admx: no {part}")
    if "comboBox" in open(os.path.join(folder, "Dozelite.admx"), encoding="utf-8").read():
        faults.append("Dozelite.admx: a comboBox")

    categories = {c.get("name") for c in admx.iter(NS + "category")}
    supported = {d.get("name") for d in admx.iter(NS + "definition")}
    references = set()
    for element in admx.iter():
        for attribute in ("displayName", "explainText", "presentation"):
            text = element.get(attribute)
            if text is None:
                continue
            match = REFERENCE.match(text)
            if not match:
                faults.append(f"Dozelite.admx: {attribute}={text} is no reference")
            else:
                references.add((match.group(1), match.group(2)))

    presentations_used = {}
    written = {}
    for policy in admx.iter(NS + "policy"):
        name = policy.get("name")
        if policy.get("class") not in ("Machine", "User", "Both"):
            faults.append(f"{name}: class {policy.get('class')}")
        if policy.get("key") not in KEYS:
            faults.append(f"{name}: key {policy.get('key')}")
        if not policy.get("explainText"):
            faults.append(f"{name}: no explainText")
        parent = policy.find(NS + "parentCategory")
        if parent is None or parent.get("ref") not in categories:
            faults.append(f"{name}: no known parentCategory")
        support = policy.find(NS + "supportedOn")
        if support is None or support.get("ref") not in supported:
            faults.append(f"{name}: no known supportedOn")
        for value_name, kind in written_values(policy, faults):
            if value_name in written and written[value_name] != name:
                faults.append(f"{name}: {value_name} is written by {written[value_name]} too")
            written[value_name] = name
            expected = program.get(value_name) if program else None
            if expected != kind:
                faults.append(f"{name}: writes {value_name} as {kind}; the program reads "
                              f"{expected or 'no such value'}")
        if policy.get("presentation"):
            ids = {e.get("id") for e in (policy.find(NS + "elements") or [])}
            presentations_used[REFERENCE.match(policy.get("presentation")).group(2)] = (name, ids)
    for value_name in sorted(set(program or {}) - set(written)):
        faults.append(f"the program reads {value_name}, which no policy of the templates writes")

    languages = [d for d in sorted(os.listdir(folder)) if os.path.isdir(os.path.join(folder, d))]
    if not languages:
        faults.append("no language folder with Dozelite.adml")
    for language in languages:
        path = os.path.join(folder, language, "Dozelite.adml")
        try:
            adml = ET.parse(path).getroot()
        except (OSError, ET.ParseError) as error:
            faults.append(f"{language}/Dozelite.adml: {error}")
            continue
        if adml.tag != NS + "policyDefinitionResources":
            faults.append(f"{language}/Dozelite.adml: root is {adml.tag}")
        strings = {s.get("id") for s in adml.iter(NS + "string")}
        presentations = {p.get("id"): p for p in adml.iter(NS + "presentation")}
        for kind, ident in sorted(references):
            if ident not in (strings if kind == "string" else presentations):
                faults.append(f"{language}/Dozelite.adml: no {kind} {ident}")
        for ident, (policy, ids) in presentations_used.items():
            for shown in presentations.get(ident, []):
                if shown.tag[len(NS):] not in PRESENTATION_ELEMENTS:
                    faults.append(f"{language}: presentation {ident} has {shown.tag[len(NS):]}")
                if shown.get("refId") is not None and shown.get("refId") not in ids:
                    faults.append(f"{language}: presentation {ident} shows {shown.get('refId')}, not of {policy}")
    return faults


if __name__ == "__main__":
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    program = program_values(root)
    if not program:
        print("check_policy_templates: the program's policy table was not found")
        sys.exit(1)
    found = check(root, program)
    for fault in found:
        print("check_policy_templates:", fault)
    if found:
        sys.exit(1)
    print(f"check_policy_templates: {len(program)} values agree between the templates and the program")
