#!/usr/bin/env python3
"""Writes FOLDER/cjk, FOLDER/latin and FOLDER/mixed: MiB mebibytes each of non-ASCII UTF-8 text
(CJK with some punctuation; Latin-1 words with about one letter in seven accented; a mix of
ASCII, Latin-1, CJK and emoji), one fixed 1 MiB piece repeated, padded with spaces to exactly
1 MiB. Shared by the code-page benchmarks.

Usage: make_text_samples.py FOLDER [MiB]
"""
import random
import sys

random.seed(1)


def pick(kind):
    r = random.random()
    if kind == 'cjk':
        return chr(random.randint(0x4E00, 0x9FA5)) if r < 0.9 else random.choice(' ,.\n')
    if kind == 'latin':
        return random.choice('abcdefghijklmnopqrstuvwxyz     ') if r < 0.85 else random.choice('éèêàçôûüöäßÉñ')
    if r < 0.5:
        return random.choice('abcdefghijklmnop  ')
    if r < 0.75:
        return chr(random.randint(0x4E00, 0x9FA5))
    return random.choice('éèàçüöß') if r < 0.9 else chr(random.randint(0x1F600, 0x1F64F))


folder = sys.argv[1]
mib = int(sys.argv[2]) if len(sys.argv) > 2 else 1
for kind in ('cjk', 'latin', 'mixed'):
    out, n = [], 0
    while n < (1 << 20) - 8:
        b = pick(kind).encode()
        out.append(b)
        n += len(b)
    piece = b''.join(out)
    piece += b' ' * ((1 << 20) - len(piece))
    with open('%s/%s' % (folder, kind), 'wb') as f:
        for _ in range(mib):
            f.write(piece)
