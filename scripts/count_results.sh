#!/usr/bin/env bash
# count_results.sh EXTRA_PASSED EXTRA_FAILED BUILD_DIR... — adds up the GoogleTest XML reports of
# every test program that CTest ran in the build folders, and counts a program that
# CTest ran but that left no report (a crash before the end) as one failed test.
# The extra counts are results of steps that are not test programs (failed builds,
# fuzz runs). Prints "N passed, M failed" and exits non-zero when M > 0.
set -u
passed=$1
failed=$2
shift 2
for dir in "$@"; do
  [ -f "$dir/CTestTestfile.cmake" ] || continue
  # CTest files name each test as add_test(name ...) or add_test([=[name]=] ...).
  for program in $(find "$dir" -name CTestTestfile.cmake -exec sed -n 's/^add_test(\(\[=\[\)\{0,1\}\([A-Za-z0-9_]*\).*/\2/p' {} +); do
    report="$dir/test-results/$program.xml"
    if [ ! -f "$report" ]; then
      echo "no report from $dir/$program (crashed or not run)"
      failed=$((failed + 1))
      continue
    fi
    header=$(grep -m1 '<testsuites' "$report")
    tests=$(echo "$header" | sed -n 's/.* tests="\([0-9]*\)".*/\1/p')
    failures=$(echo "$header" | sed -n 's/.* failures="\([0-9]*\)".*/\1/p')
    errors=$(echo "$header" | sed -n 's/.* errors="\([0-9]*\)".*/\1/p')
    disabled=$(echo "$header" | sed -n 's/.* disabled="\([0-9]*\)".*/\1/p')
    bad=$((failures + ${errors:-0}))
    passed=$((passed + tests - bad - ${disabled:-0}))
    failed=$((failed + bad))
  done
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
