#!/usr/bin/env bash
# Checks the help sources before they are compiled: every page is listed in the project
# and reachable from the contents, every link and anchor it points to exists, and the
# context map names a listed page. Usage: check_help.sh <help source folder>
set -u
cd "$1" || exit 2
failures=0
fail() { echo "check_help: $*" >&2; failures=$((failures + 1)); }

project=dozelite.hhp
listed="$(sed -n '/^\[FILES\]/,/^\[/p' "$project" | grep -v '^\[' | grep -v '^$')"

for page in *.html; do
  grep -qx "$page" <<<"$listed" || fail "$page is not listed in [FILES] of $project"
  grep -q "value=\"$page\"" toc.hhc || fail "$page is not in the contents (toc.hhc)"
  grep -q '<title>[^<]' "$page" || fail "$page has no title"
done

# A target is "file", "file#anchor" or "#anchor" (same page).
check_target() {
  local from="$1" target="$2"
  case "$target" in
    http:* | https:* | mailto:*) return ;;
  esac
  local file="${target%%#*}"
  local anchor=""
  [ "$file" != "$target" ] && anchor="${target#*#}"
  [ -z "$file" ] && file="$from"
  if [ ! -f "$file" ]; then
    fail "$from links to missing $file"
    return
  fi
  if [ -n "$anchor" ] && ! grep -q "id=\"$anchor\"" "$file"; then
    fail "$from links to missing anchor $file#$anchor"
  fi
}

for page in *.html; do
  while read -r target; do
    [ -n "$target" ] && check_target "$page" "$target"
  done < <(grep -o 'href="[^"]*"' "$page" | sed 's/^href="//; s/"$//')
done
for sitemap in toc.hhc index.hhk; do
  while read -r target; do
    [ -n "$target" ] && check_target "$sitemap" "$target"
  done < <(grep -o 'name="Local" value="[^"]*"' "$sitemap" | sed 's/.*value="//; s/"$//')
done

# The context map: every alias names a define and a listed page.
while IFS='=' read -r name page; do
  [ -z "$name" ] && continue
  grep -q "^#define $name " "$project" || fail "alias $name has no #define in [MAP]"
  grep -qx "$page" <<<"$listed" || fail "alias $name points to unlisted $page"
done < <(sed -n '/^\[ALIAS\]/,/^\[/p' "$project" | grep '=')

if [ "$failures" -ne 0 ]; then
  echo "check_help: $failures problem(s)" >&2
  exit 1
fi
exit 0
