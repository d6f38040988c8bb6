#!/usr/bin/env bash
# `cmake --install` into a temporary prefix: the programs, the shared texts where the program
# looks for them, a desktop entry that desktop-file-validate accepts, file types the desktop
# maps to it, and the manual page.
#   install_layout_test.sh BUILD_DIR VERSION TEXTS_FROM_BIN
set -uo pipefail
build=$1 version=$2 texts_from_bin=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"

share=$prefix/share
for file in bin/korvela bin/korvela-cli share/applications/korvela.desktop \
  share/icons/hicolor/scalable/apps/korvela.svg share/mime/packages/korvela.xml \
  share/man/man1/korvela-cli.1; do
  [[ -s "$prefix/$file" ]] || fail "$file is not installed"
done
# The program finds its texts from its own folder.
for text in ReadMe.txt License.txt guide.ru.md; do
  [[ -s "$prefix/bin/$texts_from_bin/$text" ]] || fail "$text is not at bin/$texts_from_bin"
done

desktop-file-validate "$share/applications/korvela.desktop" || fail "the desktop entry is invalid"
grep -qxF "Exec=\"$prefix/bin/korvela\" %f" "$share/applications/korvela.desktop" ||
  fail "the desktop entry does not start the installed program"

# Every file type the entry opens is defined, and the desktop's database maps its extension.
mime_types=$(sed -n 's/^MimeType=//p' "$share/applications/korvela.desktop" | tr ';' ' ')
for extension in sdr tdp tdl; do
  type=$(sed -n "s/^[0-9]*:\([^:]*\):\*\.$extension\$/\1/p" "$share/mime/globs2")
  [[ -n "$type" ]] || fail "*.$extension has no file type"
  [[ " $mime_types " == *" $type "* ]] || fail "*.$extension ($type) does not open in KORVELA"
done

[[ "$("$prefix/bin/korvela-cli" --version)" == "korvela-cli $version" ]] ||
  fail "the installed korvela-cli does not run"
manual=$share/man/man1/korvela-cli.1
grep -q "^\.TH KORVELA-CLI 1 .*korvela-cli $version" "$manual" || fail "the manual page has no title"
for command in $("$prefix/bin/korvela-cli" --help | awk '/^  [a-z]/ { print $1 }'); do
  pattern=$(sed 's/-/\\\\-/g' <<<"$command")  # hyphens are \- on the page
  grep -q "^\\\\fB$pattern\\b" "$manual" || fail "the manual page lacks the command $command"
done

[[ $failures -eq 0 ]] && echo "installed into $prefix"
exit $((failures > 0))
