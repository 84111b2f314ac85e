#!/usr/bin/env python3
"""Checks a winget manifest set (format 1.6.0) offline, as far as it can be checked here.

The published JSON schema of the manifest format cannot be fetched on the build machines,
so no copy of it is kept (a copy typed by hand had drifted from it). Instead each field the
manifests use is checked against the rule the format documents for it (required fields,
enumerations, lengths, patterns, unique list entries, fields that may be null), an unknown
field is refused, and the set is checked as a whole: one version, one installer and one
default-locale manifest agreeing on identifier, version and default locale. `winget
validate --manifest <folder>` on Windows remains the final word before publishing.

Usage: validate_winget.py <manifest folder>
Prints one line per problem; exit code 0 only for a valid set.
"""
import os
import re
import sys

import yaml

FORMAT = "1.6.0"
NAME_PART = r"[^.\s\\/:*?\"<>|\x01-\x1f]{1,32}"
IDENTIFIER = re.compile(r"^%s(\.%s){1,7}$" % (NAME_PART, NAME_PART))
VERSION = re.compile(r"^[^\\/:*?\"<>|\x01-\x1f]+$")
LOCALE = re.compile(r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$")
URL = re.compile(r"^([Hh][Tt][Tt][Pp][Ss]?)://.+$")
SHA256 = re.compile(r"^[A-Fa-f0-9]{64}$")
OS_VERSION = re.compile(r"^(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])"
                        r"(\.(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])){0,3}$")
TAG = re.compile(r"^\S+$")


# A rule: (type, nullable, extra checks). Extra checks are (name, test) pairs.
def text(low=1, high=None, pattern=None, nullable=False):
    def check(value):
        if not isinstance(value, str):
            return "must be a text"
        if len(value) < low or (high is not None and len(value) > high):
            return "must be %d to %s characters long" % (low, high if high is not None else "any")
        if pattern is not None and not pattern.match(value):
            return "has not the required form"
        return None
    return (check, nullable)


def choice(*values, nullable=False):
    def check(value):
        return None if value in values else "must be one of %s" % ", ".join(values)
    return (check, nullable)


def listing(item, high, nullable=False):
    def check(value):
        if not isinstance(value, list):
            return "must be a list"
        if len(value) > high:
            return "holds more than %d entries" % high
        seen = []
        for entry in value:
            if entry in seen:
                return "holds the same entry twice"
            seen.append(entry)
        for number, entry in enumerate(value):
            problem = apply_rule(item, entry)
            if problem:
                return "entry %d %s" % (number + 1, problem)
        return None
    return (check, nullable)


def mapping(fields, required=(), nullable=False):
    def check(value):
        problems = record_problems(fields, required, value)
        return "; ".join(problems) if problems else None
    return (check, nullable)


def apply_rule(rule, value):
    check, nullable = rule
    if value is None:
        return None if nullable else "must not be empty"
    return check(value)


def record_problems(fields, required, record, where=""):
    if not isinstance(record, dict):
        return ["%smust be a mapping" % where]
    problems = ["%s%s is missing" % (where, name) for name in required if name not in record]
    for name, value in record.items():
        if name not in fields:
            problems.append("%s%s is not a field of this manifest type" % (where, name))
            continue
        problem = apply_rule(fields[name], value)
        if problem:
            problems.append("%s%s %s" % (where, name, problem))
    return problems


COMMON = {
    "PackageIdentifier": text(1, 128, IDENTIFIER),
    "PackageVersion": text(1, 128, VERSION),
    "ManifestType": choice("version", "installer", "defaultLocale", "locale", "singleton"),
    "ManifestVersion": choice(FORMAT),
}
SWITCHES = mapping({name: text(1, 2048, nullable=True) for name in
                    ("Silent", "SilentWithProgress", "Interactive", "InstallLocation", "Log", "Upgrade", "Custom",
                     "Repair")})
APPS_AND_FEATURES = mapping({
    "DisplayName": text(1, 256, nullable=True),
    "Publisher": text(1, 256, nullable=True),
    "DisplayVersion": text(1, 128, nullable=True),
    "ProductCode": text(1, 255, nullable=True),
    "UpgradeCode": text(1, 255, nullable=True),
    "InstallerType": choice("msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa",
                            "portable", nullable=True),
})
INSTALLER_FIELDS = {
    "InstallerLocale": text(1, 20, LOCALE, nullable=True),
    "Platform": listing(choice("Windows.Desktop", "Windows.Universal"), 2, nullable=True),
    "MinimumOSVersion": text(1, 128, OS_VERSION, nullable=True),
    "InstallerType": choice("msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa",
                            "portable", nullable=True),
    "Scope": choice("user", "machine", nullable=True),
    "InstallModes": listing(choice("interactive", "silent", "silentWithProgress"), 3, nullable=True),
    "InstallerSwitches": SWITCHES,
    "UpgradeBehavior": choice("install", "uninstallPrevious", "deny", nullable=True),
    "ElevationRequirement": choice("elevationRequired", "elevationProhibited", "elevatesSelf", nullable=True),
    "ProductCode": text(1, 255, nullable=True),
    "AppsAndFeaturesEntries": listing(APPS_AND_FEATURES, 128, nullable=True),
}
ONE_INSTALLER = dict(INSTALLER_FIELDS, Architecture=choice("x86", "x64", "arm", "arm64", "neutral"),
                     InstallerUrl=text(1, 2048, URL), InstallerSha256=text(64, 64, SHA256))
INSTALLER = dict(COMMON, Installers=listing(mapping(ONE_INSTALLER, ("Architecture", "InstallerUrl",
                                                                     "InstallerSha256")), 1024), **INSTALLER_FIELDS)
DEFAULT_LOCALE = dict(COMMON, **{
    "PackageLocale": text(1, 20, LOCALE),
    "Publisher": text(2, 256),
    "PublisherUrl": text(1, 2048, URL, nullable=True),
    "PublisherSupportUrl": text(1, 2048, URL, nullable=True),
    "PackageName": text(2, 256),
    "PackageUrl": text(1, 2048, URL, nullable=True),
    "License": text(3, 512),
    "LicenseUrl": text(1, 2048, URL, nullable=True),
    "Copyright": text(3, 512, nullable=True),
    "ShortDescription": text(3, 256),
    "Description": text(3, 10000, nullable=True),
    "Moniker": text(1, 40, TAG, nullable=True),
    "Tags": listing(text(1, 40, TAG), 16, nullable=True),
})
VERSION_FIELDS = dict(COMMON, DefaultLocale=text(1, 20, LOCALE))
RULES = {
    "installer": (INSTALLER, ("PackageIdentifier", "PackageVersion", "Installers", "ManifestType", "ManifestVersion")),
    "defaultLocale": (DEFAULT_LOCALE, ("PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher",
                                       "PackageName", "License", "ShortDescription", "ManifestType",
                                       "ManifestVersion")),
    "version": (VERSION_FIELDS, ("PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType",
                                 "ManifestVersion")),
}


def load_manifest(path):
    with open(path, encoding="utf-8") as file:
        data = yaml.safe_load(file)
    if not isinstance(data, dict):
        raise ValueError("not a YAML mapping")
    return data


def manifest_problems(manifest):
    kind = manifest.get("ManifestType")
    if manifest.get("ManifestVersion") != FORMAT:
        return ["ManifestVersion must be %s, the format checked here" % FORMAT]
    if kind not in RULES:
        return ["ManifestType %r is not checked here" % kind]
    fields, required = RULES[kind]
    return record_problems(fields, required, manifest)


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
    if len(arguments) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    folder = arguments[1]
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
        problems += ["%s: %s" % (name, problem) for problem in manifest_problems(manifests[name])]
    problems += set_problems(manifests)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
