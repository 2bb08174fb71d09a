#!/usr/bin/env bash
# Runs every libFuzzer program of build/fuzz for a bounded time (KESTRIN_FUZZ_SECONDS,
# 30 by default) on its seed corpus plus the inputs earlier runs found (kept in the
# build folder, so the checked-in seeds never change). Extra libFuzzer flags of a
# target live in fuzz/<name>.flags. A crash leaves its input as build/fuzz/crash-*.
# Prints one line per target and "fuzz: P passed, F failed" last; exits non-zero on F > 0.
set -u
cd "$(dirname "$0")/.."
seconds=${KESTRIN_FUZZ_SECONDS:-30}
passed=0
failed=0
for program in build/fuzz/fuzz/*_fuzzer; do
  [ -x "$program" ] || continue
  name=$(basename "$program" _fuzzer)
  mkdir -p "build/fuzz/corpus/$name"
  flags=""
  [ -f "fuzz/$name.flags" ] && flags=$(cat "fuzz/$name.flags")
  # shellcheck disable=SC2086
  if "$program" -max_total_time="$seconds" -print_final_stats=1 $flags \
      -artifact_prefix=build/fuzz/ "build/fuzz/corpus/$name" "fuzz/corpus/$name" \
      >"build/fuzz/$name.log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "build/fuzz/$name.log")
    echo "fuzz $name: ${runs:-?} executions in ${seconds} s, no failure"
    passed=$((passed + 1))
  else
    echo "fuzz $name: FAILED (see build/fuzz/$name.log)"
    tail -20 "build/fuzz/$name.log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
