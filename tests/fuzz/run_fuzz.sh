#!/bin/sh
# Builds the fuzz targets with the `fuzz` preset and runs each for a bounded
# time from the committed seed corpus. New inputs found go to a scratch
# folder, so the committed corpus stays as it is.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${FUZZ_SECONDS:-30}
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 --target fuzz_ini fuzz_number
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
passed=0
for target in ini number; do
  mkdir -p "$work/$target"
  echo "== fuzz_$target for ${seconds}s"
  if "build/fuzz/bin/fuzz_$target" -max_total_time="$seconds" -max_len=65536 \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$root/build/fuzz/fuzz_$target-" \
      "$work/$target" "tests/fuzz/corpus/$target" 2>"$work/$target.log"; then
    passed=$((passed + 1))
    grep -E '^(Done|stat::number_of_executed_units)' "$work/$target.log" || true
  else
    failed=$((failed + 1))
    tail -n 40 "$work/$target.log"
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
