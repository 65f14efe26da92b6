#!/usr/bin/env bash
# Builds every preset and runs every test: the unit tests natively, under
# AddressSanitizer + UBSan, and cross-built for 64-bit Windows under Wine; the
# fuzzers for a bounded time; the end-to-end scenarios under Wine on Xvfb.
set -uo pipefail
cd "$(dirname "$0")"
root=$PWD

scripts/install-deps.sh
. scripts/wine-env.sh
logs="$root/build/logs"
mkdir -p "$logs"

passed=0
failed=0
failures=()
fail() { failed=$((failed + 1)); failures+=("$1"); echo "FAILED: $1"; }

build() {
  local preset=$1
  echo "== build $preset"
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j2; } >"$logs/build-$preset.log" 2>&1; then
    tail -n 40 "$logs/build-$preset.log"
    fail "build $preset"
    return 1
  fi
  if grep -q "warning:" "$logs/build-$preset.log"; then
    grep "warning:" "$logs/build-$preset.log" | sort -u | head -n 20
    fail "warnings in the $preset build"
  fi
}

# Adds one suite's counts to the totals: GOOD BAD NAME.
tally() {
  passed=$((passed + $1))
  failed=$((failed + $2))
  [ "$2" -eq 0 ] || failures+=("$3")
}

# ctest's summary: "100% tests passed, 0 tests failed out of 57"
count_ctest() {
  local line bad total
  line=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$1" | tail -n 1)
  if [ -z "$line" ]; then fail "$2 (no summary)"; return; fi
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  tally $((total - bad)) "$bad" "$2"
}

# GoogleTest's summary: "[  PASSED  ] 57 tests." and "[  FAILED  ] 2 tests, listed below:"
count_gtest() {
  local good bad
  good=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$1" | tail -n 1 | grep -oE '[0-9]+' | head -n 1)
  bad=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$1" | tail -n 1 | grep -oE '[0-9]+' | head -n 1)
  if [ -z "$good" ] && [ -z "$bad" ]; then fail "$2 (no summary)"; return; fi
  tally "${good:-0}" "${bad:-0}" "$2"
}

# Lines "NAME: N passed, M failed" printed by the scripted suites.
count_plain() {
  local line
  line=$(grep -E '[0-9]+ passed, [0-9]+ failed' "$1" | tail -n 1)
  if [ -z "$line" ]; then fail "$2 (no summary)"; return; fi
  tally "$(sed -E 's/.*\b([0-9]+) passed, ([0-9]+) failed.*/\1/' <<<"$line")" \
    "$(sed -E 's/.*\b([0-9]+) passed, ([0-9]+) failed.*/\2/' <<<"$line")" "$2"
}

# Runs each executable script given, with its checks shown and counted.
run_scripts() {
  local suite name
  for suite in "$@"; do
    [ -x "$suite" ] || continue
    name=$(basename "$suite" .sh)
    echo "== $name"
    "$suite" >"$logs/$name.log" 2>&1
    grep -E '^(ok|FAIL) ' "$logs/$name.log"
    count_plain "$logs/$name.log" "$name"
  done
}

start=$(date +%s)

if build native; then
  echo "== unit tests (native)"
  ctest --preset native -j2 >"$logs/unit-native.log" 2>&1
  tail -n 3 "$logs/unit-native.log"
  count_ctest "$logs/unit-native.log" "unit tests (native)"
fi

if build sanitize; then
  echo "== unit tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
  ctest --preset sanitize -j2 >"$logs/unit-sanitize.log" 2>&1
  tail -n 3 "$logs/unit-sanitize.log"
  count_ctest "$logs/unit-sanitize.log" "unit tests (sanitizers)"
fi

# Build-folder histories that must not leave a Windows build unoptimised.
run_scripts tests/build/*_test.sh

build win32 || true

if build win64; then
  echo "== unit tests (win64 under Wine)"
  wineboot -i >/dev/null 2>&1; wineserver -w
  (cd build/win64/bin && xvfb-run -a -s "-screen 0 1024x768x24" wine tolvarin_tests.exe) \
    >"$logs/unit-win64.log" 2>&1
  grep -E '^\[  (PASSED|FAILED)  \]' "$logs/unit-win64.log" | head -n 20
  count_gtest "$logs/unit-win64.log" "unit tests (win64 under Wine)"

  run_scripts tests/e2e/*_e2e.sh
fi

if [ -x tests/fuzz/run_fuzz.sh ]; then
  echo "== fuzzing (bounded)"
  tests/fuzz/run_fuzz.sh >"$logs/fuzz.log" 2>&1
  tail -n 5 "$logs/fuzz.log"
  count_plain "$logs/fuzz.log" "fuzzing"
fi

echo
echo "Took $(( $(date +%s) - start )) s. Logs: $logs"
for f in "${failures[@]}"; do echo "failed: $f"; done
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
