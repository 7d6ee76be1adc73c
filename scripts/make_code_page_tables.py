#!/usr/bin/env python3
"""Writes hostseal/text/linux/windows_code_page_data.cpp: Windows' own conversion tables of the
code pages in hostseal/text/code_page_table.cpp, read from the NLS files that Wine ships
(Debian's libwine: /usr/share/wine/nls/c_NNN.nls), which hold Microsoft's published tables,
best fit included, in Windows' CPTABLEINFO layout.

    scripts/make_code_page_tables.py [NLS_FOLDER]

Only the standard library. Wine is needed to run this, never to build or run hostseal: the
written file is committed. A code page of the table without an NLS file (GB18030, UTF-8) is
left to the library's other converters.

An NLS file, in 16-bit little-endian words:
  header: its size in words (13), code page, largest character in bytes, default byte(s),
          default unicode character, two translated defaults, 12 bytes of lead-byte ranges
  then:   the distance to the unicode-to-bytes table (in words, from this word on),
          256 words: the character of each single byte (0 for a lead byte),
          a word saying whether 256 words of glyph characters follow, and those,
          a word saying whether the code page has double-byte characters, and if so
          256 words: for each byte, where its 256 trail characters start (0 unless a lead byte),
          counted in words from the first of these 256; the trail tables follow
  last:   the character-to-bytes table: 65536 entries, a byte each for a single-byte code
          page, a word each otherwise (two bytes, lead in the high half, when above 0xFF).

What is written for each code page is one run-length packed sequence of 16-bit values:
  16 values   the lead bytes as a bit set (bit b % 16 of value b / 16)
  256 values  the character of each byte that is not a lead byte (0 for a lead byte)
  256 values  per lead byte, in increasing order: the character of each trail byte
  65536 values for each character, the difference (mod 2^16) between the bytes Windows gives
              it and the bytes of the first byte sequence that reads as it (single bytes
              first, then pairs in increasing order; the default byte when none does): zero
              except for best-fit characters and the few that Windows maps elsewhere.
Packing: a control value, then its data. Control bits 15-14: 00 that many (bits 13-0) values
follow as they are; 01 one value follows, repeated; 10 one value follows, then that many
minus one values each one more than the one before.
"""

import os
import re
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TABLE = os.path.join(ROOT, "hostseal", "text", "code_page_table.cpp")
OUTPUT = os.path.join(ROOT, "hostseal", "text", "linux", "windows_code_page_data.cpp")
MAX_RUN = 0x3FFF


