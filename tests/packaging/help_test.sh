#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The user's guide where the program opens it, and the manual pages: the guide is well-formed, every
# link in it leads to a file of the guide or to an anchor that exists, and the pages format without
# a warning.
#   help_test.sh HELP_FOLDER MAN_FOLDER
set -euo pipefail
help="$1"
man="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -s "$help/index.html" ] || fail "no $help/index.html"
checked=0
for page in "$help"/*.html; do
  xmllint --noout "$page" || fail "$page is not well-formed"
  # Every href and src of the page; the guide is read offline, so it names no outside address.
  while read -r link; do
    [ -n "$link" ] || continue
    checked=$((checked + 1))
    case "$link" in
      *://* | mailto:*) fail "$(basename "$page") links outside the guide: $link" ;;
    esac
    target="${link%%#*}"
    anchor=""
    [[ "$link" == *"#"* ]] && anchor="${link#*#}"
    file="$page"
    [ -z "$target" ] || file="$help/$target"
    [ -f "$file" ] || fail "$(basename "$page"): $link leads to no file"
    if [ -n "$anchor" ]; then
      grep -q "id=\"$anchor\"" "$file" || fail "$(basename "$page"): $link leads to no anchor"
    fi
  done < <(grep -o -E '(href|src)="[^"]*"' "$page" | sed -E 's/^(href|src)="(.*)"$/\2/')
done
[ "$checked" -gt 0 ] || fail "the guide has no links at all"

for page in zr740.1 zr740-sim.1 zr740-dump.1; do
  [ -s "$man/$page.gz" ] || fail "no manual page $page"
  warnings="$(zcat "$man/$page.gz" | LC_ALL=C.UTF-8 groff -k -man -Tutf8 -ww -z 2>&1)"
  [ -z "$warnings" ] || fail "$page: $warnings"
done
echo "guide ($checked links) and manual pages: ok"
