# Sourced by the end-to-end scripts: the tally of their checks and the closing
# line "NAME e2e: N passed, M failed" that test.sh reads. Expects $suite.
passed=0
failed=0
ok() { echo "ok $1${2:+ ($2)}"; passed=$((passed + 1)); }
fail() { echo "FAIL $1${2:+: $2}"; failed=$((failed + 1)); }
# check NAME STATUS WHY: a pass when STATUS is 0.
check() { if [ "$2" -eq 0 ]; then ok "$1"; else fail "$1" "$3"; fi; }
finish() {
  echo "$suite e2e: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}
