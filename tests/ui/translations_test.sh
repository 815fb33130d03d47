#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
#
# The window's texts and their translation template:
#  - every Russian text in the window's sources is marked with QT_TRANSLATE_NOOP in the context q()
#    looks it up in, so none is left out of a translation;
#  - translations/zr740.ts holds exactly the texts lupdate collects from the sources now (renew it
#    with the target zr740_update_translations).
# Usage: translations_test.sh LUPDATE SOURCE_DIR LUPDATE_OPTION...
set -euo pipefail
lupdate=$1
source_dir=$2
shift 2

status=0

# Literals outside the marks, with comments removed first; a literal holding a Cyrillic letter is
# a text a person reads that no translation could reach.
if ! perl -CSD -e '
    my $failed = 0;
    for my $file (@ARGV) {
        open(my $in, "<:encoding(UTF-8)", $file) or die "$file: $!";
        local $/;
        my $text = <$in>;
        # Comments go, strings stay (a "//" inside a literal is not a comment).
        $text =~ s{("(?:[^"\\\n]|\\.)*")|//[^\n]*|/\*.*?\*/}{ defined $1 ? $1 : ($& =~ tr/\n//cdr) }gse;
        my $literals = qr/(?:"(?:[^"\\\n]|\\.)*"\s*)+/;
        while ($text =~ /QT_TRANSLATE_NOOP\(\s*"([^"]*)"/g) {
            next if $1 eq "zr740";
            my $line = 1 + (substr($text, 0, pos($text)) =~ tr/\n//);
            print "$file:$line: marked in context \"$1\"; the window looks its texts up in \"zr740\"\n";
            $failed = 1;
        }
        $text =~ s{QT_TRANSLATE_NOOP\(\s*"[^"]*"\s*,\s*$literals\)}{ $& =~ tr/\n//cdr }ge;
        while ($text =~ /"((?:[^"\\\n]|\\.)*)"/g) {
            my $literal = $1;
            next unless $literal =~ /\p{Cyrillic}/;
            my $line = 1 + (substr($text, 0, pos($text)) =~ tr/\n//);
            print "$file:$line: text not marked for translation: \"$literal\"\n";
            $failed = 1;
        }
    }
    exit $failed;
' "$source_dir"/src/ui/*.h "$source_dir"/src/ui/*.cpp; then
    status=1
fi

# The template against what lupdate finds now; the places of the texts may move freely.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$lupdate" "$@" "$source_dir/src/ui" -ts "$work/zr740.ts" >"$work/lupdate.log" 2>&1 || {
    cat "$work/lupdate.log"
    exit 1
}
strip() { grep -v '<location' "$1"; }
if ! diff -u <(strip "$source_dir/translations/zr740.ts") <(strip "$work/zr740.ts") >"$work/diff"; then
    echo "translations/zr740.ts is not the template of the current sources; renew it with"
    echo "  cmake --build BUILD --target zr740_update_translations"
    head -40 "$work/diff"
    status=1
fi
exit $status
