#!/usr/bin/env python3
"""Runs the cipher benchmark twice in one go and prints one table of ratios.

First run: every path of hostseal beside OpenSSL's EVP AES-ECB (its hardware path) and memcpy.
Second run, with OPENSSL_ia32cap=0: the table path beside OpenSSL's portable code.
With --files, also bench/file_vs_dd.sh: FileEncrypt/FileDecrypt of 1 GiB beside
`dd bs=4M conv=fsync` on the same file (in FOLDER, default $TMPDIR or /tmp; use a real disk).
Usage: bench/cipher_table.py [--files [FOLDER]] [build-dir]   (default build/release)
"""
import json
import os
import subprocess
import sys

args = sys.argv[1:]
files_folder = None
if args and args[0] == "--files":
    args.pop(0)
    files_folder = args.pop(0) if args and not args[0].startswith("build") else os.environ.get(
        "TMPDIR", "/tmp")
build = args[0] if args else "build/release"
binary = os.path.join(build, "bin", "hostseal_bench_cipher")
if not os.access(binary, os.X_OK):
    sys.exit(f"build the release preset first: {binary} is missing")


def run(extra_env, pattern):
    env = dict(os.environ, **extra_env)
    out = subprocess.run(
        [binary, "--benchmark_min_time=0.5", "--benchmark_format=json",
         f"--benchmark_filter={pattern}"],
        env=env, check=True, capture_output=True, text=True).stdout
    return {b["name"]: b for b in json.loads(out)["benchmarks"] if "error_message" not in b}


def gbps(b):
    return b["bytes_per_second"] / 1e9


hw = run({}, "BM_(ArrayEncrypt|ArrayDecrypt|BlockEncrypt|OpenSslEcb|Memcpy|SetCipherKey)")
portable = run({"OPENSSL_ia32cap": "0"}, "BM_(ArrayEncrypt|ArrayDecrypt|BlockEncrypt)/0/|BM_OpenSslEcb")

paths = {0: "portable", 1: "aes-ni", 2: "vaes"}
print(f"{'hostseal':44} {'GB/s':>7} {'peer':28} {'GB/s':>7} {'ratio':>7}")
for op in ("BlockEncrypt", "ArrayEncrypt", "ArrayDecrypt"):
    for bits in (128, 256):
        for size in ((16,) if op == "BlockEncrypt" else (16384, 67108864)):
            for path in (2, 1, 0):
                suffix = f"{path}/{bits}" + ("" if op == "BlockEncrypt" else f"/{size}")
                source = portable if path == 0 else hw
                name = f"BM_{op}/{suffix}"
                if name not in source:
                    continue
                peer_name = f"BM_OpenSslEcb/{bits}/{size}"
                peer_label = ("openssl portable" if path == 0 else "openssl evp") + f" {bits}"
                value, peer = gbps(source[name]), gbps(source[peer_name])
                label = f"{op} {bits} {size if size > 16 else 'block'} {paths[path]}"
                print(f"{label:44} {value:7.2f} {peer_label:28} {peer:7.2f} {value / peer:6.2f}x")
                if size == 67108864 and path != 0:
                    mem = gbps(hw["BM_Memcpy/67108864"])
                    print(f"{'':44} {'':7} {'memcpy 64 MiB':28} {mem:7.2f} {value / mem:6.2f}x")
for bits in (128, 256):
    b = hw[f"BM_SetCipherKey/{bits}"]
    print(f"{'SetCipherKey ' + str(bits):44} {b['real_time']:6.0f} ns")

if files_folder is not None:
    here = os.path.dirname(os.path.abspath(__file__))
    driver = os.path.join(build, "bin", "hostseal_file_crypt_driver")
    out = subprocess.run([os.path.join(here, "file_vs_dd.sh"), driver, files_folder],
                         check=True, capture_output=True, text=True).stdout
    rows = {line.split()[0]: line.split() for line in out.splitlines()
            if line.split() and line.split()[0] in ("dd", "encrypt", "decrypt")}
    dd_seconds = float(rows["dd"][1])
    for name, label in (("encrypt", "FileEncrypt 1 GiB"), ("decrypt", "FileDecrypt 1 GiB")):
        seconds, rss = float(rows[name][1]), float(rows[name][3])
        print(f"{label + f' ({rss:.1f} MiB peak)':44} {seconds:6.2f}s {'dd bs=4M conv=fsync':28} "
              f"{dd_seconds:6.2f}s {seconds / dd_seconds:6.2f}x")
