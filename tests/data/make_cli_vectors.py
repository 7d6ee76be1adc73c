#!/usr/bin/env python3
"""Writes cli_outputs.txt: what the Linux build of hostseal prints for a list of command lines.

The Windows build must print the same bytes (standard output and error, exit status, output
files), so these outputs, taken from the Linux tool, are the reference its test compares with
(tests/tools/cli_vector_test.cpp, run natively and under Wine). Cipher bytes are not checked
here against an oracle: the Linux tests do that with OpenSSL.

    python3 tests/data/make_cli_vectors.py build/release/bin/hostseal

Each case runs in an empty temporary folder with only PATH, LC_ALL=C.UTF-8, NO_COLOR=1 and
HOSTSEAL_CODEPAGE=65001 and
HOSTSEAL_CPU=portable in its environment; a case may first write the file in.bin there, and
names the files by those relative names, so that no path of this machine enters the outputs.
One line a case, fields separated by one space, byte fields in hex ("-": empty):

    NAME STATUS COMPARE ARGUMENTS STDIN IN_BIN STDOUT STDERR OUT_BIN

ARGUMENTS are the arguments after the program joined by NUL bytes; IN_BIN is "absent" when
no in.bin is written; OUT_BIN is "absent" when out.bin must not exist afterwards. COMPARE is
"exact", or "reason" when standard error ends in the system's own reason in brackets, which
differs between systems and is left out of the comparison.
"""

import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
KEY128 = "000102030405060708090a0b0c0d0e0f"
KEY256 = "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4"
PLAIN = "Plain text, 文字, \U0001F600\n".encode("utf-8") * 5

# name, arguments, standard input, in.bin (None: none), compare
CASES = [
    ("version", ["--version"], b"", None, "exact"),
    ("help", ["--help"], b"", None, "exact"),
    ("no-command", [], b"", None, "exact"),
    ("unknown-command", ["frobnicate"], b"", None, "exact"),
    ("unknown-option", ["--frobnicate", "encrypt"], b"", None, "exact"),
    ("encrypt-ascii", ["encrypt", "hello world"], b"", None, "exact"),
    ("encrypt-empty", ["encrypt", ""], b"", None, "exact"),
    ("decrypt-empty", ["decrypt"], b"", None, "exact"),
    ("encrypt-chinese", ["encrypt", "你好，世界"], b"", None, "exact"),
    ("encrypt-astral", ["encrypt", "\U0001F600 smile"], b"", None, "exact"),
    ("encrypt-stdin", ["encrypt"], "输入 text\n".encode("utf-8"), None, "exact"),
    ("encrypt-stdin-crlf", ["encrypt"], b"two\r\nlines\r\n", None, "exact"),
    ("decrypt-not-hex", ["decrypt", "XYZ"], b"", None, "exact"),
    ("decrypt-odd", ["decrypt", "ABC"], b"", None, "exact"),
    ("decrypt-short", ["decrypt", "00112233"], b"", None, "exact"),
    ("utf8-mixed", ["utf8", "Aé中\U0001F600"], b"", None, "exact"),
    ("utf8-stdin", ["utf8"], "标准输入\n".encode("utf-8"), None, "exact"),
    ("ansi-936", ["--codepage", "936", "ansi", "中文字符"], b"", None, "exact"),
    ("ansi-1252", ["--codepage", "1252", "ansi", "café €"], b"", None, "exact"),
    ("ansi-1252-unmappable", ["--codepage", "1252", "ansi", "中"], b"", None, "exact"),
    ("ansi-65001", ["--codepage", "65001", "ansi", "中"], b"", None, "exact"),
    ("codepage-bad", ["--codepage", "12x", "ansi", "a"], b"", None, "exact"),
    ("encrypt-file-default", ["encrypt-file", "in.bin", "out.bin"], b"", PLAIN, "exact"),
    ("encrypt-file-key", ["encrypt-file", "--key", KEY128, "in.bin", "out.bin"], b"", PLAIN,
     "exact"),
    ("encrypt-file-key256", ["encrypt-file", f"--key={KEY256}", "in.bin", "out.bin"], b"",
     PLAIN[:37], "exact"),
    ("encrypt-file-passphrase", ["encrypt-file", "--passphrase", "密码 phrase", "--bits", "192",
                                 "in.bin", "out.bin"], b"", PLAIN, "exact"),
    ("encrypt-file-empty", ["encrypt-file", "in.bin", "out.bin"], b"", b"", "exact"),
    ("encrypt-file-stdin", ["encrypt-file", "--key", KEY128, "-", "out.bin"], PLAIN, None,
     "exact"),
    ("encrypt-file-missing", ["encrypt-file", "in.bin", "out.bin"], b"", None, "exact"),
    ("encrypt-file-bad-key", ["encrypt-file", "--key", "0011", "in.bin", "out.bin"], b"", PLAIN,
     "exact"),
    ("encrypt-file-bits", ["encrypt-file", "--bits", "100", "in.bin", "out.bin"], b"", PLAIN,
     "exact"),
    ("decrypt-file-key", ["decrypt-file", "--key", KEY128, "in.bin", "out.bin"], b"", "cipher",
     "exact"),
    ("decrypt-file-wrong-key", ["decrypt-file", "--key", KEY256, "in.bin", "out.bin"], b"",
     "cipher", "exact"),
    ("decrypt-file-ragged", ["decrypt-file", "in.bin", "out.bin"], b"", PLAIN[:21], "exact"),
    ("decrypt-file-stdout", ["decrypt-file", "--key", KEY128, "in.bin", "-"], b"", "cipher",
     "exact"),
    ("key-file-missing", ["encrypt-file", "--key-file", "no.key", "in.bin", "out.bin"], b"", PLAIN,
     "exact"),
    ("decrypt-file-check", ["decrypt-file", "--check", "--key", KEY128, "in.bin"], b"", "cipher",
     "exact"),
    ("decrypt-file-check-wrong-key", ["decrypt-file", "--check", "--key", KEY256, "in.bin"], b"",
     "cipher", "exact"),
    ("keygen-existing", ["keygen", "in.bin"], b"", PLAIN, "exact"),
    ("encrypt-file-no-folder", ["encrypt-file", "in.bin", "nodir/sub/out.bin"], b"", PLAIN,
     "exact"),
    ("encrypt-surplus", ["encrypt", "one", "two", "three"], b"", None, "exact"),
    # A word that begins with "/" is an operand or an option's value on every system, never an
    # option (Windows programs often take "/word" for one); absent files at the top of the
    # drive, which Windows reaches from the current folder's drive.
    ("encrypt-slash", ["encrypt", "/abc"], b"", None, "exact"),
    ("encrypt-file-slash", ["encrypt-file", "/hostseal-absent.bin", "out.bin"], b"", None,
     "reason"),
    ("key-file-slash", ["encrypt-file", "--key-file", "/hostseal-absent.key", "in.bin",
                        "out.bin"], b"", PLAIN, "reason"),
]


