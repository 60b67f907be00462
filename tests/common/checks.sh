# The checks of the shell test scripts (sourced): one line per check, and
# finish prints "N passed, M failed" (", K skipped" when some were), which
# scripts/test counts, and exits non-zero when a check failed.
passed=0
failed=0
skipped=0

pass() { passed=$((passed + 1)); echo "ok    $1"; }
fail() { failed=$((failed + 1)); echo "FAIL  $1${2:+: $2}"; }
check() { # check NAME COMMAND...
  local name=$1; shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}
finish() {
  if [ "$skipped" -gt 0 ]; then
    echo "$passed passed, $failed failed, $skipped skipped"
  else
    echo "$passed passed, $failed failed"
  fi
  [ "$failed" -eq 0 ]
  exit
}
