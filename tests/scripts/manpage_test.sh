#!/usr/bin/env bash
# A manual page written from a Markdown document, read as man shows it: every section once,
# no Markdown left, every heading and every command of the document's tables on the page
# (taken from the document by its own reading of the tables), and, given the program, an entry
# for each command its --help lists.
#   manpage_test.sh PAGE DOCUMENT [KORVELA_CLI]
set -uo pipefail
page=$1 document=$2 cli=${3:-}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

export LC_ALL=C.UTF-8 MANWIDTH=80 MAN_DISABLE_SECCOMP=1
shown=$(man -l "$page" | col -bx)
[[ -n "$shown" ]] || fail "man shows nothing of $page"
warnings=$(groff -k -man -Tutf8 -ww -z "$page" 2>&1)
[[ -z "$warnings" ]] || fail "groff warns: $warnings"
# The page as one line of words, for texts that a line break may split.
words=" $(tr -s ' \n' '  ' <<<"$shown") "

for heading in NAME SYNOPSIS DESCRIPTION; do
  grep -qx "$heading" <<<"$shown" || fail "no section $heading"
done
repeated=$(grep -E '^[A-Z][A-Z ]*$' <<<"$shown" | sort | uniq -d)
[[ -z "$repeated" ]] || fail "sections shown more than once: $repeated"

while IFS= read -r line; do
  fail "Markdown left on the page: $line"
done < <(grep -nE '^[[:space:]]*#|`|\\\||\\f|\*\*|^[[:space:]]*\|' <<<"$shown")

# The title's purpose, the headings after it, and the first cell of every table row below a
# header: Markdown's escapes and code marks removed, blanks run together.
plain() { sed -e 's/\\|/|/g' -e 's/`//g' -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' | tr -s ' '; }
purpose=$(head -n1 "$document" | sed 's/^# [^:]*: *//')
[[ "$words" == *" korvela-cli - $purpose "* ]] || fail "NAME does not read: $purpose"
while IFS= read -r heading; do
  [[ "$words" == *" $heading "* ]] || fail "the heading \"$heading\" is not on the page"
done < <(tail -n +2 "$document" | sed -n 's/^#\{1,\} \{1,\}//p' | plain)
while IFS= read -r entry; do
  [[ "$words" == *" $entry "* ]] || fail "the command \"$entry\" is not on the page"
done < <(sed 's/\\|/\x01/g' "$document" |
  awk -F'|' '/^[ \t]*\|/ && !/^[ \t]*\|[-:| \t]+\|[ \t]*$/ { if (row++) print $2; next }
             { row = 0 }' | tr '\001' '|' | plain)

if [[ -n "$cli" ]]; then
  commands=$(sed -n '/^COMMANDS$/,/^[A-Z]/p' <<<"$shown")
  for command in $("$cli" --help | awk '/^  [a-z]/ { print $1 }'); do
    grep -qE "^ {7}$command( |$)" <<<"$commands" || fail "COMMANDS has no entry for $command"
  done
fi

[[ $failures -eq 0 ]] && echo "the page reads as its document: $page"
exit $((failures > 0))
