#!/usr/bin/env bash
# package_zip.sh BUILD_DIR ARCH OUT_DIR — makes OUT_DIR/regKestrin-<version>-<ARCH>.zip
# from the programs and files of one Windows build (BUILD_DIR/bin), the lists in
# packaging/ and the readme, and prints the zip's path and size. The zip holds one
# folder, regKestrin-<version>, that runs where it is unpacked. Used by ./package on
# the optimised builds and by the release test on the test build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$1
arch=$2
out=$3

version=$(sed -n 's/^#define KESTRIN_VERSION_TEXT "\(.*\)"$/\1/p' "$root/resources/version.h")
support=$(sed -n 's/^#define KESTRIN_SUPPORT_PAGE "\(.*\)"$/\1/p' "$root/resources/version.h")
[ -n "$version" ] || { echo "package: no KESTRIN_VERSION_TEXT in resources/version.h" >&2; exit 1; }

name="regKestrin-$version"
stage="$out/stage-$arch"
rm -rf "$stage"
mkdir -p "$stage/$name"
contents=()

# Lines of a list file without comments and blank lines.
entries() { sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$1"; }

while read -r target executable need; do
  if [ -f "$build/bin/$executable" ]; then
    cp "$build/bin/$executable" "$stage/$name/"
    contents+=("$executable")
  elif [ "$need" = required ]; then
    echo "package: $build/bin/$executable is missing (target $target)" >&2
    exit 1
  fi
done < <(entries "$root/packaging/programs.txt")

while read -r file need; do
  if [ -f "$build/bin/$file" ]; then
    cp "$build/bin/$file" "$stage/$name/"
  elif [ -f "$root/resources/$file" ]; then
    cp "$root/resources/$file" "$stage/$name/"
  elif [ "$need" = required ]; then
    echo "package: $file is missing (neither in $build/bin nor in resources/)" >&2
    exit 1
  else
    continue
  fi
  contents+=("$file")
done < <(entries "$root/packaging/files.txt")

# The readme: cp932 with CR LF line ends, as Windows' text tools expect.
file_list=$(printf '  %s\\n' "${contents[@]}" "readme.txt")
sed -e "s|@VERSION@|$version|g" -e "s|@ARCH@|$arch|g" -e "s|@SUPPORT@|$support|g" \
    -e "s|@FILES@|${file_list%\\n}|" "$root/packaging/readme.txt" \
  | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' > "$stage/$name/readme.txt"

zip_path="$out/$name-$arch.zip"
rm -f "$zip_path"
(cd "$stage" && zip -q -X -9 -r "$zip_path" "$name")
rm -rf "$stage"
echo "$zip_path $(stat -c %s "$zip_path") bytes"
