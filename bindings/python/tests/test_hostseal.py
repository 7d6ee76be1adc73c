"""The ctypes module against independent oracles: python3-cryptography's AES-ECB, the recorded
known answers of tests/data (made with openssl and iconv) and the command-line tool.

ctest sets HOSTSEAL_LIBRARY (the built library), HOSTSEAL_TOOL (the built tool) and
HOSTSEAL_TEST_DATA (tests/data).
"""
import array
import gc
import os
import subprocess
from threading import get_ident

import pytest
from cryptography.hazmat.primitives.ciphers import Cipher as OracleCipher
from cryptography.hazmat.primitives.ciphers import algorithms, modes

import hostseal

TOOL = os.environ["HOSTSEAL_TOOL"]
DATA = os.environ["HOSTSEAL_TEST_DATA"]
KEYS = [bytes(range(n)) for n in (16, 24, 32)]
PLAIN = bytes((i * 37 + 11) % 256 for i in range((1 << 20) + 5))  # 1 MiB and a tail


def oracle_ecb(key, data):
    encryptor = OracleCipher(algorithms.AES(key), modes.ECB()).encryptor()
    return encryptor.update(data) + encryptor.finalize()


def framed(data, length_field):
    """The byte-array format's plain blocks: zero padding, then the length mod 16."""
    if length_field:
        padded = data + bytes(15 - len(data) % 16)
        return padded + bytes([len(data) % 16])
    return data + bytes(-len(data) % 16)


def tool(*arguments, env=None):
    return subprocess.run([TOOL, *arguments], capture_output=True, check=True,
                          env=dict(os.environ, **(env or {}))).stdout.decode("utf-8")


@pytest.mark.parametrize("key", KEYS, ids=lambda k: f"aes{8 * len(k)}")
@pytest.mark.parametrize("length", [0, 1, 15, 16, 17, 100, 1 << 20, (1 << 20) + 5])
@pytest.mark.parametrize("length_field", [False, True])
def test_arrays_match_aes_ecb_and_come_back(key, length, length_field):
    plain = PLAIN[:length]
    with hostseal.Cipher(key) as cipher:
        sealed = cipher.encrypt(plain, length_field=length_field)
        assert type(sealed) is bytes
        assert sealed == oracle_ecb(key, framed(plain, length_field))
        back = cipher.decrypt(sealed, length_field=length_field)
        assert back == (plain if length_field else framed(plain, False))


@pytest.mark.parametrize("wrap", [bytes, bytearray, memoryview, lambda b: memoryview(b)[::1],
                                  lambda b: array.array("I", b)],
                         ids=["bytes", "bytearray", "memoryview", "view", "array"])
def test_every_bytes_like_input_reads_the_same_bytes(wrap):
    key, plain = KEYS[0], PLAIN[:64]
    with hostseal.Cipher(wrap(key)) as cipher:
        assert cipher.encrypt(wrap(plain)) == oracle_ecb(key, plain)
        assert cipher.decrypt(wrap(oracle_ecb(key, plain))) == plain


def known_texts():
    with open(os.path.join(DATA, "hex_texts.txt"), encoding="ascii") as lines:
        for line in lines:
            if line[0].isdigit():
                page, text, _, hex_text = line.rstrip("\n").split(" ", 3)
                yield (int(page), bytes.fromhex("" if text == "-" else text).decode("utf-8"),
                       "" if hex_text == "-" else hex_text)


@pytest.mark.parametrize("page, text, hex_text", list(known_texts()))
def test_text_matches_the_recorded_answers(page, text, hex_text):
    assert hostseal.encrypt_text(text, code_page=page) == hex_text
    assert hostseal.decrypt_text(hex_text.lower(), code_page=page) == text


@pytest.mark.parametrize("page, text", [(65001, "hello world"), (936, "主机标识 hostseal")])
def test_text_matches_the_tool(page, text):
    expected = tool("--codepage", str(page), "encrypt", "--", text).rstrip("\n")
    assert hostseal.encrypt_text(text, code_page=page) == expected


@pytest.mark.parametrize("make, tool_options, tool_env", [
    (lambda: hostseal.Cipher(bytes.fromhex("000102030405060708090a0b0c0d0e0f1011121314151617")),
     [], {"HOSTSEAL_KEY": "000102030405060708090A0B0C0D0E0F1011121314151617"}),
    (lambda: hostseal.Cipher.from_hex("00" * 32), [], {"HOSTSEAL_KEY": "00" * 32}),
    (lambda: hostseal.Cipher.from_pass_phrase("密码 phrase", 192, code_page=936),
     ["--bits", "192"], {"HOSTSEAL_PASSPHRASE": "密码 phrase", "HOSTSEAL_CODEPAGE": "936"}),
    (hostseal.Cipher.built_in, [], {}),
], ids=["key192", "hex256", "pass-phrase", "built-in"])
@pytest.mark.parametrize("length", [0, 33, 300000])
def test_files_match_the_tool(tmp_path, make, tool_options, tool_env, length):
    plain = tmp_path / "plain.bin"
    plain.write_bytes(PLAIN[:length])
    tool("encrypt-file", *tool_options, str(plain), str(tmp_path / "tool.aes"), env=tool_env)
    seen = []
    with make() as cipher:
        cipher.encrypt_file(plain, str(tmp_path / "module.aes"),
                            progress=lambda *report: seen.append(report + (get_ident(),)))
        assert (tmp_path / "module.aes").read_bytes() == (tmp_path / "tool.aes").read_bytes()
        cipher.decrypt_file(tmp_path / "module.aes", tmp_path / "back.bin")
    assert (tmp_path / "back.bin").read_bytes() == PLAIN[:length]
    assert seen == sorted(seen) and all(done <= total for done, total, _ in seen)
    assert not seen or seen[-1][0] == seen[-1][1]
    assert {thread for _, _, thread in seen} <= {get_ident()}  # called on the caller's thread


