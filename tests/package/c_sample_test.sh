#!/bin/sh
# The C sample (examples/c) against the command-line tool of the same build: its cipher file
# and its hexadecimal text are the tool's bytes, under the built-in key and under a key in
# HOSTSEAL_KEY, for a file name and a text outside ASCII; a failure is printed with its
# status and description, and the exit status is 1. On Linux the sample runs against
# libhostseal.so.0, on Windows against hostseal.dll (under Wine here):
#   c_sample_test.sh SAMPLE TOOL [EMULATOR...]
set -eu
sample=$1
tool=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"  # relative names: Wine's programs see them in its Z: drive as they are

# Three whole blocks and a part, bytes outside ASCII included, under a name outside ASCII.
plain="plain-文字.txt"
printf 'Plain text, \346\226\207\345\255\227, \360\237\230\200\n%.0s' 1 2 >"$plain"

emulator="$*"
run() { $emulator "$@" </dev/null; }
check() {  # LABEL KEY TEXT: the sample and the tool on the same file and text (KEY: "" for
           # the built-in key, else hex digits for HOSTSEAL_KEY)
  if [ -n "$2" ]; then export HOSTSEAL_KEY="$2"; else unset HOSTSEAL_KEY; fi
  run "$sample" "$plain" "$1-sample.aes" "$3" >"$1-sample.out"
  run "$tool" encrypt-file "$plain" "$1-tool.aes"
  run "$tool" encrypt "$3" >"$1-tool.out"
  unset HOSTSEAL_KEY
  cmp "$1-sample.aes" "$1-tool.aes" || { echo "$1: the sample's cipher file is not the tool's"; exit 1; }
  sample_text=$(tr -d '\r' <"$1-sample.out")
  tool_text=$(tr -d '\r' <"$1-tool.out")
  [ -n "$tool_text" ] && [ "$sample_text" = "$tool_text" ] ||
    { echo "$1: the sample printed '$sample_text', the tool '$tool_text'"; exit 1; }
}
unset HOSTSEAL_PASSPHRASE
check built-in "" "a text of more than sixteen bytes: two groups, 文字"
check key256 603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4 "hello world"

status=0
run "$sample" missing.txt out.aes text >/dev/null 2>error.txt || status=$?
grep -q 'hostseal_cipher_encrypt_file: status 53: .' error.txt && [ "$status" -eq 1 ] || {
  echo "a missing file gave exit status $status and: $(cat error.txt)"
  exit 1
}
echo "c_sample_test: the sample's file and text are the tool's"
