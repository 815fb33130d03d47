#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entry, the AppStream metainfo and the file type pass their validators, and the file
# type recognises a configuration by its name and by its first bytes. The newest release notes are
# those of the version being built.
#   desktop_files_test.sh DESKTOP_FOLDER CONFIGURATION_SAMPLE VERSION
set -euo pipefail
folder="$1"
sample="$2"
version="$3"
id="io.github.korvel.zr740"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$folder/$id.desktop"
appstreamcli validate --no-net "$folder/$id.metainfo.xml"
grep -qx "MimeType=application/x-zr740;" "$folder/$id.desktop" || fail "the entry does not open configurations"
grep -qx "Exec=zr740 %f" "$folder/$id.desktop" || fail "the entry does not pass the file to the program"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$folder/$id.metainfo.xml" ||
  fail "the metainfo does not launch $id.desktop"
newest="$(grep -o -m1 '<release version="[^"]*"' "$folder/$id.metainfo.xml" | cut -d'"' -f2)"
[ "$newest" = "$version" ] || fail "the newest release notes are for $newest, the program is $version"

# The file type, compiled as the system does it; any complaint of the compiler is a failure.
mkdir -p "$scratch/share/mime/packages" "$scratch/home"
cp "$folder/zr740-mime.xml" "$scratch/share/mime/packages/zr740.xml"
XDG_DATA_HOME="$scratch/home" XDG_DATA_DIRS="$scratch/share" update-mime-database "$scratch/share/mime" 2>"$scratch/mime.err"
if [ -s "$scratch/mime.err" ]; then cat "$scratch/mime.err" >&2; fail "update-mime-database complained"; fi

content_type() {
  XDG_DATA_HOME="$scratch/home" XDG_DATA_DIRS="$scratch/share" gio info -a standard::content-type "$1" |
    sed -n 's/^ *standard::content-type: //p'
}
cp "$sample" "$scratch/no-extension"
head -c 64 /dev/urandom >"$scratch/named.zr740"
head -c 64 /dev/urandom >"$scratch/random-bytes"
printf '\377\377\005\000\010\000CHLB4Doc' >"$scratch/other-class"
# name and expected type (the last two must not be taken for configurations)
while read -r name expected; do
  got="$(content_type "$scratch/$name")"
  case "$expected" in
    !*) [ "$got" != "${expected#!}" ] || fail "$name was taken for $got" ;;
    *) [ "$got" = "$expected" ] || fail "$name: expected $expected, got '$got'" ;;
  esac
done <<'TABLE'
no-extension application/x-zr740
named.zr740 application/x-zr740
random-bytes !application/x-zr740
other-class !application/x-zr740
TABLE
echo "desktop entry, metainfo and file type: ok"
