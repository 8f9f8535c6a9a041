#!/bin/sh
# Writes CHANGELOG.md as the Debian changelog of PACKAGE to standard output: each section
# "## VERSION (YYYY-MM-DD)" an entry of that date, its items ("- " and their indented
# continuation lines) the entry's items, Markdown's backquotes dropped.
#   packaging/changelog.sh CHANGELOG.md PACKAGE 'NAME <ADDRESS>'
set -eu
package=$2
maintainer=$3
version=
finish() {
  if [ -n "$version" ]; then
    stamp=$(date -R -u -d "$day")
    printf '\n -- %s  %s\n' "$maintainer" "$stamp"
  fi
}
while IFS= read -r line; do
  line=$(printf '%s' "$line" | tr -d '`')
  case $line in
    '## '*)
      finish
      [ -z "$version" ] || echo
      version=${line#'## '}
      version=${version%% *}
      day=${line##*'('}
      day=${day%')'}
      printf '%s (%s) unstable; urgency=medium\n\n' "$package" "$version" ;;
    '- '*) [ -z "$version" ] || printf '  * %s\n' "${line#'- '}" ;;
    '  '*) [ -z "$version" ] || printf '    %s\n' "${line#'  '}" ;;
  esac
done < "$1"
finish
