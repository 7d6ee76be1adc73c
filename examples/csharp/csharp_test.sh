#!/usr/bin/env bash
# The C# sample, built by mcs and run by mono against the built libhostseal.so.0, gives the
# tool's cipher text for texts and files, and reads both back.
# Usage: csharp_test.sh LIBRARY TOOL
set -euo pipefail

library=$1 tool=$2
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v mcs > /dev/null || ! command -v mono > /dev/null; then
  echo "skipped: the C# sample needs mcs and mono (Debian packages mono-mcs, mono-runtime)"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mcs -warnaserror -out:"$work/seal.exe" "$here/Hostseal.cs" "$here/Program.cs"
cp "$here/seal.exe.config" "$work/"
# Only the runtime package's name, libhostseal.so.0, to which seal.exe.config maps "hostseal".
mkdir "$work/lib"
ln -s "$library" "$work/lib/libhostseal.so.0"
export LD_LIBRARY_PATH=$work/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
seal() { mono "$work/seal.exe" "$@"; }
fail() { echo "csharp_test: $*" >&2; exit 1; }

for text in 'hello world' '主机标识 hostseal, a longer line of text' "-dash"; do
  expected=$("$tool" --codepage 65001 encrypt -- "$text")
  [[ $(seal encrypt "$text") == "$expected" ]] || fail "encrypt \"$text\" differs from the tool"
  [[ $(seal decrypt "$expected") == "$text" ]] || fail "decrypt of \"$text\" differs"
done

key=000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f
head -c 100003 /dev/urandom > "$work/plain"
HOSTSEAL_KEY=$key "$tool" encrypt-file "$work/plain" "$work/tool.aes"
seal encrypt-file "$key" "$work/plain" "$work/seal.aes"
cmp "$work/tool.aes" "$work/seal.aes" || fail "the cipher file differs from the tool's"
seal decrypt-file "$key" "$work/seal.aes" "$work/back"
cmp "$work/plain" "$work/back" || fail "the file does not come back"

[[ $(seal cpu) == $("$tool" cpu) ]] || fail "cpu differs from the tool"
# A failure is the library's number and description, not a crash.
status=0; message=$(seal decrypt-file "$key" "$work/missing" "$work/out" 2>&1) || status=$?
[[ $status == 3 && $message == *"(error 53)" ]] || fail "a missing file gave $status: $message"
echo "csharp_test: the sample's texts and files match the tool"
