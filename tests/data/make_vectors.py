#!/usr/bin/env python3
"""Writes the known-answer files of tests/data from independent oracles.

AES comes from the `openssl enc -aes-N-ecb -nopad` command and code-page bytes from the
`iconv` command; nothing here runs hostseal. The content is fixed by a seeded PRNG, so a rerun
writes the same files. Run it by hand from anywhere (it writes next to itself):

    python3 tests/data/make_vectors.py [pass phrase]

The pass phrase defaults to the build's default, HOSTSEAL_PASS_PHRASE in CMakeLists.txt.
The test program tests/cipher/known_answer_test.cpp reads the files.
"""

import os
import random
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SEED = 20261208
DEFAULT_PASS_PHRASE = "Hs#2026-Key"
BLOCK = 16
FRAMING_PLAIN_LENGTH = 100
RANDOM_BLOCKS_PER_KEY_LENGTH = 30


def hexs(data):
    return data.hex() if data else "-"


def aes_ecb(key, data):
    """AES-ECB of whole blocks through the openssl command, without padding."""
    assert len(data) % BLOCK == 0
    if not data:
        return b""
    bits = len(key) * 8
    out = subprocess.run(
        ["openssl", "enc", f"-aes-{bits}-ecb", "-nopad", "-K", key.hex()],
        input=data, stdout=subprocess.PIPE, check=True).stdout
    assert len(out) == len(data), "openssl gave a different length"
    return out


def iconv(text, code_page):
    return subprocess.run(["iconv", "-f", "UTF-8", "-t", f"CP{code_page}"],
                          input=text.encode("utf-8"), stdout=subprocess.PIPE,
                          check=True).stdout


def random_bytes(rng, n):
    return rng.getrandbits(8 * n).to_bytes(n, "little") if n else b""


def write(name, header, lines):
    path = os.path.join(HERE, name)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("".join(f"# {h}\n" if h else "#\n" for h in header))
        f.write("".join(line + "\n" for line in lines))
    cases = sum(1 for line in lines if line.split(" ", 1)[0].lstrip("-").isdigit())
    print(f"{path}: {cases} cases")


