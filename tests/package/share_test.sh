#!/usr/bin/env bash
# The files installed beside the programs: manual pages that render without warnings, a valid
# desktop entry, and a bash completion that offers the commands and the key options.
# Usage: share_test.sh SOURCE_DIR
set -euo pipefail
share=$1/share
for page in "$share"/man/*.1; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [[ -z $warnings ]] || { echo "share_test: $page: $warnings"; exit 1; }
done
desktop-file-validate "$share/applications/hostseal-gui.desktop"

complete_line() {
  bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _hostseal
    printf "%s\n" "${COMPREPLY[@]}"' _ "$share/bash-completion/hostseal" "$@"
}
[[ $(complete_line hostseal encr | sort | tr '\n' ' ') == "encrypt encrypt-file " ]] ||
  { echo "share_test: commands: $(complete_line hostseal encr)"; exit 1; }
[[ $(complete_line hostseal encrypt-file --key-) == --key-file ]] ||
  { echo "share_test: key options: $(complete_line hostseal encrypt-file --key-)"; exit 1; }
[[ $(complete_line hostseal k) == keygen && $(complete_line hostseal decrypt-file --ch) == --check ]] ||
  { echo "share_test: keygen and --check: $(complete_line hostseal k) $(complete_line hostseal decrypt-file --ch)"; exit 1; }
# The code pages offered are exactly those of the table that the tool accepts on Linux.
offered=$(complete_line hostseal --codepage "" | sort -n | tr '\n' ' ')
table=$(grep -o 'CodePageEntry{[A-Za-z0-9]*' "$1/hostseal/text/code_page_table.cpp" |
  sed 's/CodePageEntry{//; s/kUtf8CodePage/65001/' | sort -n | tr '\n' ' ')
[[ $offered == "$table" ]] || { echo "share_test: --codepage offers '$offered', the tool takes '$table'"; exit 1; }
echo "share_test: manual pages, desktop entry and completion are sound"
