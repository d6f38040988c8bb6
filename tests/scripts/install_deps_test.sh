#!/usr/bin/env bash
# scripts/install-deps, simulated by apt-get -s on this machine: each package set would remove
# nothing, the test tools come only with "test", and the headless LibreOffice only when no
# soffice is installed.
set -uo pipefail
script=$1
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A PATH with apt's own tools and nothing else: no soffice on it.
no_office=$(mktemp -d)
trap 'rm -rf "$no_office"' EXIT
for tool in apt-get dpkg dpkg-query; do ln -s "$(command -v "$tool")" "$no_office/$tool"; done

has_soffice=no
command -v soffice >/dev/null && has_soffice=yes

# purpose | PATH | must name | must not name | checks apt's answer
cases=(
  "run|$PATH|qt6-translations-l10n libzip-dev fonts-dejavu-core|libgtest-dev clang libreoffice-calc-nogui|yes"
  "test|$PATH|libgtest-dev libbenchmark-dev libclang-rt-14-dev python3-ezdxf gdal-bin desktop-file-utils man-db|$([[ $has_soffice == yes ]] && echo libreoffice-calc-nogui)|yes"
  "test|$no_office|libreoffice-calc-nogui||no"
)

for case in "${cases[@]}"; do
  IFS='|' read -r purpose path wanted unwanted check_answer <<<"$case"
  output=$(PATH=$path KORVELA_APT_SIMULATE=1 /bin/bash "$script" "$purpose" 2>&1)
  status=$?
  command_line=$(grep -m1 '^install-deps: ' <<<"$output")
  [[ "$command_line" == *--no-remove* ]] || fail "$purpose: apt-get runs without --no-remove"
  for package in $wanted; do
    [[ " $command_line " == *" $package "* ]] || fail "$purpose: $package is not installed"
  done
  for package in $unwanted; do
    [[ " $command_line " != *" $package "* ]] || fail "$purpose: $package is installed"
  done
  if [[ $check_answer == yes ]]; then
    [[ $status -eq 0 ]] || fail "$purpose: apt-get -s refused (status $status): $output"
    grep -q '^Remv ' <<<"$output" && fail "$purpose: a package would be removed: $output"
  fi
done

[[ $failures -eq 0 ]] && echo "install-deps removes nothing on this machine"
exit $((failures > 0))
