#!/usr/bin/env bash
# Checks the installed headers under INCLUDE_DIR/hostseal: none of the platform back-ends or
# window toolkits (no path through linux/, windows/, qt/ or win32/), no empty folder, and each
# header compiles on its own with nothing but INCLUDE_DIR on the include path: the C++
# headers (.hpp) as C++20, the C interface (.h) as C99 and as C++20. Prints the number of
# headers.
# Usage: check_installed_headers.sh INCLUDE_DIR
set -euo pipefail
include_dir=$1
fail() { echo "installed headers: $*"; exit 1; }
[[ -d $include_dir/hostseal ]] || fail "no $include_dir/hostseal"

platform=$(cd "$include_dir" && find hostseal -regex '.*/\(linux\|windows\|qt\|win32\)\(/.*\)?' -print)
[[ -z $platform ]] || fail "platform paths installed: $platform"
empty=$(find "$include_dir/hostseal" -type d -empty -print)
[[ -z $empty ]] || fail "empty folders installed: $empty"
others=$(find "$include_dir/hostseal" -type f ! -name '*.hpp' ! -name '*.h' -print)
[[ -z $others ]] || fail "files that are not headers installed: $others"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
count=0
while IFS= read -r header; do
  printf '#include <%s>\n' "$header" >"$work/one.cpp"
  c++ -std=c++20 -Wall -Wextra -Wpedantic -Wconversion -Werror -fsyntax-only -I "$include_dir" \
    "$work/one.cpp" 2>"$work/errors" || fail "$header does not compile on its own: $(cat "$work/errors")"
  if [[ $header == *.h ]]; then
    cc -std=c99 -Wall -Wextra -Wpedantic -Wconversion -Werror -fsyntax-only -I "$include_dir" \
      -x c "$work/one.cpp" 2>"$work/errors" || fail "$header does not compile as C99: $(cat "$work/errors")"
  fi
  count=$((count + 1))
done < <(cd "$include_dir" && find hostseal -name '*.hpp' -o -name '*.h' | sort)
echo "$count"
