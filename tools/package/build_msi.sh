#!/usr/bin/env bash
# Builds the MSI for everyone from installer/dozelite.wxs with wixl.
# Usage: build_msi.sh <version> <folder with the shipped files> <output .msi> <web address>
# The folder holds Dozelite.exe, Dozelite.chm, LICENSE.txt and THIRD-PARTY-NOTICES.txt.
# The product code follows the version and the package code the files it holds, so a
# rebuild gives the same file and any change a new package; wixl's random package code and
# clock times are then replaced (msi_summary.py), and every file in the cabinet carries
# SOURCE_DATE_EPOCH (default: the last commit's time) as its time.
set -euo pipefail
version="$1" files="$2" msi="$3" web="$4"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
python=/usr/bin/python3
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}"
guid() { "$python" -c 'import sys, uuid; print("{%s}" % str(uuid.uuid5(uuid.NAMESPACE_OID, sys.argv[1])).upper())' "$1"; }

upgrade="$(sed -n 's/.*UpgradeCode="\({[^}]*}\)".*/\1/p' "$root/installer/dozelite.wxs")"
shipped=(Dozelite.exe Dozelite.chm LICENSE.txt THIRD-PARTY-NOTICES.txt)
product="$(guid "$upgrade product $version")"
package="$(guid "$upgrade package $version $(cd "$files" && sha256sum "${shipped[@]}" | sha256sum)")"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/files"
for name in "${shipped[@]}"; do cp "$files/$name" "$work/files/"; done
cp "$root/src/resources/art/dozelite.ico" "$work/files/"
touch -d "@$epoch" "$work/files"/*
# wixl takes source paths relative to the folder it runs in.
if ! (cd "$work" && wixl -a x64 -D Version="$version" -D ProductCode="$product" -D PackageCode="$package" \
        -D StageDir=files -D WebUrl="$web" -o "$work/out.msi" "$root/installer/dozelite.wxs" 2>"$work/log"); then
  grep -v "GLib-GObject-WARNING\|^$" "$work/log" >&2 || true
  echo "wixl failed" >&2
  exit 1
fi
"$python" "$root/tools/package/msi_summary.py" "$work/out.msi" "$package" "$epoch"
mv "$work/out.msi" "$msi"
