#!/usr/bin/env bash
# ./dev package as a release is made, into throw-away folders: the portable zip holds
# exactly the shipped files, the winget manifests name the setup program's SHA-256 and
# validate offline (and the validator refuses what is broken), and with a self-signed
# certificate made here every shipped program carries a SHA-256 signature that
# osslsigncode verifies, while a wrong password stops the release.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$root/tests/package/checks.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
version="$(sed -n 's/^project(Dozelite VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
built="$root/build/windows/Dozelite.exe"

package() { (cd "$root" && env "$@" ./dev package) >"$work/package.log" 2>&1; }
validates() { /usr/bin/python3 "$root/tools/package/validate_winget.py" "$1"; }
sha_of() { sha256sum "$1" | cut -d' ' -f1; }
names_sha() { grep -qi "InstallerSha256: \"$(sha_of "$2")\"" "$1/Dozelite.Dozelite.installer.yaml"; }
# signed_ok <file>: a SHA-256 signature that chains to the test certificate.
signed_ok() {
  local report
  report="$(osslsigncode verify -CAfile "$work/cert.pem" -in "$1" 2>&1)"
  grep -q "Signature verification: ok" <<<"$report" && grep -qi "digest algorithm *: *SHA256" <<<"$report"
}
unsigned() { ! osslsigncode verify -in "$1" >/dev/null 2>&1; }

# ---- without signing
out="$work/plain"
check "./dev package succeeds" package DOZELITE_PACKAGE_OUT="$out" || cat "$work/package.log"
setup="$out/Dozelite-$version-setup.exe"
zip="$out/Dozelite-$version-portable.zip"
manifests="$out/winget/$version"
check "the setup program is written" test -s "$setup"
check "the zip holds the program, the help, README.txt, LICENSE.txt and the notices, nothing else" \
  test "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "Dozelite.chm Dozelite.exe LICENSE.txt README.txt THIRD-PARTY-NOTICES.txt "
check "the zipped program is the one built" cmp <(unzip -p "$zip" Dozelite.exe) "$built"
check "the README names the version" grep -q "Dozelite $version (portable)" <(unzip -p "$zip" README.txt)
check "the README names every place the program writes to" \
  sh -c "unzip -p '$zip' README.txt | tr -d '\r' | tr '\n' ' ' | grep -F 'Software\Dozelite' | grep -F '%LOCALAPPDATA%\Dozelite' | grep -F '%TEMP%\Dozelite.log' | grep -qF '%TEMP%\Dozelite-'"
check "the licence is the repository's" grep -q "MIT License" <(unzip -p "$zip" LICENSE.txt)
templates="$out/Dozelite-$version-policy-templates.zip"
check "the policy templates' zip holds the ADMX and the English ADML as an admin copies them" \
  sh -c "unzip -Z1 '$templates' | grep -qx 'PolicyDefinitions/Dozelite.admx' && unzip -Z1 '$templates' | grep -qx 'PolicyDefinitions/en-US/Dozelite.adml'"
check "and one ADML for each language of the program" \
  test "$(unzip -Z1 "$templates" | grep -c '/Dozelite.adml$')" = "$(( $(ls "$root"/po/*.po | wc -l) + 1 ))"
check "the manifests validate" validates "$manifests"
check "the installer manifest names the setup program's SHA-256" names_sha "$manifests" "$setup"
check "both scopes are offered" test "$(grep -c '^    Scope: \(user\|machine\)$' "$manifests/Dozelite.Dozelite.installer.yaml")" = 2
check "without a certificate nothing is signed" unsigned "$setup"