def aes_blocks(rng):
    fips_plain = bytes.fromhex("00112233445566778899aabbccddeeff")
    cases = [
        # FIPS-197 Appendix B, then Appendix C.1 to C.3 with their published cipher blocks.
        (bytes.fromhex("2b7e151628aed2a6abf7158809cf4f3c"),
         bytes.fromhex("3243f6a8885a308d313198a2e0370734"),
         bytes.fromhex("3925841d02dc09fbdc118597196a0b32")),
        (bytes(range(16)), fips_plain, bytes.fromhex("69c4e0d86a7b0430d8cdb78070b4c55a")),
        (bytes(range(24)), fips_plain, bytes.fromhex("dda97ca4864cdfe06eaf70a0ec0d7191")),
        (bytes(range(32)), fips_plain, bytes.fromhex("8ea2b7ca516745bfeafc49904b496089")),
    ]
    lines = []
    for key, plain, published in cases:
        assert aes_ecb(key, plain) == published, "openssl disagrees with FIPS-197"
        lines.append(f"{len(key) * 8} {key.hex()} {plain.hex()} {published.hex()}")
    for bits in (128, 192, 256):
        # Edge keys and blocks first (all zero, all ones), then random ones.
        specials = [(bytes(bits // 8), bytes(BLOCK)), (b"\xff" * (bits // 8), b"\xff" * BLOCK)]
        randoms = [(random_bytes(rng, bits // 8), random_bytes(rng, BLOCK))
                   for _ in range(RANDOM_BLOCKS_PER_KEY_LENGTH)]
        for key, plain in specials + randoms:
            lines.append(f"{bits} {key.hex()} {plain.hex()} {aes_ecb(key, plain).hex()}")
    write("aes_blocks.txt", [
        "AES known answers, one block per line, from `openssl enc -aes-N-ecb -nopad`.",
        "Fields (hex): key bits, key, plain block, cipher block.",
        "The first four lines are FIPS-197 Appendix B and Appendix C.1-C.3.",
        "Written by make_vectors.py; do not edit by hand.",
    ], lines)


def framed(plain, appendsize):
    """The framed plain bytes of ArrayEncrypt: zero padding to whole blocks; with the length
    field (appendsize not 0) one block more than the whole plain blocks, whose last byte holds
    the plain length mod 16."""
    n = len(plain)
    if appendsize != 0:
        size = (n // BLOCK + 1) * BLOCK
        out = bytearray(plain) + bytes(size - n)
        out[-1] = n % BLOCK
        return bytes(out)
    size = (n + BLOCK - 1) // BLOCK * BLOCK
    return plain + bytes(size - n)


def array_framings(rng):
    lines = []
    for bits in (128, 192, 256):
        key = random_bytes(rng, bits // 8)
        plain = random_bytes(rng, FRAMING_PLAIN_LENGTH)
        whole = FRAMING_PLAIN_LENGTH // BLOCK * BLOCK
        whole_cipher = aes_ecb(key, plain[:whole])
        lines += [f"key {bits} {key.hex()}", f"plain {plain.hex()}",
                  f"whole {whole_cipher.hex()}"]
        for n in range(FRAMING_PLAIN_LENGTH + 1):
            # Every non-zero appendsize asks for the length field, so a few are used.
            for appendsize in (0, (1, -1, 255, 7)[n % 4]):
                frame = framed(plain[:n], appendsize)
                cipher = aes_ecb(key, frame)
                head = n // BLOCK * BLOCK
                assert cipher[:head] == whole_cipher[:head] and frame[:head] == plain[:head]
                lines.append(f"{n} {appendsize} {hexs(frame[head:])} {hexs(cipher[head:])}")
    write("array_framings.txt", [
        "ArrayEncrypt known answers: the first L bytes of one plain text for L = 0..100, with",
        "the length field (appendsize not 0) and without it (appendsize 0), under one key of",
        "each length. Cipher bytes from `openssl enc -aes-N-ecb -nopad` of the framed bytes.",
        "",
        "key <bits> <key>    starts the cases of one key",
        "plain <bytes>       the 100-byte plain text whose first L bytes each case encrypts",
        "whole <bytes>       the cipher of its whole blocks (bytes 0-95); a case's cipher text",
        "                    begins with the first 16*(L div 16) bytes of it",
        "<L> <appendsize> <framed tail> <cipher tail>",
        "                    the framed plain bytes after those whole blocks (the plain tail,",
        "                    zero padding and, with the length field, the last byte L mod 16)",
        "                    and their cipher bytes; '-' for none",
        "Written by make_vectors.py; do not edit by hand.",
    ], lines)


def hex_text(cipher):
    """Upper-case digit pairs, two spaces before every 16th byte after the first."""
    groups = [cipher[i:i + BLOCK].hex().upper() for i in range(0, len(cipher), BLOCK)]
    return "  ".join(groups)


TEXTS = [
    (1252, ""),
    (1252, "a"),
    (1252, "Hello, world"),
    (1252, "fifteen chars.."),
    (1252, "sixteen chars..."),
    (1252, "seventeen chars.."),
    (1252, "The quick brown fox jumps over the lazy dog: 0123456789 ~!@#$%^&*()"),
    (1252, "café au lait, naïve façade, Ærøskøbing, Straße, señor, déjà vu"),
    (1252, "¡¿ £¥ ©® ±×÷ ¼½¾ ÀÉÎÕÜ àéîõü ÿ"),
    (1252, "€ „quotes“ ‘single’ – — … ™ • Š š Ž ž Œ œ Ÿ"),
    (936, "中"),
    (936, "中文abc"),
    (936, "你好，世界！"),
    (936, "加密的文本：主机名与网络地址。"),
    (936, "汉字与ASCII混合 mixed text 123，标点“引号”《书名》、顿号。"),
    (936, "Ｆｕｌｌ－ｗｉｄｔｈ　０１２３４５６７８９"),
]


def hex_texts(pass_phrase):
    phrase = pass_phrase.encode("ascii")
    assert len(phrase) == 11, "the pass phrase has 11 characters"
    key = phrase + bytes(5)
    lines = [f"key {key.hex()}"]
    for code_page, text in TEXTS:
        data = iconv(text, code_page)
        cipher = aes_ecb(key, framed(data, 0))
        lines.append(f"{code_page} {hexs(text.encode('utf-8'))} {hexs(data)} "
                     f"{hex_text(cipher) or '-'}")
    write("hex_texts.txt", [
        "Encrypt known answers: a text's bytes in a code page, zero padded to whole blocks (no",
        "length field), AES-128-ECB under the pass phrase's key, as hexadecimal text.",
        f"key <16 bytes>      the pass phrase \"{pass_phrase}\" (11 bytes) and 5 zero bytes",
        "<code page> <text as UTF-8> <text in the code page> <hex text>",
        "                    the first three fields in hex ('-' for empty); the hex text is the",
        "                    rest of the line, exactly as Encrypt writes it ('-' for empty):",
        "                    upper-case digits, two spaces between groups of 32 digits",
        "Code-page bytes from `iconv -f UTF-8 -t CP<code page>`, cipher bytes from",
        "`openssl enc -aes-128-ecb -nopad`. Written by make_vectors.py; do not edit by hand.",
    ], lines)


def main():
    pass_phrase = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_PASS_PHRASE
    rng = random.Random(SEED)
    aes_blocks(rng)
    array_framings(rng)
    hex_texts(pass_phrase)


if __name__ == "__main__":
    main()
