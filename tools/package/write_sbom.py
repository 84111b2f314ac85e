#!/usr/bin/env python3
"""Writes the bill of materials of Dozelite.exe (CycloneDX 1.6, JSON) and the notices file
that carries the licence texts of what is linked into it.

What is listed comes from the build itself: the linker's map names every library member
that went into the program; each library is traced to where it came from (the OpenSSL
build of ./dev setup, or the Debian package that installed it), and its version and licence
are read there: OpenSSL's version header and the LICENSE.txt of the source archive it was
built from, the package's version and copyright file. Nothing is typed in by hand; a
library whose origin or licence cannot be read stops the script.

Usage: write_sbom.py --map <Dozelite.map> --build <build folder> --openssl <prefix>
                     --openssl-source <source archive> --version <Dozelite version>
                     --licence <Dozelite's LICENSE> --bom <out.cdx.json> --notices <out.txt>
Time of the bill: SOURCE_DATE_EPOCH (required, so two builds of one commit agree).
"""
import argparse
import datetime
import json
import os
import re
import subprocess
import sys
import tarfile
import uuid

GCC_EXCEPTION_START = "GCC RUNTIME LIBRARY EXCEPTION"
GCC_EXCEPTION_END = "requirements of the license of GCC."
GPL3_TEXT = "/usr/share/common-licenses/GPL-3"

# The components the libraries of the MinGW-w64 tool chain belong to, by file name.
TOOLCHAIN_COMPONENTS = [
    (re.compile(r"^libstdc\+\+\.a$"), "libstdc++", "The GNU C++ standard library (GCC runtime)"),
    (re.compile(r"^libgcc(_eh)?\.a$"), "libgcc", "The GCC low-level runtime library"),
    (re.compile(r"^libssp(_nonshared)?\.a$"), "libssp", "The GCC stack protector runtime"),
    (re.compile(r"^lib(win)?pthread\.a$"), "winpthreads", "The MinGW-w64 POSIX threads library"),
    (re.compile(r"^lib.*\.a$"), "mingw-w64-crt", "The MinGW-w64 C runtime and import libraries"),
]


class Problem(Exception):
    pass


def run(*command):
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        raise Problem("%s failed: %s" % (" ".join(command), result.stderr.strip()))
    return result.stdout


def linked_archives(map_path):
    """The archives (libraries) that gave members to the link, with the members taken."""
    archives = {}
    pattern = re.compile(r"^(/\S+?\.a)\(([^)]+)\)")
    with open(map_path, encoding="utf-8", errors="replace") as file:
        for line in file:
            match = pattern.match(line)
            if match:
                path = os.path.realpath(match.group(1))
                archives.setdefault(path, set()).add(match.group(2))
    if not archives:
        raise Problem("the linker map %s names no library members" % map_path)
    return archives


def licence_id_of_text(text):
    """The SPDX id of a whole licence text, recognised by its title."""
    head = " ".join(text.split()[:40])
    if "Apache License" in head and "Version 2.0" in head:
        return "Apache-2.0"
    if head.startswith("MIT License") or "Permission is hereby granted, free of charge" in text:
        return "MIT"
    raise Problem("unrecognised licence text beginning: %s" % head[:80])


def openssl_component(prefix, source):
    header = os.path.join(prefix, "include", "openssl", "opensslv.h")
    with open(header, encoding="utf-8") as file:
        match = re.search(r'#\s*define\s+OPENSSL_VERSION_STR\s+"([^"]+)"', file.read())
    if not match:
        raise Problem("no OPENSSL_VERSION_STR in %s" % header)
    version = match.group(1)
    with tarfile.open(source) as archive:
        member = next((m for m in archive.getmembers()
                       if re.fullmatch(r"[^/]+/LICEN[CS]E(\.txt)?", m.name)), None)
        if member is None:
            raise Problem("no licence file in %s" % source)
        text = archive.extractfile(member).read().decode("utf-8")
    if "-%s" % version not in os.path.basename(source) and "_%s" % version not in os.path.basename(source):
        raise Problem("the source archive %s is not OpenSSL %s" % (source, version))
    return {
        "key": "openssl",
        "name": "OpenSSL libcrypto",
        "version": version,
        "description": "Cryptography library (SHA-256 and ECDSA P-256 verification of update answers)",
        "purl": "pkg:generic/openssl@%s" % version,
        "licence": {"license": {"id": licence_id_of_text(text)}},
        "notice": text,
        "origin": "built by ./dev setup from %s" % os.path.basename(source),
    }


