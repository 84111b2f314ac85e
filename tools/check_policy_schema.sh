#!/bin/bash
# Validates policy/Dozelite.admx and every policy/<locale>/Dozelite.adml against the Group
# Policy ADMX schema (PolicyDefinitionFiles.xsd with BaseTypes.xsd and
# PolicyDefinitions.xsd, as published for download; not part of this repository).
# The published patterns write "\$", which XML Schema's regular expressions do not know
# and libxml2 refuses; a scratch copy has it as "$", which matches the same texts.
# Usage: tools/check_policy_schema.sh <folder of the schema files> [repository root]
set -u
schema="${1:?usage: $0 <folder of the schema files> [repository root]}"
root="${2:-$(cd "$(dirname "$0")/.." && pwd)}"
command -v xmllint >/dev/null || { echo "xmllint is missing (Debian: libxml2-utils)" >&2; exit 2; }
[ -f "$schema/PolicyDefinitionFiles.xsd" ] || { echo "no PolicyDefinitionFiles.xsd in $schema" >&2; exit 2; }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for file in "$schema"/*.xsd; do
  sed 's/\\\$/$/g' "$file" >"$scratch/$(basename "$file")"
done
status=0
for file in "$root"/policy/Dozelite.admx "$root"/policy/*/Dozelite.adml; do
  xmllint --noout --nonet --schema "$scratch/PolicyDefinitionFiles.xsd" "$file" 2>&1 | sed "s|$root/||"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
done
exit "$status"
