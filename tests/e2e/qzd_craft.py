#!/usr/bin/env python3
"""Writes an encoded launcher file with any stored path, as a crafted file would have it.

usage: qzd_craft.py OUT KEY STORED_PATH < content
The layout and the keyed transform are written out here from their description, apart from
the program's code: velta-cli decoding these files is also a check of both.
"""
import hashlib
import math
import struct
import sys


def schedule(key: bytes):
    t = bytearray(64)
    for j in range(8):
        for i in range(8):
            t[8 * j + i] = int(241.0 * (math.cos(0.349 * i) + math.sin(0.349 * j))) & 0xFF
    n = len(key)
    if n:
        for r in range(8):
            if n <= 8:
                for c in range(8):
                    t[8 * r + c] = (t[8 * r + c] + key[c % n]) & 0xFF
            else:
                for k in range(n):
                    t[8 * r + k % 8] = (t[8 * r + k % 8] + key[k]) & 0xFF
    pos = 0
    for r in range(8):
        for c in range(8):
            pos = t[8 * r + pos] & 7
            t[8 * r + c], t[8 * r + pos] = t[8 * r + pos], t[8 * r + c]
    s = t[pos] & 31
    return t, (11 if s == 0 else 13 if s == 31 else s)


def encode(data: bytearray, key: bytes) -> bytearray:
    t, s = schedule(key)
    n = len(data)
    blocks = 0 if n < 8 else max(1, (n + 7) // 8 - 1)
    off = 1
    rot = lambda w: ((w << s) | (w >> (32 - s))) & 0xFFFFFFFF
    for b in range(blocks):
        w = t[off:off + 8]
        block = bytes((data[8 * b + i] + w[i]) & 0xFF for i in range(8))
        lo, hi = struct.unpack('<II', block)
        block = struct.pack('<II', rot(lo), rot(hi))
        data[8 * b:8 * b + 8] = bytes(block[i] ^ w[i] for i in range(8))
        off = w[0] & 31
    return data


def main():
    out, key, stored = sys.argv[1], sys.argv[2].encode('latin-1'), sys.argv[3].encode('latin-1')
    content = sys.stdin.buffer.read()
    image = bytearray(content) + stored + struct.pack('<I', len(stored)) + hashlib.md5(content).hexdigest().encode()
    with open(out, 'wb') as f:
        f.write(encode(image, key))


if __name__ == '__main__':
    main()
