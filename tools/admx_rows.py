#!/usr/bin/env python3
"""Writes the values the Group Policy template writes as a C++ table, for the test that
writes each of them into the registry and checks what the program then does.

One row per value a policy can write: its enabled and disabled values, each item of a
drop-down list, the least and the greatest number of a number box, and one row for a
list of names and values (the test gives the entries). Usage: admx_rows.py <admx> <header>
"""
import os
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"


def c_text(text):
    return '"' + text.replace('\\', '\\\\').replace('"', '\\"') + '"'


def rows(admx):
    found = []
    for policy in ET.parse(admx).getroot().iter(NS + "policy"):
        name, key, scope = policy.get("name"), policy.get("key"), policy.get("class")
        value_name = policy.get("valueName")
        for part, how in (("enabledValue", "enabled"), ("disabledValue", "disabled")):
            value = policy.find(NS + part)
            if value_name and value is not None and value.find(NS + "decimal") is not None:
                found.append((name, scope, how, key, value_name, int(value.find(NS + "decimal").get("value"))))
        elements = policy.find(NS + "elements")
        for element in (elements if elements is not None else []):
            kind = element.tag[len(NS):]
            element_key = element.get("key") or key
            if kind == "decimal":
                for bound, how in (("minValue", "least"), ("maxValue", "greatest")):
                    found.append((name, scope, how, element_key, element.get("valueName"),
                                  int(element.get(bound, "0" if bound == "minValue" else "9999"))))
            elif kind == "enum":
                for item in element.findall(NS + "item"):
                    number = int(item.find(NS + "value").find(NS + "decimal").get("value"))
                    found.append((name, scope, "item", element_key, element.get("valueName"), number))
            elif kind == "boolean":
                found.append((name, scope, "on", element_key, element.get("valueName"), 1))
                found.append((name, scope, "off", element_key, element.get("valueName"), 0))
            elif kind == "list":
                found.append((name, scope, "list", element_key, "", 0))
            else:
                raise SystemExit("admx_rows.py: %s: element %s has no row kind" % (name, kind))
    return found


def main():
    admx, header = sys.argv[1], sys.argv[2]
    lines = ["// Generated from %s by tools/admx_rows.py: every value its policies write." % os.path.basename(admx),
             "#pragma once", "",
             "struct AdmxRow {",
             "  const char* policy;",
             "  const char* scope;  // the policy's class: Machine, User or Both",
             "  const char* how;  // enabled, disabled, item, least, greatest, on, off, or list (entries the test's)",
             "  const char* key;",
             "  const char* valueName;  // \"\" for a list",
             "  unsigned long value;",
             "};", "",
             "constexpr AdmxRow kAdmxRows[] = {"]
    for name, scope, how, key, value_name, value in rows(admx):
        lines.append("    {%s, %s, %s, %s, %s, %dul}," % (c_text(name), c_text(scope), c_text(how), c_text(key),
                                                        c_text(value_name), value))
    lines += ["};", ""]
    os.makedirs(os.path.dirname(os.path.abspath(header)), exist_ok=True)
    text = "\n".join(lines)
    if not os.path.exists(header) or open(header, encoding="utf-8").read() != text:
        with open(header, "w", encoding="utf-8", newline="\n") as stream:
            stream.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
