#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Run from anywhere: python3 fuzz/make_seed_corpus.py. The seeds are small and deterministic;
a cipher text is made with the openssl command (AES-128-ECB under the key 00 01 .. 0F). Each
target documents the layout of its input.
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
        "encrypt_file_key_file": ["encrypt-file", "--key-file", "key", "plain", "out"],
        "decrypt_file_phrase_file": ["decrypt-file", "--passphrase-file", "phrase", "--bits",
                                     "192", "cipher", "back"],
        "encrypt_file_key_stdin": ["encrypt-file", "--key-file", "-", "plain", "out"],
        "encrypt_file_secret_phrase": ["encrypt-file", "--passphrase", "SECRET-long pass phrase",
                                       "plain", "out"],
        "secret_before_command": ["--key", "SECRET-00112233445566778899AABBCCDDEEFF",
                                  "encrypt-file", "a", "b"],
        "secret_equals_extra": ["encrypt", "--passphrase=SECRET-x", "t"],
        "secret_conflict": ["decrypt-file", "--key", "SECRET-0011", "--passphrase", "SECRET-p",
                            "cipher", "back"],
        "bad_key_file": ["encrypt-file", "--key-file", "phrase", "plain", "out"],
        "missing_key_file": ["decrypt-file", "--key-file", "none", "cipher", "back"],
        "host_ip": ["host-ip", "example"],
        "host_ip_none": ["host-ip", "abc"],
        "mac": ["mac", "10.7.101.1"],
        "cpu": ["cpu"],
        "identity": ["identity"],
    }
    for name, args in lines.items():
        write("fuzz_command_line", name, b"\0".join(a.encode("utf-8") for a in args))


def c_interface_seeds():
    """The C interface: FuzzedDataProvider takes the arguments' bytes from the front and the
    choices of operation, sizes and flags from the back; these seeds carry typical arguments
    (key digits, UTF-8 text, ill-formed UTF-8, whole blocks) in front of a run of choices."""
    choices = bytes(range(6)) * 4
    write("fuzz_c_interface", "hex_key", b"000102030405060708090a0b0c0d0e0f" + choices)
    write("fuzz_c_interface", "cjk_text", "\u4e2d\u6587 text \u00e9".encode() + choices)
    write("fuzz_c_interface", "ill_formed", b"\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80a\x80" + choices)
    write("fuzz_c_interface", "blocks", aes_ecb(KEY_000F, framed(b"fifteen bytes..")) + choices)
    write("fuzz_c_interface", "all_bytes", bytes(range(256)))


if __name__ == "__main__":
    command_line_seeds()
    c_interface_seeds()