# ---- the bill of materials and the notices
bom="$out/Dozelite-$version.cdx.json"
schemas="${DOZELITE_CACHE:-$HOME/.cache/dozelite}/cyclonedx-schema"
sbom_validates() { /usr/bin/python3 "$root/tools/package/validate_sbom.py" "$schemas" "$1"; }
component_version() {
  /usr/bin/python3 -c 'import json, sys
print(" ".join(c["version"] for c in json.load(open(sys.argv[1]))["components"] if c["name"] == sys.argv[2]))' "$bom" "$1"
}
check "the bill of materials is written" test -s "$bom"
check "it validates against the official CycloneDX 1.6 schema" sbom_validates "$bom"
sed 's/"id": "Apache-2.0"/"id": "Apache 2"/' "$bom" >"$work/broken.cdx.json"
check "the schema check refuses a licence that is no SPDX id" sh -c "! /usr/bin/python3 '$root/tools/package/validate_sbom.py' '$schemas' '$work/broken.cdx.json'"
openssl_root="$(sed -n 's/^OPENSSL_MINGW_ROOT:PATH=//p' "$root/build/windows/CMakeCache.txt")"
linked_openssl="$(strings "$openssl_root"/lib*/libcrypto.a | sed -n 's/^OpenSSL \([0-9][0-9.]*[a-z]*\) .*/\1/p' | head -n1)"
check "it names OpenSSL $linked_openssl, the version in the libcrypto linked" \
  test "$(component_version "OpenSSL libcrypto")" = "$linked_openssl"
for component in libstdc++ libgcc winpthreads mingw-w64-crt; do
  check "it names $component, linked statically" test -n "$(component_version "$component")"
done
unzip -p "$zip" THIRD-PARTY-NOTICES.txt >"$work/notices.txt"
check "the notices carry OpenSSL's licence" grep -q "Apache License" "$work/notices.txt"
check "the GCC runtime's licence and exception" grep -q "GCC RUNTIME LIBRARY EXCEPTION" "$work/notices.txt"
check "and the MinGW-w64 runtime's" grep -q "mingw-w64 project" "$work/notices.txt"

# ---- the MSI
msi="$out/Dozelite-$version-x64.msi"
msi_table() { msiinfo export "$msi" "$1" 2>/dev/null | tr -d '\r' | tail -n +4; }
msi_property() { msi_table Property | sed -n "s/^$1\t//p"; }
check "the MSI is written" test -s "$msi"
check "it installs for everyone (ALLUSERS=1)" test "$(msi_property ALLUSERS)" = 1
check "its version is $version" test "$(msi_property ProductVersion)" = "$version"
check "its upgrade code is the fixed one" \
  test "$(msi_property UpgradeCode)" = "$(sed -n 's/.*UpgradeCode="\({[^}]*}\)".*/\1/p' "$root/installer/dozelite.wxs")"
check "it replaces older versions (major upgrade)" sh -c "msiinfo export '$msi' Upgrade | grep -q WIX_UPGRADE_DETECTED"
check "it runs no custom action" test -z "$(msi_table CustomAction)"
check "it has the Start menu shortcut to the program" \
  test "$(msi_table Shortcut | awk -F'\t' '$2 == "ProgramMenuFolder" && $3 == "Dozelite" {print $5}')" = "[INSTALLDIR]Dozelite.exe"
msiextract -C "$work/msi-files" "$msi" >/dev/null 2>&1
check "the MSI's program is the one built" cmp "$work/msi-files/Dozelite/Dozelite.exe" "$built"
check "it holds the notices the zip holds" cmp "$work/msi-files/Dozelite/THIRD-PARTY-NOTICES.txt" "$work/notices.txt"

# The validator refuses what winget would and accepts what it accepts: one changed copy
# of the set per row.
# row: refuses or accepts | what is changed | file | sed expression
while IFS='|' read -r verdict what file expression; do
  changed="$work/changed"
  rm -rf "$changed" && cp -r "$manifests" "$changed"
  sed -i "$expression" "$changed/$file"
  if [ "$verdict" = refuses ]; then
    check "the validator refuses $what" sh -c "! /usr/bin/python3 '$root/tools/package/validate_winget.py' '$changed'"
  else
    check "the validator accepts $what" /usr/bin/python3 "$root/tools/package/validate_winget.py" "$changed"
  fi
