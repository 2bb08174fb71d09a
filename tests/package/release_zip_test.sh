#!/usr/bin/env bash
# release_zip_test.sh BUILD_DIR RELEASE_CHECK_EXE RESULTS_DIR — the release zip as a user meets it: makes
# the win64 zip of BUILD_DIR with the packaging script of ./package, unpacks it into a
# fresh folder whose path holds blanks and Japanese characters, and runs release_check
# under Wine on the unpacked program. Its GoogleTest report goes to RESULTS_DIR.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$1
check=$2
results=$3

work="$build/release test"
rm -rf "$work"
mkdir -p "$work"
"$root/scripts/package_zip.sh" "$build" win64 "$work" || exit 1
zip=$(ls "$work"/regKestrin-*-win64.zip)
folder="$work/展開先 フォルダ"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder" || exit 1
program_folder=$(ls -d "$folder"/regKestrin-*)

windows_path() { local path=$1; echo "Z:${path//\//\\}"; }
# HTML Help shows its contents pane through mshtml, which the test environment
# otherwise switches off.
export WINEDLLOVERRIDES="mscoree="
wine "$check" "$(windows_path "$program_folder")" \
  "--gtest_output=xml:$(windows_path "$results")\\release_zip.xml"