def test_an_exception_of_the_progress_callable_stops_and_keeps_the_target(tmp_path):
    (tmp_path / "plain").write_bytes(PLAIN * 9)  # more than one chunk of the file functions
    (tmp_path / "target").write_bytes(b"before")

    def stop(done, total):
        assert done < total
        raise KeyboardInterrupt

    with hostseal.Cipher(KEYS[0]) as cipher, pytest.raises(KeyboardInterrupt):
        cipher.encrypt_file(tmp_path / "plain", tmp_path / "target", progress=stop)
    assert (tmp_path / "target").read_bytes() == b"before"
    assert sorted(os.listdir(tmp_path)) == ["plain", "target"]


def test_a_progress_callable_may_use_and_close_the_cipher_it_reports_for(tmp_path):
    (tmp_path / "plain").write_bytes(PLAIN * 9)  # more than one chunk
    cipher = hostseal.Cipher(KEYS[0])

    def report(done, total):
        if not closed:
            assert cipher.encrypt(b"x") == oracle_ecb(KEYS[0], framed(b"x", False))
            cipher.close()
            closed.append(done)

    closed = []

    cipher.encrypt_file(tmp_path / "plain", tmp_path / "sealed", progress=report)
    assert (tmp_path / "sealed").read_bytes() == oracle_ecb(KEYS[0], framed(PLAIN * 9, True))
    with pytest.raises(hostseal.Error):
        cipher.encrypt(b"x")


def closed_cipher():
    cipher = hostseal.Cipher(KEYS[0])
    cipher.close()
    cipher.close()
    return cipher.encrypt(b"a")


@pytest.mark.parametrize("call, number", [
    (lambda tmp: hostseal.Cipher(b"k" * 20), 1),
    (lambda tmp: hostseal.Cipher(b"k" * 16, key_bits=256), 1),
    (lambda tmp: hostseal.Cipher(b"k" * 16, key_bits=2**32 + 128), 5),
    (lambda tmp: hostseal.Cipher.from_hex("0123456789abcdef0123456789abcdeZ"), 1),
    (lambda tmp: hostseal.Cipher.from_pass_phrase("p", key_bits=100), 1),
    (lambda tmp: hostseal.Cipher(b"k" * 16).decrypt(b"x" * 17), -1),
    (lambda tmp: hostseal.Cipher(b"k" * 16).decrypt(
        hostseal.Cipher(b"k" * 16).encrypt(b"\xff" * 16), length_field=True), 1),
    (lambda tmp: hostseal.Cipher(b"k" * 16).encrypt("text"), 5),
    (lambda tmp: closed_cipher(), 5),
    (lambda tmp: hostseal.decrypt_text("0011"), 1),
    (lambda tmp: hostseal.encrypt_text("a\0b"), 5),
    (lambda tmp: hostseal.encrypt_text("\ud800"), 5),
    (lambda tmp: hostseal.encrypt_text("a", code_page=12345), 5),
    (lambda tmp: hostseal.mac_address("300.1.2.3"), 5),
    (lambda tmp: hostseal.Cipher(b"k" * 16).encrypt_file(tmp / "missing", tmp / "out"), 53),
    (lambda tmp: hostseal.Cipher(b"k" * 16).encrypt_file(tmp / "a\0b", tmp / "out"), 52),
    (lambda tmp: hostseal.Cipher(b"k" * 16).decrypt_file(tmp / "empty", tmp / "out"), 1),
    (lambda tmp: hostseal.Cipher(b"j" * 16).decrypt_file(tmp / "sealed", tmp / "kept"), 2),
], ids=["key-length", "key-short", "key-bits-wrap", "hex-digits", "phrase-bits", "not-blocks",
        "length-field", "str-data", "closed", "text-blocks", "text-zero", "text-surrogate",
        "code-page", "mac-text", "file-missing", "file-name", "file-empty", "file-wrong-key"])
def test_every_failure_raises_error_with_number_and_description(tmp_path, call, number):
    (tmp_path / "empty").write_bytes(b"")
    (tmp_path / "kept").write_bytes(b"kept")
    with hostseal.Cipher(b"k" * 16) as cipher:
        cipher.encrypt_file(tmp_path / "kept", tmp_path / "sealed")
    with pytest.raises(hostseal.Error) as raised:
        call(tmp_path)
    assert (raised.value.number, bool(raised.value.description)) == (number, True)
    assert "0123456789" not in raised.value.description  # a key's digits are never repeated
    assert (tmp_path / "kept").read_bytes() == b"kept"


def test_the_garbage_collector_frees_an_unclosed_cipher():
    cipher = hostseal.Cipher(KEYS[0])
    free = cipher._free
    del cipher
    gc.collect()
    assert not free.alive


def test_host_queries_match_the_tool():
    assert hostseal.host_ip("localhost") == tool("host-ip", "localhost").strip() == "127.0.0.1"
    ids = hostseal.processor_ids()
    assert ids and ids == tool("cpu").split()
