#!/usr/bin/env bash
# console_wine_e2e.sh BUILD_DIR RESULTS_DIR — kestrin.exe against Wine's registry:
# snapshot, change a test subtree with `wine reg`, snapshot, compare (status 1),
# export-reg --undo, import it with `wine regedit /S`, snapshot, compare with the first
# (status 0); then the same way forward with --redo (Unicode) on the restored registry.
# Writes RESULTS_DIR/console_wine_e2e.xml (one test case per check) for ./test's count.
set -u
build=$1
results=$2
export WINEDEBUG=-all
export LANG=${LANG:-ja_JP.UTF-8}
work="$build/console-e2e"
rm -rf "$work"
mkdir -p "$work"
cp "$build/bin/kestrin.exe" "$build/bin/keyCtrl.txt" "$work/"
cd "$work"

passed=0
failed=0
cases=""
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
    cases+="<testcase name=\"$1\"/>"
    echo "ok   $1"
  else
    failed=$((failed + 1))
    cases+="<testcase name=\"$1\"><failure message=\"expected $2, got $3\"/></testcase>"
    echo "FAIL $1: expected $2, got $3"
  fi
}
kestrin() { wine kestrin.exe "$@" </dev/null; }
reg() { wine reg "$@" >/dev/null 2>&1 </dev/null; }

root='HKCU\Software\KestrinConsoleTest'
reg delete "$root" /f
reg add "$root" /v Keep /d kept /f
reg add "$root" /v Change /d before /f
reg add "$root" /v Remove /d 'to be removed' /f
reg add "$root\\Old\\Deep" /v Inner /t REG_DWORD /d 7 /f
reg add "$root\\Old" /ve /d 'old default' /f

kestrin snapshot s1.rsv 2>s1.log
check snapshot_before 0 $?

reg add "$root" /v Change /d 'after "quoted" C:\path\' /f
reg delete "$root" /v Remove /f
reg delete "$root\\Old" /f
reg add "$root\\New\\Sub" /ve /d 'new default' /f
reg add "$root\\New\\Sub" /v Number /t REG_DWORD /d 0x12345678 /f
reg add "$root\\New\\Sub" /v Expand /t REG_EXPAND_SZ /d '%SystemRoot%\x' /f
reg add "$root\\New\\Sub" /v Multi /t REG_MULTI_SZ /d 'one\0two' /f
reg add "$root\\New\\Sub" /v Binary /t REG_BINARY /d 0102fe /f
reg add "$root\\New" /v '名前' /d '値 ソ表' /f

kestrin snapshot s2.rsv 2>s2.log
check snapshot_after 0 $?
kestrin compare s1.rsv s2.rsv --output changes.txt 2>compare12.log
check compare_changed 1 $?

kestrin export-reg s1.rsv s2.rsv --undo undo.reg 2>undo.log
check export_undo 0 $?
wine regedit /S undo.reg </dev/null
wineserver -w 2>/dev/null || true
kestrin snapshot s3.rsv 2>s3.log
check snapshot_restored 0 $?
kestrin compare s1.rsv s3.rsv --encoding utf8 >restored.txt 2>compare13.log
status=$?
check compare_restored_equals_first 0 $status
[ "$status" = 0 ] || cat restored.txt

kestrin export-reg s1.rsv s2.rsv --redo --unicode redo.reg 2>redo.log
check export_redo 0 $?
wine regedit /S redo.reg </dev/null
kestrin snapshot s4.rsv 2>s4.log
check snapshot_redone 0 $?
kestrin compare s2.rsv s4.rsv --encoding utf8 >redone.txt 2>compare24.log
status=$?
check compare_redone_equals_second 0 $status
[ "$status" = 0 ] || cat redone.txt

reg delete "$root" /f
echo "<?xml version=\"1.0\"?><testsuites tests=\"$((passed + failed))\" failures=\"$failed\" errors=\"0\" disabled=\"0\"><testsuite name=\"console_wine_e2e\">$cases</testsuite></testsuites>" \
  >"$results/console_wine_e2e.xml"
echo "console_wine_e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