def dep5_main_licence(text):
    """The licence of the "Files: *" paragraph of a machine-readable copyright file, and
    that paragraph's copyright and licence text."""
    for paragraph in re.split(r"\n\s*\n(?=\S)", text):
        if re.search(r"^Files:\s*\*\s*$", paragraph, re.M):
            copyright = re.search(r"^Copyright:\s*(.*)$", paragraph, re.M)
            licence = re.search(r"^License:\s*(\S+)\s*\n((?:[ \t].*\n?)*)", paragraph + "\n", re.M)
            if not licence:
                break
            body = "\n".join("" if line.strip() == "." else line[1:] for line in licence.group(2).splitlines())
            notice = ("Copyright %s\n\n" % copyright.group(1).strip() if copyright else "") + body.strip() + "\n"
            return licence.group(1), notice
    raise Problem("no licence for all files in the copyright file")


def gcc_runtime_licence(text):
    start = text.find(GCC_EXCEPTION_START)
    end = text.find(GCC_EXCEPTION_END, start)
    if start < 0 or end < 0 or "Version 3.1" not in text[start:start + 200]:
        raise Problem("the copyright file holds no GCC Runtime Library Exception 3.1")
    with open(GPL3_TEXT, encoding="utf-8") as file:
        gpl = file.read()
    if "GNU GENERAL PUBLIC LICENSE" not in gpl[:200] or "Version 3" not in gpl[:300]:
        raise Problem("%s is not the GPL version 3" % GPL3_TEXT)
    notice = text[start:end + len(GCC_EXCEPTION_END)] + "\n\n" + gpl
    return "GPL-3.0-or-later WITH GCC-exception-3.1", notice


def debian_component(path, members):
    package = run("dpkg-query", "-S", path).split(":")[0].strip()
    fields = run("dpkg-query", "-W", "-f", "${Version}\t${Architecture}\t${source:Package}", package).split("\t")
    debian_version, architecture, source = fields
    upstream = re.sub(r"^\d+:", "", debian_version).split("-")[0]
    copyright_path = "/usr/share/doc/%s/copyright" % package
    with open(copyright_path, encoding="utf-8", errors="replace") as file:
        copyright = file.read()
    if copyright.startswith("Format:"):
        identifier, notice = dep5_main_licence(copyright)
        licence = {"license": {"id": identifier}}
    else:
        expression, notice = gcc_runtime_licence(copyright)
        licence = {"expression": expression}
    name = os.path.basename(path)
    key, description = next((k, d) for pattern, k, d in TOOLCHAIN_COMPONENTS if pattern.match(name))
    return {
        "key": key,
        "name": key,
        "version": upstream,
        "description": description,
        "purl": "pkg:deb/debian/%s@%s?arch=%s" % (package, debian_version, architecture),
        "licence": licence,
        "notice": notice,
        "origin": "Debian package %s %s (source %s), %s" % (package, debian_version, source, copyright_path),
        "archive": name,
    }


