#!/usr/bin/env bash
# The command-line decoder's manual page and bash completion against the program: every option
# its --help lists is in both, the page renders without a warning, and the completion offers
# what each place on the line takes.
# usage: cli_documents_test.sh DECODER COMPLETION MANUAL_PAGE
set -u
decoder=$1 completion=$2 page=$3
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

help=$("$decoder" --help) || fail "--help"
mapfile -t options < <(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
((${#options[@]} >= 12)) || fail "--help lists only ${#options[@]} long options"
# The manual page's section that starts with the heading given.
section() { awk -v heading=".SH $1" '$0 == heading {on = 1; next} /^\.SH/ {on = 0} on' "$page"; }
described=$(section オプション)
summary=$(section "SUMMARY (English)")
for option in "${options[@]}"; do
  grep -qE -- "(^| )$option( |$)" "$completion" || fail "the completion lacks $option"
  grep -qF -- "${option//-/\\-}" <<<"$described" || fail "the manual page describes no $option"
  grep -qF -- "${option//-/\\-}" <<<"$summary" || fail "the manual page's summary lacks $option"
done

warnings=$(LANG=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"

source "$completion"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir sub 'a folder'
touch 'a.$S$' 'b.$s$' 'c d.$S$' note.txt -- '-e.$S$'

# The words of a line, the last being the one completed; prints the offers sorted, one a line.
offers() {
  COMP_WORDS=(vellunora-decode "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _vellunora_decode
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() {
  local expected=$1
  shift
  local got
  got=$(offers "$@" | paste -sd '|')
  [ "$got" = "$expected" ] || fail "completing '$*': got '$got', expected '$expected'"
}
expect '-e.$S$|a folder|a.$S$|b.$s$|c d.$S$|sub' ''
expect 'a.$S$' a.
expect '--password-encoding|--password-file' --pa
expect 'auto|cp932|utf-8' --password-encoding ''
expect 'utf-8' --password-encoding = u
expect 'a folder|sub' -k -o ''
expect '-e.$S$' -- -
expect '-e.$S$|a folder|a.$S$|b.$s$|c d.$S$|note.txt|sub' -p ''
expect '' -j ''

if ((failures > 0)); then
  echo "$failures failed"
  exit 1
fi
echo "manual page and completion agree with --help"