def run(tool, arguments, stdin, folder):
    env = {"PATH": "/usr/sbin:/usr/bin:/sbin:/bin", "LC_ALL": "C.UTF-8", "NO_COLOR": "1",
           "HOSTSEAL_CODEPAGE": "65001", "HOSTSEAL_CPU": "portable"}
    return subprocess.run([tool] + arguments, input=stdin, cwd=folder, env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def hexs(data):
    return data.hex().upper() if data else "-"


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_cli_vectors.py PATH/TO/hostseal")
    tool = os.path.abspath(sys.argv[1])
    # The cipher file that the decrypt-file cases start from, made by the tool itself under
    # KEY128; the encrypt-file-key case checks the same bytes.
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "in.bin"), "wb") as f:
            f.write(PLAIN)
        r = run(tool, ["encrypt-file", "--key", KEY128, "in.bin", "out.bin"], b"", folder)
        assert r.returncode == 0, r.stderr
        with open(os.path.join(folder, "out.bin"), "rb") as f:
            cipher = f.read()
    lines = []
    for name, arguments, stdin, in_bin, compare in CASES:
        if in_bin == "cipher":
            in_bin = cipher
        with tempfile.TemporaryDirectory() as folder:
            if in_bin is not None:
                with open(os.path.join(folder, "in.bin"), "wb") as f:
                    f.write(in_bin)
            r = run(tool, arguments, stdin, folder)
            out_path = os.path.join(folder, "out.bin")
            out_bin = "absent"
            if os.path.exists(out_path):
                with open(out_path, "rb") as f:
                    out_bin = hexs(f.read())
        joined = b"\0".join(a.encode("utf-8") for a in arguments)
        lines.append(" ".join([name, str(r.returncode), compare, hexs(joined), hexs(stdin),
                               "absent" if in_bin is None else hexs(in_bin), hexs(r.stdout),
                               hexs(r.stderr), out_bin]))
    path = os.path.join(HERE, "cli_outputs.txt")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("# The Linux hostseal's outputs, written by make_cli_vectors.py; do not edit.\n")
        f.write("# NAME STATUS COMPARE ARGUMENTS STDIN IN_BIN STDOUT STDERR OUT_BIN\n")
        f.write("".join(line + "\n" for line in lines))
    print(f"{path}: {len(lines)} cases")


if __name__ == "__main__":
    main()
