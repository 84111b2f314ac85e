#!/usr/bin/env python3
"""Checks a winget manifest set offline: every file against the schema of the manifest
type and version it names (kept in installer/winget/schema/<version>/), then the set as a
whole: one version, one installer and one default-locale manifest agreeing on identifier,
version and default locale.

Usage: validate_winget.py <schema folder> <manifest folder>
Prints one line per problem; exit code 0 only for a valid set.
"""
import json
import os
import sys

import jsonschema
import yaml


def load_manifest(path):
    with open(path, encoding="utf-8") as file:
        data = yaml.safe_load(file)
    if not isinstance(data, dict):
        raise ValueError("not a YAML mapping")
    return data


def schema_problems(schema_root, manifest):
    kind = manifest.get("ManifestType")
    version = manifest.get("ManifestVersion")
    if not isinstance(kind, str) or not isinstance(version, str):
        return ["ManifestType and ManifestVersion must be texts"]
    path = os.path.join(schema_root, version, "manifest.%s.%s.json" % (kind, version))
    if not os.path.isfile(path):
        return ["no schema kept for %s manifests of version %s" % (kind, version)]
    with open(path, encoding="utf-8") as file:
        schema = json.load(file)
    validator = jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker())
    return ["%s: %s" % ("/".join(str(p) for p in error.absolute_path) or "(root)", error.message)
            for error in sorted(validator.iter_errors(manifest), key=lambda e: list(e.absolute_path))]


def set_problems(manifests):
    by_kind = {}
    for name, manifest in manifests.items():
        by_kind.setdefault(manifest.get("ManifestType"), []).append(name)
    problems = []
    for kind in ("version", "installer", "defaultLocale"):
        count = len(by_kind.get(kind, []))
        if count != 1:
            problems.append("the set holds %d %s manifests, not 1" % (count, kind))
    for field in ("PackageIdentifier", "PackageVersion", "ManifestVersion"):
        values = {str(manifest.get(field)) for manifest in manifests.values()}
        if len(values) > 1:
            problems.append("the manifests disagree on %s: %s" % (field, ", ".join(sorted(values))))
    if not problems:
        version = manifests[by_kind["version"][0]]
        locale = manifests[by_kind["defaultLocale"][0]]
        if version.get("DefaultLocale") != locale.get("PackageLocale"):
            problems.append("DefaultLocale %s has no default-locale manifest" % version.get("DefaultLocale"))
    return problems


def main(arguments):
    if len(arguments) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    schema_root, folder = arguments[1], arguments[2]
    problems = []
    manifests = {}
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".yaml"):
            continue
        try:
            manifests[name] = load_manifest(os.path.join(folder, name))
        except (OSError, ValueError, yaml.YAMLError) as error:
            problems.append("%s: cannot be read: %s" % (name, error))
            continue
        problems += ["%s: %s" % (name, problem) for problem in schema_problems(schema_root, manifests[name])]
    problems += set_problems(manifests)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
