#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Run from anywhere: python3 fuzz/make_seed_corpus.py. The seeds are small and deterministic.
Each target documents the layout of its input.
"""
import pathlib

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"


def write(target, name, data):
    folder = ROOT / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def utf16(text):
    return text.encode("utf-16-le")


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


if __name__ == "__main__":
    command_line_seeds()
    netlink_seeds()
    host_text_seeds()
