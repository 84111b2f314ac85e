#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode (SHA-256), using the certificate
# and key in DOZELITE_SIGN_PFX unlocked by DOZELITE_SIGN_PASSWORD, and an RFC 3161 time
# stamp from DOZELITE_SIGN_TIMESTAMP_URL when that is set. With a second argument, the
# signed file is also copied there. The password reaches osslsigncode through a private
# file, never on a command line.
# Usage: sign_file.sh <program> [copy]
set -euo pipefail
file="$1"
: "${DOZELITE_SIGN_PFX:?DOZELITE_SIGN_PFX is not set}"
: "${DOZELITE_SIGN_PASSWORD?DOZELITE_SIGN_PASSWORD is not set}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
( umask 077 && printf '%s' "$DOZELITE_SIGN_PASSWORD" >"$work/password" )
options=(-pkcs12 "$DOZELITE_SIGN_PFX" -readpass "$work/password" -h sha256 -n Dozelite)
if [ -n "${DOZELITE_SIGN_TIMESTAMP_URL:-}" ]; then options+=(-ts "$DOZELITE_SIGN_TIMESTAMP_URL"); fi
if ! osslsigncode sign "${options[@]}" -in "$file" -out "$work/signed" >"$work/output" 2>&1; then
  cat "$work/output" >&2
  echo "signing $file failed" >&2
  exit 1
fi
mv -f "$work/signed" "$file"
if [ $# -ge 2 ]; then cp -f "$file" "$2"; fi
