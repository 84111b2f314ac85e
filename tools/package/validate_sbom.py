#!/usr/bin/env python3
"""Checks a CycloneDX 1.6 JSON bill of materials against the official JSON schema, as the
CycloneDX project's JavaScript library ships it (res/schema/ of @cyclonedx/cyclonedx-library,
unpacked into the build cache by ./dev setup), with the SPDX licence and signature schemas
it refers to, offline.

Usage: validate_sbom.py <schema folder> <bom.cdx.json>
Prints one line per problem; exit code 0 only for a valid bill.
"""
import json
import os
import sys

import jsonschema

MAIN = "bom-1.6.SNAPSHOT.schema.json"
REFERRED = ("spdx.SNAPSHOT.schema.json", "jsf-0.82.SNAPSHOT.schema.json")


def load(path):
    with open(path, encoding="utf-8") as file:
        return json.load(file)


def main(arguments):
    if len(arguments) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    folder, path = arguments[1], arguments[2]
    schema = load(os.path.join(folder, MAIN))
    base = schema["$id"].rsplit("/", 1)[0] + "/"
    store = {}
    for name in REFERRED:
        referred = load(os.path.join(folder, name))
        store[base + name] = referred
        if "$id" in referred:
            store[referred["$id"]] = referred
    resolver = jsonschema.RefResolver(base_uri=schema["$id"], referrer=schema, store=store)
    validator = jsonschema.Draft7Validator(schema, resolver=resolver, format_checker=jsonschema.FormatChecker())
    try:
        bom = load(path)
    except (OSError, ValueError) as error:
        print("%s cannot be read: %s" % (path, error))
        return 1
    problems = sorted(validator.iter_errors(bom), key=lambda error: list(error.absolute_path))
    for error in problems:
        print("%s: %s" % ("/".join(str(part) for part in error.absolute_path) or "(root)", error.message[:300]))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
