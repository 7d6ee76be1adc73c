#!/usr/bin/env bash
# The table cipher beside OpenSSL's portable code (OPENSSL_ia32cap=0), in the same run:
# one block through BlockEncrypt and 1 MiB through ArrayEncrypt/ArrayDecrypt, against
# `openssl speed -evp aes-128-ecb` at 16 bytes and 16 KiB per call and against OpenSSL's
# EVP over 1 MiB inside the benchmark process.
# Usage: bench/cipher_vs_openssl.sh [build-dir]   (default build/release)
set -euo pipefail
build=${1:-build/release}
bin="$build/bin/hostseal_bench_cipher"
[[ -x $bin ]] || { echo "build the release preset first: $bin is missing" >&2; exit 1; }

json=$(mktemp)
trap 'rm -f "$json"' EXIT
OPENSSL_ia32cap=0 "$bin" --benchmark_min_time=1 --benchmark_format=json >"$json" 2>/dev/null
speed=$(OPENSSL_ia32cap=0 openssl speed -seconds 2 -evp aes-128-ecb 2>/dev/null | grep -i '^AES-128-ECB')
# openssl speed prints thousands of bytes per second for 16, 64, 256, 1024, 8192, 16384 bytes.
read -r _ s16 _ _ _ _ s16k <<<"$speed"

python3 - "$json" "${s16%k}" "${s16k%k}" <<'PY'
import json, sys
runs = {b["name"]: b["bytes_per_second"] / 1e6 for b in json.load(open(sys.argv[1]))["benchmarks"]}
speed16, speed16k = float(sys.argv[2]) * 1e3 / 1e6, float(sys.argv[3]) * 1e3 / 1e6
evp16, evp1m = runs["BM_OpenSslEcb/16"], runs["BM_OpenSslEcb/1048576"]
print(f"{'operation':34} {'MB/s':>8} {'vs openssl speed':>17} {'vs EVP in-process':>18}")
for name, peer_speed, peer_evp in [
    ("BM_BlockEncrypt/128", speed16, evp16),
    ("BM_BlockEncrypt/256", speed16, evp16),
    ("BM_ArrayEncrypt1MiB/128", speed16k, evp1m),
    ("BM_ArrayDecrypt1MiB/128", speed16k, evp1m),
    ("BM_ArrayEncrypt1MiB/256", speed16k, evp1m),
    ("BM_ArrayDecrypt1MiB/256", speed16k, evp1m),
]:
    v = runs[name]
    print(f"{name:34} {v:8.1f} {v / peer_speed:16.2f}x {v / peer_evp:17.2f}x")
print(f"{'openssl speed aes-128-ecb 16 B':34} {speed16:8.1f}")
print(f"{'openssl speed aes-128-ecb 16 KiB':34} {speed16k:8.1f}")
PY
