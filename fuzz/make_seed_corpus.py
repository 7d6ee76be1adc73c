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
    # Byte 0 flags (1 former target, 2 folder, 4 link, 8 hard link, 16 into the cipher file,
    # 32 named temporary files), byte 1 mode bits of group and others, byte 2 the number of
    # UTF-16 units of the target's name that follow.
    def seed(name, flags, cipher, mode=0o44, units=b""):
        write("fuzz_file_decrypt", name, bytes([flags, mode, len(units) // 2]) + units + cipher)

    for length in [0, 1, 15, 16, 17, 31, 47]:
        plain = bytes((i * 7) & 0xFF for i in range(length))
        seed("valid%d" % length, 0, aes_ecb(KEY_000F, framed(plain)))
    abc = aes_ecb(KEY_000F, framed(b"abc"))
    seed("valid_over_former", 1, abc)
    seed("folder_target", 2, abc)
    seed("empty", 1, b"")
    seed("size20", 1, bytes(20))
    seed("wrong_key", 0, bytes(32))
    seed("wrong_key_over_former", 1, bytes(32), mode=0)
    seed("into_itself", 16, abc)
    seed("wrong_key_into_itself", 16, bytes(32))
    seed("link_to_new", 4, abc)
    seed("link_to_former", 5, abc, mode=0o77)
    seed("hard_link", 9, abc)
    seed("named_temporary", 33, abc)
    seed("name_cjk", 0, abc, units=utf16("\u4e2d\u6587.txt"))
    seed("name_lone_surrogate", 0, abc, units=b"\x00\xd8a\x00")
    seed("name_control", 1, abc, units=utf16("\x1b[2J"))


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


def netlink_seeds():
    """Byte 0 the mode (0 raw datagram, 1 built message), bytes 1-4 an IPv4 address, then the
    datagram or the recipe; the messages look like the kernel's rtnetlink replies."""
    import socket
    import struct

    def attr(kind, value):
        data = struct.pack("=HH", 4 + len(value), kind) + value
        return data + bytes(-len(data) % 4)

    def message(kind, body, flags=2, seq=1):
        body += bytes(-len(body) % 4)
        return struct.pack("=IHHII", 16 + len(body), kind, flags, seq, 0) + body

    def ip(text):
        return socket.inet_aton(text)

    def route(table, kind, prefix, length, oif=None, gateway=None, metric=None, hop=None):
        body = struct.pack("=BBBBBBBBI", 2, length, 0, 0, min(table, 252), 2, 0, kind, 0)
        body += attr(15, struct.pack("=I", table))
        if length:
            body += attr(1, ip(prefix))
        if metric is not None:
            body += attr(6, struct.pack("=I", metric))
        if oif is not None:
            body += attr(4, struct.pack("=I", oif))
        if gateway:
            body += attr(5, ip(gateway))
        if hop:
            nested = attr(5, ip(hop[1]))
            body += attr(9, struct.pack("=HBBi", 8 + len(nested), 0, 0, hop[0]) + nested)
        return message(24, body)

    done = message(3, struct.pack("=i", 0))
    routes = (route(255, 2, "127.0.0.0", 8, oif=1) + route(255, 3, "10.1.255.255", 32, oif=3)
              + route(254, 1, "0.0.0.0", 0, oif=2, gateway="192.168.0.1", metric=100)
              + route(254, 1, "10.1.0.0", 16, oif=3, metric=200)
              + route(254, 1, "10.1.0.0", 16, oif=4, metric=50)
              + route(254, 1, "10.7.0.0", 17, hop=(9, "10.7.0.1"))
              + route(100, 1, "10.1.2.3", 32, oif=5, gateway="10.5.0.1") + done)
    for name, address in [("on_link", "10.1.2.3"), ("gateway", "10.2.0.1"),
                          ("broadcast", "10.1.255.255"), ("local", "127.0.0.2")]:
        write("fuzz_netlink_readers", "routes_" + name, bytes([0]) + ip(address) + routes)

    neighbour = message(28, struct.pack("=BBHiHBB", 2, 0, 0, 3, 0x02, 0, 1)
                        + attr(1, ip("10.1.2.3")) + attr(2, bytes.fromhex("000c290a0b01")))
    link = message(16, struct.pack("=BBHiII", 0, 0, 1, 3, 0x1043, 0)
                   + attr(3, b"eth0\0") + attr(1, bytes.fromhex("02000000ab0f"))
                   + attr(4, struct.pack("=I", 1500)))
    address = message(20, struct.pack("=BBBBI", 2, 24, 0, 0, 3)
                      + attr(1, ip("10.1.2.1")) + attr(2, ip("10.1.2.1")) + attr(3, b"eth0\0"))
    error = message(2, struct.pack("=i", -19) + bytes(16))
    for name, data in [("neighbour", neighbour), ("link", link), ("address", address),
                       ("mixed", link + address + neighbour + done), ("error", error),
                       ("too_long", link[:-4]), ("short_attribute", link[:16 + 16 + 2])]:
        write("fuzz_netlink_readers", name, bytes([0]) + ip("10.1.2.3") + data)

    # Built messages: kind, fixed header bytes, then attributes (type low, type high, length).
    header = bytes(16)
    write("fuzz_netlink_readers", "built_link",
          bytes([1]) + ip("10.1.2.3") + bytes([0]) + header + b"\x03\x00\x05eth0\x00"
          + b"\x01\x00\x06" + bytes.fromhex("000c290a0b01"))
    write("fuzz_netlink_readers", "built_route",
          bytes([1]) + ip("10.1.2.3") + bytes([1]) + bytes([2, 24, 0, 0, 254, 2, 0, 1, 0, 0, 0, 0])
          + b"\x01\x00\x04" + ip("10.1.2.0") + b"\x04\x00\x04" + struct.pack("=I", 3))
    write("fuzz_netlink_readers", "built_nested",
          bytes([1]) + ip("0.0.0.0") + bytes([2]) + bytes(12) + b"\x01\x80\x04" + ip("10.1.2.3"))


def host_text_seeds():
    """Byte 0: 0 for one character a byte, 1 for UTF-16 units in byte pairs."""
    texts = ["10.0.0.5", "255.255.255.255", "0.0.0.0", "192.168.1.20", "01.2.3.4", "1.2.3",
             "1.2.3.4.5", "256.0.0.1", " 1.2.3.4", "1.2.3.4\0", "1..2.3", "0x0a.0.0.1"]
    for index, text in enumerate(texts):
        write("fuzz_host_text", "ascii%d" % index, bytes([0]) + text.encode("ascii"))
    for name, text in [("utf16", "10.213.7.2"), ("fullwidth", "\uff11.2.3.4"),
                       ("arabic_digits", "\u0661.2.3.4")]:
        write("fuzz_host_text", name, bytes([1]) + utf16(text))
    write("fuzz_host_text", "mac_bytes", bytes([0]) + bytes.fromhex("001a0c00ff05"))
    write("fuzz_host_text", "mac_zero_head", bytes([0]) + bytes.fromhex("000000001234"))


def hex_key_seeds():
    """ParseHexKey: UTF-16LE text."""
    def utf16(text):
        return text.encode("utf-16-le")
    write("fuzz_hex_key", "key128", utf16("000102030405060708090a0b0c0d0e0f"))
    write("fuzz_hex_key", "key192_upper", utf16("00112233445566778899AABBCCDDEEFF0011223344556677"))
    write("fuzz_hex_key", "key256", utf16("ab" * 32))
    write("fuzz_hex_key", "odd_length", utf16("f" * 31))
    write("fuzz_hex_key", "bad_digit", utf16("0" * 20 + "g" + "0" * 11))
    write("fuzz_hex_key", "control", utf16("0" * 31 + "\x1b"))
    write("fuzz_hex_key", "cjk", utf16("\u4e2d" + "0" * 31))


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
    decrypt_seeds()
    array_seeds()
    file_seeds()
    load_file_seeds()
    code_page_seeds()
    command_line_seeds()
    netlink_seeds()
    host_text_seeds()
    hex_key_seeds()
    c_interface_seeds()
