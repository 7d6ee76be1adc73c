#!/usr/bin/python3
"""The Python module's 1 MiB array encryption beside python3-cryptography's AES-ECB, in one run.

Both sides set their key once and then transform the same 1 MiB bytes object a call at a time
(the module: Cipher.encrypt / decrypt without the length field, whole blocks, so both give
exactly 1 MiB as a new bytes object). The peer is one ECB encryptor or decryptor of
cryptography, called the same way (update: bytes in, new bytes out), and also at its best
(update_into one bytearray made beforehand, so that it allocates and copies nothing). Each
figure is the best of several rounds of calls, the two sides taking turns, so that both meet
the same machine. Prints one line per case and the module's speed as a multiple of the peer's;
exits with 1 when a case of the same call is below --min (default 1.5) times.

Usage: bench/python_vs_cryptography.py [--min RATIO] [build-dir]   (default build/release)
Run it with Debian's /usr/bin/python3, whose python3-cryptography is the peer.
"""
import glob
import os
import sys
import time

args = sys.argv[1:]
minimum = 1.5
if args[:1] == ["--min"]:
    minimum = float(args[1])
    args = args[2:]
build = args[0] if args else "build/release"
if "HOSTSEAL_LIBRARY" not in os.environ:
    found = sorted(glob.glob(os.path.join(build, "**", "libhostseal.so.0"), recursive=True))
    if not found:
        sys.exit(f"python_vs_cryptography: no libhostseal.so.0 in {build}; build it first")
    os.environ["HOSTSEAL_LIBRARY"] = os.path.abspath(found[0])
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bindings",
                                "python"))

import hostseal  # noqa: E402
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes  # noqa: E402

SIZE = 1 << 20
ROUNDS = 7
DATA = os.urandom(SIZE)


def seconds_per_call(call):
    """The best of ROUNDS rounds of about 50 ms each."""
    calls = 1
    while True:
        start = time.perf_counter()
        for _ in range(calls):
            call(DATA)
        elapsed = time.perf_counter() - start
        if elapsed > 0.05:
            break
        calls *= 2
    best = elapsed / calls
    for _ in range(ROUNDS - 1):
        start = time.perf_counter()
        for _ in range(calls):
            call(DATA)
        best = min(best, (time.perf_counter() - start) / calls)
    return best


def compare(label, ours, peer_label, theirs):
    mine, peer = [], []
    for _ in range(3):  # turns, so that a busy moment does not fall on one side only
        mine.append(seconds_per_call(ours))
        peer.append(seconds_per_call(theirs))
    ratio = min(peer) / min(mine)
    print(f"{label:24} {SIZE / min(mine) / 1e9:6.2f} GB/s   {peer_label:34} "
          f"{SIZE / min(peer) / 1e9:6.2f} GB/s   {ratio:6.2f}x")
    return ratio


print(f"hostseal {hostseal.__version__} at {os.environ['HOSTSEAL_LIBRARY']}, 1 MiB a call")
ratios = []
for bits in (128, 256):
    key = os.urandom(bits // 8)
    cipher = hostseal.Cipher(key)
    peer = Cipher(algorithms.AES(key), modes.ECB())
    for name, ours, context in (("encrypt", cipher.encrypt, peer.encryptor()),
                                ("decrypt", cipher.decrypt, peer.decryptor())):
        assert ours(DATA) == context.update(DATA), f"{name}: the module and cryptography differ"
        label = f"Cipher.{name} AES-{bits}"
        # The same call: bytes in, new bytes out.
        ratios.append(compare(label, ours, "cryptography update (new bytes)", context.update))
        # The peer's best case: its output into one buffer made beforehand, never copied.
        out = bytearray(SIZE + 15)
        compare(label, ours, "cryptography update_into (one buf)",
                lambda data, context=context, out=out: context.update_into(data, out))
    cipher.close()
if min(ratios) < minimum:
    sys.exit(f"python_vs_cryptography: the module is below {minimum}x cryptography's speed")
