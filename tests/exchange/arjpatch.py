#!/usr/bin/env python3
"""Renames a member inside an arj archive in place (same length), fixing the header's CRC.

Real arj strips "..", leading slashes and backslashes when it packs, so hostile member names
for the tests are made by packing a harmless name and rewriting it here.
usage: arjpatch.py ARCHIVE OLDNAME NEWNAME
"""
import binascii
import struct
import sys

path, old, new = sys.argv[1], sys.argv[2].encode(), sys.argv[3].encode()
assert len(old) == len(new)
data = bytearray(open(path, "rb").read())
pos = 0
done = False
while True:
    pos = data.find(b"\x60\xea", pos)
    if pos < 0:
        break
    size = struct.unpack_from("<H", data, pos + 2)[0]
    if size == 0:
        break
    header = pos + 4
    first = data[header]
    name_at = header + first
    end = data.find(b"\0", name_at)
    if data[name_at:end] == old:
        data[name_at:end] = new
        crc = binascii.crc32(bytes(data[header:header + size])) & 0xFFFFFFFF
        struct.pack_into("<I", data, header + size, crc)
        done = True
    pos += 2
open(path, "wb").write(bytes(data))
sys.exit(0 if done else 1)
