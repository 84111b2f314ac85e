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
schema="$root/installer/winget/schema"
built="$root/build/windows/Dozelite.exe"

package() { (cd "$root" && env "$@" ./dev package) >"$work/package.log" 2>&1; }
validates() { python3 "$root/tools/package/validate_winget.py" "$schema" "$1"; }
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
check "the zip holds the program, the help, README.txt and LICENSE.txt, nothing else" \
  test "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "Dozelite.chm Dozelite.exe LICENSE.txt README.txt "
check "the zipped program is the one built" cmp <(unzip -p "$zip" Dozelite.exe) "$built"
check "the README names the version" grep -q "Dozelite $version (portable)" <(unzip -p "$zip" README.txt)
check "the licence is the repository's" grep -q "MIT License" <(unzip -p "$zip" LICENSE.txt)
check "the manifests validate against the kept schema" validates "$manifests"
check "the installer manifest names the setup program's SHA-256" names_sha "$manifests" "$setup"
check "both scopes are offered" test "$(grep -c '^    Scope: \(user\|machine\)$' "$manifests/Dozelite.Dozelite.installer.yaml")" = 2
check "without a certificate nothing is signed" unsigned "$setup"

# The validator refuses what winget would: one broken copy of the set per row.
# row: what is wrong | file | sed expression
while IFS='|' read -r wrong file expression; do
  broken="$work/broken"
  rm -rf "$broken" && cp -r "$manifests" "$broken"
  sed -i "$expression" "$broken/$file"
  check "the validator refuses $wrong" sh -c "! python3 '$root/tools/package/validate_winget.py' '$schema' '$broken'"
done <<'ROWS'
a SHA-256 one digit short|Dozelite.Dozelite.installer.yaml|s/\(InstallerSha256: "\)./\1/
an unknown scope|Dozelite.Dozelite.installer.yaml|s/Scope: user/Scope: everyone/
a download address that is not http(s)|Dozelite.Dozelite.installer.yaml|s#InstallerUrl: https#InstallerUrl: ftp#
a locale without a licence|Dozelite.Dozelite.locale.en-US.yaml|/^License:/d
another package's locale|Dozelite.Dozelite.locale.en-US.yaml|s/^PackageIdentifier: .*/PackageIdentifier: Other.Package/
a default locale with no manifest|Dozelite.Dozelite.yaml|s/^DefaultLocale: .*/DefaultLocale: de-DE/
a schema version not kept here|Dozelite.Dozelite.yaml|s/^ManifestVersion: .*/ManifestVersion: 1.99.0/
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
setup="$out/Dozelite-$version-setup.exe"
unzip -q -o "$out/Dozelite-$version-portable.zip" Dozelite.exe -d "$work/unzipped" 2>/dev/null
for file in "$setup" "$out/package/Dozelite.exe" "$out/package/uninstall.exe" "$work/unzipped/Dozelite.exe"; do
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
