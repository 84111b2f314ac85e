#!/usr/bin/env bash
# "cmake --preset windows" with no option: the toolchain file takes OpenSSL from the -D
# option, then OPENSSL_MINGW_ROOT in the environment, then the path ./dev setup keeps in
# its cache folder; with none of them (or a stale one) configuring stops with one line.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$root/tests/package/checks.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Two stand-in OpenSSL folders: configuring looks only for the header and the library.
for name in first second; do
  mkdir -p "$work/$name/include/openssl" "$work/$name/lib"
  touch "$work/$name/include/openssl/crypto.h" "$work/$name/lib/libcrypto.a"
done
mkdir -p "$work/home" "$work/cache" "$work/stale"
echo "$work/first" >"$work/cache/openssl-mingw64.path"
echo "$work/gone" >"$work/stale/openssl-mingw64.path"
missing="OpenSSL for MinGW not found: run ./dev setup (or set OPENSSL_MINGW_ROOT)"

# configure <folder> <environment words...> [-- cmake options...]: prints cmake's output.
configure() {
  local folder="$work/build-$1"
  shift
  local environment=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do environment+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  (cd "$root" && env -u OPENSSL_MINGW_ROOT -u DOZELITE_CACHE HOME="$work/home" "${environment[@]}" \
     cmake --preset windows -B "$folder" "$@" 2>&1)
}
chosen_root() { sed -n 's/^OPENSSL_MINGW_ROOT:PATH=//p' "$work/build-$1/CMakeCache.txt" 2>/dev/null; }

# name | environment | options | expected root ("" = configuring stops)
while IFS='|' read -r name environment options expected; do
  # shellcheck disable=SC2086
  output="$(configure "$name" $environment -- $options)"
  status=$?
  if [ -z "$expected" ]; then
    check "$name: stops" test "$status" -ne 0
    check "$name: says what to do in one line" grep -qxF "  $missing" <<<"$output"
  else
    check "$name: configures" test "$status" -eq 0
    check "$name: takes $expected" test "$(chosen_root "$name")" = "$work/$expected"
  fi
done <<ROWS
nothing-set|||
cache-of-setup|DOZELITE_CACHE=$work/cache||first
environment-before-cache|DOZELITE_CACHE=$work/cache OPENSSL_MINGW_ROOT=$work/second||second
option-before-environment|OPENSSL_MINGW_ROOT=$work/second|-DOPENSSL_MINGW_ROOT=$work/first|first
stale-cache|DOZELITE_CACHE=$work/stale||
ROWS
finish_checks
