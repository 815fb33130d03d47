#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, unpacked into a scratch root: what it declares, what it holds, and that the
# program runs from there as from /usr: its help, and an unattended read of the simulator.
#   installed_package_test.sh PACKAGE_FOLDER
set -euo pipefail
folder="$1"
scratch="$(mktemp -d)"
sim=""
cleanup() {
  if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

debs=("$folder"/zr740_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one zr740 package in $folder"
deb="${debs[0]}"

# What the package declares: libraries found by shlibdeps, the dialout group, no maintainer scripts
# (nothing that would change the permissions of the serial ports).
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libc6 libstdc++6 libgsf-1-114 zlib1g; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
[[ "$(dpkg-deb -f "$deb" Description)" == *"dialout"* ]] || fail "the description does not mention the dialout group"
dpkg-deb -e "$deb" "$scratch/control"
for script in preinst postinst prerm postrm config; do
  [ ! -e "$scratch/control/$script" ] || fail "the package has a $script script"
done
outside="$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -e '^\./$' -e '^\./usr/' || true)"
[ -z "$outside" ] || fail "files outside /usr: $outside"

root="$scratch/root"
dpkg -x "$deb" "$root"
usr="$root/usr"
share="$usr/share"
for file in bin/zr740 bin/zr740-sim bin/zr740-dump \
  share/zr740/zr740.dat share/zr740/help/index.html \
  share/man/man1/zr740.1.gz share/man/man1/zr740-sim.1.gz share/man/man1/zr740-dump.1.gz \
  share/applications/io.github.korvel.zr740.desktop share/metainfo/io.github.korvel.zr740.metainfo.xml \
  share/mime/packages/zr740.xml share/doc/zr740/copyright share/doc/zr740/changelog.gz \
  share/icons/hicolor/scalable/apps/zr740.svg share/icons/hicolor/scalable/mimetypes/application-x-zr740.svg; do
  [ -s "$usr/$file" ] || fail "the package lacks /usr/$file"
done
for size in 16 22 24 32 48 64 128 256; do
  for icon in apps/zr740 mimetypes/application-x-zr740; do
    png="$share/icons/hicolor/${size}x${size}/$icon.png"
    [ -s "$png" ] || fail "the package lacks the ${size} px icon $icon"
    # width and height of the PNG header
    [ "$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')" = "$(printf '%08x%08x' "$size" "$size")" ] ||
      fail "$png is not ${size} x ${size} px"
  done
done
appstreamcli validate-tree --no-net "$root" >/dev/null
desktop-file-validate "$share/applications/io.github.korvel.zr740.desktop"

# The program from the package.
"$usr/bin/zr740" --help >"$scratch/help.txt" || fail "zr740 --help failed"
grep -q "^usage: zr740" "$scratch/help.txt" || fail "zr740 --help printed no usage"
"$usr/bin/zr740" --version >"$scratch/version.txt"
grep -q "GPL-3.0-or-later" "$scratch/version.txt" || fail "zr740 --version does not name the licence"

# An unattended read of the simulator, both started from the package: each must find its description in
# ../share/zr740.
[ ! -e "$usr/bin/zr740.dat" ] || fail "zr740.dat lies beside the program"
port="$scratch/port"
"$usr/bin/zr740-sim" --link "$port" >"$scratch/sim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do
  [ -e "$port" ] && break
  sleep 0.05
done
[ -e "$port" ] || { cat "$scratch/sim.log" >&2; fail "the simulator did not start"; }
status=0
XDG_CONFIG_HOME="$scratch/config" XDG_CONFIG_DIRS="$scratch/etc" "$usr/bin/zr740" -read/close/port:"$port" "$scratch/line3.zr740" \
  >"$scratch/read.out" 2>"$scratch/read.err" || status=$?
[ "$status" -eq 0 ] || { cat "$scratch/read.out" "$scratch/read.err" >&2; fail "the unattended read ended with $status"; }
bytes="$(head -c 14 "$scratch/line3.zr740" | od -An -tx1 | tr -d ' \n')"
[ "${bytes:0:4}" = "ffff" ] && [ "${bytes:8}" = "080043484c4235446f63" ] ||
  fail "the file read does not begin as a configuration: $bytes"
"$usr/bin/zr740-dump" "$scratch/line3.zr740" >"$scratch/dump.txt" || fail "zr740-dump failed on the file read"
grep -q "ZR740_RS" "$scratch/dump.txt" || fail "zr740-dump does not show the identification read"

# The same program without its data says where it looked.
mkdir -p "$scratch/lonely/bin"
cp "$usr/bin/zr740" "$scratch/lonely/bin/"
status=0
XDG_CONFIG_HOME="$scratch/config" XDG_CONFIG_DIRS="$scratch/etc" "$scratch/lonely/bin/zr740" -read/close/port:"$port" "$scratch/x.zr740" \
  >/dev/null 2>"$scratch/lonely.err" || status=$?
[ "$status" -ne 0 ] || fail "the program without its description succeeded"
for place in "$scratch/lonely/bin/zr740.dat" "$scratch/lonely/share/zr740/zr740.dat"; do
  grep -qF "$place" "$scratch/lonely.err" || { cat "$scratch/lonely.err" >&2; fail "the message does not name $place"; }
done
echo "package $(basename "$deb"): ok"