def components_of(archives, build, openssl_prefix, openssl_source):
    build = os.path.realpath(build) + os.sep
    openssl_prefix = os.path.realpath(openssl_prefix) + os.sep
    found = {}
    for path in sorted(archives):
        if path.startswith(build):
            continue  # Dozelite's own code and the delay-load tables the build makes
        if path.startswith(openssl_prefix):
            component = openssl_component(openssl_prefix, openssl_source)
        else:
            component = debian_component(path, archives[path])
        entry = found.setdefault(component["key"], component)
        if entry["version"] != component["version"] or entry["licence"] != component["licence"]:
            raise Problem("%s comes from two places: %s and %s" % (component["key"], entry["origin"],
                                                                    component["origin"]))
        entry.setdefault("archives", set()).add(os.path.basename(path))
    return [found[key] for key in sorted(found)]


def bom(version, licence_id, components, epoch):
    timestamp = datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
    identity = "dozelite %s: " % version + ", ".join("%s %s" % (c["key"], c["version"]) for c in components)
    main_ref = "pkg:generic/dozelite@%s" % version
    return {
        "$schema": "http://cyclonedx.org/schema/bom-1.6.schema.json",
        "bomFormat": "CycloneDX",
        "specVersion": "1.6",
        "serialNumber": "urn:uuid:%s" % uuid.uuid5(uuid.NAMESPACE_URL, identity),
        "version": 1,
        "metadata": {
            "timestamp": timestamp,
            "tools": {"components": [{"type": "application", "name": "write_sbom.py", "group": "dozelite"}]},
            "component": {
                "type": "application",
                "bom-ref": main_ref,
                "name": "Dozelite",
                "version": version,
                "description": "Dozelite.exe, statically linked",
                "licenses": [{"license": {"id": licence_id}}],
                "purl": main_ref,
            },
        },
        "components": [{
            "type": "library",
            "bom-ref": "%s@%s" % (c["key"], c["version"]),
            "name": c["name"],
            "version": c["version"],
            "description": c["description"],
            "scope": "required",
            "licenses": [c["licence"]],
            "purl": c["purl"],
            "properties": [
                {"name": "dozelite:origin", "value": c["origin"]},
                {"name": "dozelite:linked", "value": ", ".join(sorted(c["archives"]))},
            ],
        } for c in components],
        "dependencies": [
            {"ref": main_ref, "dependsOn": ["%s@%s" % (c["key"], c["version"]) for c in components]},
        ] + [{"ref": "%s@%s" % (c["key"], c["version"]), "dependsOn": []} for c in components],
    }


def notices(components):
    parts = ["THIRD-PARTY NOTICES\n\n"
             "Dozelite.exe contains the following libraries, linked statically. Each is listed with\n"
             "its version and licence, followed by the licence text.\n"]
    for c in components:
        licence = c["licence"].get("expression") or c["licence"]["license"]["id"]
        parts.append("\n%s\n%s %s (%s)\n%s\n\n%s" % ("=" * 78, c["name"], c["version"], licence, "=" * 78,
                                                     c["notice"].strip() + "\n"))
    return "".join(parts)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    for option in ("map", "build", "openssl", "openssl-source", "version", "licence", "bom", "notices"):
        parser.add_argument("--" + option, required=True)
    arguments = parser.parse_args()
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        print("write_sbom.py: SOURCE_DATE_EPOCH is not set", file=sys.stderr)
        return 2
    try:
        with open(arguments.licence, encoding="utf-8") as file:
            own_licence = licence_id_of_text(file.read())
        components = components_of(linked_archives(arguments.map), arguments.build, arguments.openssl,
                                   getattr(arguments, "openssl_source"))
    except (Problem, OSError, tarfile.TarError) as problem:
        print("write_sbom.py: %s" % problem, file=sys.stderr)
        return 1
    with open(arguments.bom, "w", encoding="utf-8", newline="\n") as file:
        json.dump(bom(arguments.version, own_licence, components, int(epoch)), file, indent=2, ensure_ascii=False)
        file.write("\n")
    with open(arguments.notices, "w", encoding="utf-8", newline="\r\n") as file:
        file.write(notices(components))
    return 0


if __name__ == "__main__":
    sys.exit(main())
