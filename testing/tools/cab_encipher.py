#!/usr/bin/env python3
"""Enciphers a plain cabinet as a "CRYP" cabinet: the first 56 bytes stay plain (with the signature
replaced), the rest is Blowfish ECB, each 32-bit half stored least significant byte first.
Usage: cab_encipher.py KEY IN OUT"""
import sys

from Cryptodome.Cipher import Blowfish

key, source, target = sys.argv[1].encode("latin-1"), sys.argv[2], sys.argv[3]
data = bytearray(open(source, "rb").read())
data += b"\0" * (-len(data) % 8)
cipher = Blowfish.new(key, Blowfish.MODE_ECB)


def swap(block):
    return block[3::-1] + block[7:3:-1]


out = bytearray(b"CRYP") + data[4:56]
for i in range(56, len(data), 8):
    out += swap(cipher.encrypt(swap(bytes(data[i:i + 8]))))
open(target, "wb").write(out)
