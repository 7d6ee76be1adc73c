#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Run from anywhere: python3 fuzz/make_seed_corpus.py. The seeds are small and deterministic;
valid cipher files are made with the openssl command (AES-128-ECB under the key 00 01 .. 0F
that fuzz_file_decrypt sets). Each target documents the layout of its input.
"""
import pathlib
import subprocess

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"
KEY_000F = bytes(range(16))


def write(target, name, data):
    folder = ROOT / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def aes_ecb(key, data):
    return subprocess.run(
        ["openssl", "enc", "-aes-%d-ecb" % (len(key) * 8), "-nopad", "-K", key.hex()],
        input=data, stdout=subprocess.PIPE, check=True).stdout


def framed(plain):
    """The framing with the length field: zero padding, last byte the plain length mod 16."""
    out = bytearray(plain) + bytes(16 - len(plain) % 16)
    out[-1] = len(plain) % 16
    return bytes(out)


def utf16(text):
    return text.encode("utf-16-le")


def decrypt_seeds():
    hex32 = "00112233445566778899AABBCCDDEEFF"
    texts = {
        "one_block": hex32,
        "two_groups": hex32 + "  " + hex32,
        "lower_case": hex32.lower(),
        "line_breaks": hex32 + "\r\n" + hex32,
        "odd_digits": hex32 + "A",
        "fifteen_bytes": hex32[:30],
        "no_digits": "xyz  xyz",
        "cjk_beside_digits": "\u4e30" + hex32 + "\u4e2d",
    }
    for page_index, (name, text) in enumerate(texts.items()):
        selector = bytes([page_index % 6])  # the code page: 65001, 936, 950, 932, 949, 1252
        write("fuzz_decrypt", name + "_utf8", selector + text.encode("utf-8"))
        write("fuzz_decrypt", name + "_utf16", selector + utf16(text))


def array_seeds():
    key = bytes(range(32))
    for bits_index, length in enumerate([0, 15, 16, 17, 48]):
        choice = bits_index % 3 | (bits_index % 3) << 2  # key length and block path
        write("fuzz_array_decrypt", "len%d" % length, bytes([choice]) + key + bytes(range(length)))
    sealed = aes_ecb(KEY_000F, framed(b"hostseal"))
    write("fuzz_array_decrypt", "valid_length_field", bytes([0]) + KEY_000F + bytes(16) + sealed)
    write("fuzz_array_decrypt", "first_index_1", bytes([0x10]) + key + bytes(16))


def file_seeds():
    for length in [0, 1, 15, 16, 17, 31, 47]:
        plain = bytes((i * 7) & 0xFF for i in range(length))
        write("fuzz_file_decrypt", "valid%d" % length, bytes([0]) + aes_ecb(KEY_000F, framed(plain)))
    write("fuzz_file_decrypt", "valid_over_former", bytes([1]) + aes_ecb(KEY_000F, framed(b"abc")))
    write("fuzz_file_decrypt", "folder_target", bytes([2]) + aes_ecb(KEY_000F, framed(b"abc")))
    write("fuzz_file_decrypt", "empty", bytes([1]))
    write("fuzz_file_decrypt", "size20", bytes([1]) + bytes(20))
    write("fuzz_file_decrypt", "wrong_key", bytes([0]) + bytes(32))


def load_file_seeds():
    write("fuzz_load_file_bytes", "empty", bytes([0]))
    write("fuzz_load_file_bytes", "small", bytes([0]) + b"abc\x00\xff")
    for delta in [0, 7, 8, 9, 16]:  # byte 1 picks 32,759 + delta bytes
        write("fuzz_load_file_bytes", "stretch%d" % delta, bytes([1, delta]) + b"pattern")
    write("fuzz_load_file_bytes", "name_plain", bytes([2]) + utf16("missing"))
    write("fuzz_load_file_bytes", "name_dotdot", bytes([2]) + utf16(".."))
    write("fuzz_load_file_bytes", "name_nul", bytes([2]) + utf16("a\0b"))
    write("fuzz_load_file_bytes", "name_lone_surrogate", bytes([2]) + b"\x00\xd8a\x00")


def code_page_seeds():
    samples = {
        "ascii": "hostseal 123",
        "cjk": "\u4e2d\u6587\u6f22\u5b57",
        "kana_hangul": "\u30ab\u30ca\ud55c\uae00",
        "latin": "caf\u00e9 \u20ac",
        "astral": "\U0001f600",
    }
    for page_index in range(6):
        for name, text in samples.items():
            if (page_index + len(name)) % 2:
                data = text.encode("utf-8")
            else:
                data = utf16(text)
            write("fuzz_code_page", "%s_%d" % (name, page_index), bytes([page_index]) + data)
    # 54936 (selector 6): four-byte sequences, valid and cut off; 20932 (7): three-byte ones.
    write("fuzz_code_page", "gb18030_four_byte",
          bytes([6]) + "caf\u00e9 \u20ac\U0001f600\u4e2d".encode("gb18030") + b"\x81\x30\x81")
    write("fuzz_code_page", "gb18030_bad_third", bytes([6]) + b"\x81\x30\x20\x30\x81\x30\x81\x30")
    write("fuzz_code_page", "eucjp_three_byte",
          bytes([7]) + "\u3042\u4e9c\uff71".encode("euc-jp") + b"\x8f\xb0\xa1\x8f\xb0")
    # The single-byte code pages (selectors 8 to 30): every high byte once.
    for page_index in range(8, 31):
        write("fuzz_code_page", "single_byte_%d" % page_index,
              bytes([page_index, 7]) + bytes(range(0x80, 0x100)) + b"a\x00")
    write("fuzz_code_page", "invalid_utf8", bytes([0]) + b"\xc3\x28\xe2\x82\xf0\x9f\x98")
    write("fuzz_code_page", "lone_surrogate", bytes([0]) + b"\x00\xdca\x00")
    write("fuzz_code_page", "dbcs_lead_at_end", bytes([1]) + b"ab\x81")


def command_line_seeds():
    """argv without argv[0], split at NUL; the same bytes are also standard input."""
    lines = {
        "help": ["--help"],
        "version": ["--version"],
        "encrypt": ["encrypt", "hello world"],
        "encrypt_stdin": ["encrypt"],
        "decrypt": ["decrypt", "00112233445566778899AABBCCDDEEFF"],
        "decrypt_short": ["decrypt", "A"],
        "utf8": ["utf8", "\u4e2d"],
        "ansi_936": ["--codepage", "936", "ansi", "\u4e2d"],
        "ansi_equals": ["--codepage=1252", "ansi", "caf\u00e9"],
        "unknown_codepage": ["--codepage", "12345", "encrypt", "x"],
        "codepage_not_number": ["--codepage", "x", "utf8", "a"],
        "unknown_command": ["frobnicate"],
        "two_commands": ["encrypt", "a", "decrypt", "b"],
        "command_help": ["decrypt", "--help"],
        "no_command": [],
    }
    for name, args in lines.items():
        write("fuzz_command_line", name, b"\0".join(a.encode("utf-8") for a in args))


if __name__ == "__main__":
    decrypt_seeds()
    array_seeds()
    file_seeds()
    load_file_seeds()
    code_page_seeds()
    command_line_seeds()
