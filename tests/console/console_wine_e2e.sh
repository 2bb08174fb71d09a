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
cp "$build/bin/kestrin.exe" "$work/"
cd "$work"

passed=0 failed=0 cases=""
check() {  # check NAME EXPECTED_STATUS STATUS
  [ "$2" = "$3" ] && { passed=$((passed + 1)); cases+="<testcase name=\"$1\"/>"; echo "ok   $1"; return; }
  failed=$((failed + 1)); echo "FAIL $1: expected $2, got $3"
  cases+="<testcase name=\"$1\"><failure message=\"expected status $2, got $3\"/></testcase>"
}
kestrin() { wine kestrin.exe "$@" </dev/null; }
reg() { wine reg "$@" >/dev/null 2>&1 </dev/null; }

root='HKCU\Software\KestrinConsoleTest'
reg delete "$root" /f
cat >setup.reg <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\KestrinConsoleTest]
"Keep"="kept"
"Change"="before"
"Remove"="to be removed"

[HKEY_CURRENT_USER\Software\KestrinConsoleTest\Old]
@="old default"

[HKEY_CURRENT_USER\Software\KestrinConsoleTest\Old\Deep]
"Inner"=dword:00000007
REG
reg import setup.reg

# The rules beside the program leave everything but the test subtree unread, so that
# what Wine itself writes to its registry meanwhile cannot show up as a change.
{
  echo "[NoReadSame]"
  printf '%s\n' HKEY_CLASSES_ROOT HKEY_CURRENT_CONFIG HKEY_LOCAL_MACHINE HKEY_USERS
  wine reg query 'HKCU' </dev/null | tr -d '\r' | grep '^HKEY_CURRENT_USER\\' |
    grep -vxF 'HKEY_CURRENT_USER\Software'
  wine reg query 'HKCU\Software' </dev/null | tr -d '\r' | grep '^HKEY_CURRENT_USER\\' |
    grep -vxF 'HKEY_CURRENT_USER\Software\KestrinConsoleTest'
} >keyCtrl.txt

kestrin snapshot s1.rsv 2>s1.log
check snapshot_before 0 $?

reg add "$root" /v Change /d 'after "quoted" C:\path\' /f
reg delete "$root" /v Remove /f
reg delete "$root\\Old" /f
reg add "$root\\New" /v '名前' /d '値 ソ表' /f
cat >changes.reg <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\KestrinConsoleTest\New\Sub]
@="new default"
"Number"=dword:12345678
"Quad"=hex(b):01,02,03,04,05,06,07,08
"Expand"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,78,00
"Multi"=hex(7):6f,6e,65,00,74,77,6f,00,00
"Binary"=hex:01,02,fe
"None"=hex(0):
REG
reg import changes.reg

kestrin snapshot s2.rsv 2>s2.log
check snapshot_after 0 $?
kestrin compare s1.rsv s2.rsv --output changes.txt 2>compare12.log
check compare_changed 1 $?
grep -q 'KestrinConsoleTest\\New\\Sub' changes.txt
check change_list_written 0 $?

kestrin export-reg s1.rsv s2.rsv --undo undo.reg 2>undo.log
check export_undo 0 $?
wine regedit /S undo.reg </dev/null
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