def read_nls(path):
    data = open(path, "rb").read()
    words = struct.unpack("<%dH" % (len(data) // 2), data[: len(data) // 2 * 2])
    size, code_page, max_char, default_byte, unicode_default = words[:5]
    p = size
    wide_table = p + words[p] + 1
    single = list(words[p + 1 : p + 257])
    p += 257
    if words[p]:  # glyph characters: only MB_USEGLYPHCHARS reads them
        p += 256
    p += 1
    leads, pairs = [], []
    if words[p]:
        offsets = words[p + 1 : p + 257]
        leads = [b for b in range(256) if offsets[b]]
        for b in leads:
            pairs += list(words[p + 1 + offsets[b] : p + 1 + offsets[b] + 256])
    if max_char == 1:
        wide = list(data[2 * wide_table : 2 * wide_table + 65536])
    else:
        wide = list(words[wide_table : wide_table + 65536])
    if len(wide) != 65536:
        raise SystemExit("%s: the character table is cut short" % path)
    return dict(code_page=code_page, max_char=max_char, default_byte=default_byte,
                unicode_default=unicode_default, single=single, leads=leads, pairs=pairs,
                wide=wide)


def check(t, path):
    """The assumptions the library's converter makes; a table that breaks one stops here."""
    def fail(what):
        raise SystemExit("%s: %s" % (path, what))
    for b in range(0x80):
        if t["single"][b] != b or t["wide"][b] != b:
            fail("ASCII byte %02X does not stay itself" % b)
    if any(b < 0x80 for b in t["leads"]):
        fail("a lead byte below 0x80")
    if any(v >= 0xFFFD for v in t["single"] + t["pairs"]):
        fail("a byte sequence reads as U+FFFD or above")
    for u in range(0x80, 0x10000):
        v = t["wide"][u]
        if v == 0 or v >= 0xFFFD or (v > 0xFF and (v >> 8) not in t["leads"]):
            fail("U+%04X gives the bytes %04X" % (u, v))


def first_sequences(t):
    """The bytes of the first byte sequence that reads as each character; default elsewhere."""
    first = [None] * 65536
    for b in range(256):
        if b not in t["leads"] and first[t["single"][b]] is None:
            first[t["single"][b]] = b
    for k, lead in enumerate(t["leads"]):
        for trail in range(256):
            u = t["pairs"][256 * k + trail]
            if first[u] is None:
                first[u] = lead << 8 | trail
    return [t["default_byte"] if v is None else v for v in first]


def pack(values):
    out, literal, i = [], [], 0

    def flush():
        while literal:
            n = min(len(literal), MAX_RUN)
            out.append(n)
            out.extend(literal[:n])
            del literal[:n]

    while i < len(values):
        j = i + 1
        while j < len(values) and values[j] == values[i] and j - i < MAX_RUN:
            j += 1
        if j - i >= 3:
            flush()
            out += [0x4000 | (j - i), values[i]]
            i = j
            continue
        j = i + 1
        while j < len(values) and values[j] == (values[j - 1] + 1) & 0xFFFF and j - i < MAX_RUN:
            j += 1
        if j - i >= 3:
            flush()
            out += [0x8000 | (j - i), values[i]]
            i = j
            continue
        literal.append(values[i])
        i += 1
    flush()
    return out


def unpack(packed, count):
    out, i = [], 0
    while len(out) < count:
        control, n = packed[i] >> 14, packed[i] & MAX_RUN
        if control == 0:
            out += packed[i + 1 : i + 1 + n]
            i += 1 + n
        else:
            step = 1 if control == 2 else 0
            out += [(packed[i + 1] + step * k) & 0xFFFF for k in range(n)]
            i += 2
    return out


def values_of(t):
    lead_bits = [0] * 16
    for b in t["leads"]:
        lead_bits[b // 16] |= 1 << (b % 16)
    first = first_sequences(t)
    differences = [(t["wide"][u] - first[u]) & 0xFFFF for u in range(65536)]
    return lead_bits + t["single"] + t["pairs"] + differences


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/wine/nls"
    numbers = [int(n) for n in re.findall(r"CodePageEntry\{(\d+),", open(TABLE).read())]
    lines = [
        "// Windows' own conversion tables of the code pages in code_page_table.cpp, from the NLS",
        "// files that Wine ships (Microsoft's published best-fit tables). Written by",
        "// scripts/make_code_page_tables.py, which describes the packing; do not edit by hand.",
        "// clang-format off",
        '#include "hostseal/text/linux/windows_code_page_data.hpp"',
        "",
        "#include <array>",
        "",
        "namespace hostseal {",
        "",
        "namespace {",
        "",
    ]
    entries, total = [], 0
    for number in numbers:
        path = os.path.join(folder, "c_%d.nls" % number)
        if not os.path.exists(path):
            print("code page %d: no %s, left to the other converters" % (number, path))
            continue
        t = read_nls(path)
        if t["code_page"] != number:
            raise SystemExit("%s holds code page %d" % (path, t["code_page"]))
        check(t, path)
        values = values_of(t)
        packed = pack(values)
        if unpack(packed, len(values)) != values:
            raise SystemExit("code page %d: the packing does not read back" % number)
        total += 2 * len(packed)
        lines.append("constexpr std::array<std::uint16_t, %d> k%d{" % (len(packed), number))
        for k in range(0, len(packed), 12):
            lines.append("    " + ", ".join("0x%04X" % v for v in packed[k : k + 12]) + ",")
        lines += ["};", ""]
        entries.append("    WindowsCodePageData{%d, %d, 0x%04X, 0x%04X, k%d}," %
                       (number, len(t["leads"]), t["default_byte"], t["unicode_default"], number))
    lines += [
        "constexpr std::array kTables{",
        *entries,
        "};",
        "",
        "}  // namespace",
        "",
        "std::span<const WindowsCodePageData> WindowsCodePageTables() {",
        "  return kTables;",
        "}",
        "",
        "}  // namespace hostseal",
        "// clang-format on",
    ]
    with open(OUTPUT, "w") as out:
        out.write("\n".join(lines) + "\n")
    print("wrote %s: %d code pages, %d bytes of tables" % (OUTPUT, len(entries), total))


if __name__ == "__main__":
    main()