done <<'ROWS'
refuses|a SHA-256 one digit short|Dozelite.Dozelite.installer.yaml|s/\(InstallerSha256: "\)./\1/
refuses|an unknown scope|Dozelite.Dozelite.installer.yaml|s/Scope: user/Scope: everyone/
refuses|a download address that is not http(s)|Dozelite.Dozelite.installer.yaml|s#InstallerUrl: https#InstallerUrl: ftp#
refuses|the same Apps & Features entry twice|Dozelite.Dozelite.installer.yaml|/^AppsAndFeaturesEntries:/{n;N;N;p}
refuses|a field the format does not know|Dozelite.Dozelite.installer.yaml|s/^UpgradeBehavior: install/UpgradeBehaviour: install/
refuses|a locale without a licence|Dozelite.Dozelite.locale.en-US.yaml|/^License:/d
refuses|another package's locale|Dozelite.Dozelite.locale.en-US.yaml|s/^PackageIdentifier: .*/PackageIdentifier: Other.Package/
refuses|a default locale with no manifest|Dozelite.Dozelite.yaml|s/^DefaultLocale: .*/DefaultLocale: de-DE/
refuses|another format version|Dozelite.Dozelite.yaml|s/^ManifestVersion: .*/ManifestVersion: 1.99.0/
accepts|an empty installer locale|Dozelite.Dozelite.installer.yaml|s/^InstallerLocale: .*/InstallerLocale: null/
accepts|a second, different Apps & Features entry|Dozelite.Dozelite.installer.yaml|/^AppsAndFeaturesEntries:/{n;N;N;p;s/DisplayName: Dozelite/DisplayName: Dozelite (user)/}
ROWS

# ---- signed with a throw-away certificate
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Dozelite test signing" >/dev/null 2>&1
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/test.pfx" \
  -passout pass:'pass word' >/dev/null 2>&1
out="$work/signed"
check "./dev package signs with DOZELITE_SIGN_PFX and DOZELITE_SIGN_PASSWORD" \
  package DOZELITE_PACKAGE_OUT="$out" DOZELITE_SIGN_PFX="$work/test.pfx" DOZELITE_SIGN_PASSWORD='pass word' ||
  cat "$work/package.log"
check "signing without a time-stamp server is warned about" grep -q "warning: signing without a time stamp" "$work/package.log"
check "the README's signing example keeps the password off the command line" \
  sh -c "! grep -E 'DOZELITE_SIGN_PASSWORD=[^ ]' '$root/README.md'"
setup="$out/Dozelite-$version-setup.exe"
unzip -q -o "$out/Dozelite-$version-portable.zip" Dozelite.exe -d "$work/unzipped" 2>/dev/null
for file in "$setup" "$out/package/Dozelite.exe" "$out/package/uninstall.exe" "$work/unzipped/Dozelite.exe" \
            "$out/Dozelite-$version-x64.msi"; do
  check "signed and verified: ${file#"$work"/}" signed_ok "$file"
done
check "the build's own program stays unsigned" unsigned "$built"
check "the manifest names the signed setup program's SHA-256" names_sha "$out/winget/$version" "$setup"

out="$work/refused"
check "a wrong password stops ./dev package" \
  sh -c "! (cd '$root' && DOZELITE_PACKAGE_OUT='$out' DOZELITE_SIGN_PFX='$work/test.pfx' DOZELITE_SIGN_PASSWORD=wrong ./dev package)"
check "and leaves no setup program" test ! -e "$out/Dozelite-$version-setup.exe"
check "signing needs the password too" \
  sh -c "! (cd '$root' && DOZELITE_PACKAGE_OUT='$out' DOZELITE_SIGN_PFX='$work/test.pfx' ./dev package)"
finish_checks
