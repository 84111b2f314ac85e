# Shared by the package tests: one line per expectation and a summary exit code.
# Source it, call check for each expectation, end with finish_checks.
check_failures=0
check() {
  local description="$1"
  shift
  if "$@" >/dev/null 2>&1; then
    printf 'ok   %s\n' "$description"
  else
    printf 'FAIL %s\n' "$description"
    check_failures=$((check_failures + 1))
  fi
}
finish_checks() {
  [ "$check_failures" -eq 0 ] && return 0
  printf '%d checks failed\n' "$check_failures"
  return 1
}
