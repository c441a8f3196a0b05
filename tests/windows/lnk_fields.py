#!/usr/bin/env python3
"""Prints what a Windows shortcut (.lnk) runs as "target|arguments|hotkey"
(hotkey as Ctrl+Alt+U, or none), read from the file itself rather than
through the shell that wrote it."""
import struct
import sys

data = open(sys.argv[1], "rb").read()
if data[:4] != b"L\0\0\0":
    sys.exit("not a shell link: " + sys.argv[1])
flags, = struct.unpack_from("<I", data, 0x14)
vk, modifiers = data[0x40], data[0x41]
hotkey = "+".join([n for bit, n in ((2, "Ctrl"), (4, "Alt"), (1, "Shift")) if modifiers & bit]
                  + [chr(vk)]) if vk else "none"
pos = 0x4C
if flags & 0x1:  # LinkTargetIDList
    pos += 2 + struct.unpack_from("<H", data, pos)[0]
target = ""
if flags & 0x2:  # LinkInfo: the local path, in the ANSI code page
    size, _, info_flags, _, base = struct.unpack_from("<5I", data, pos)
    if info_flags & 1:
        target = data[pos + base:data.index(b"\0", pos + base)].decode("cp1252")
    pos += size
strings = {}
for bit in (0x04, 0x08, 0x10, 0x20):  # name, relative path, working folder, arguments
    if flags & bit:
        count, = struct.unpack_from("<H", data, pos)
        width = 2 if flags & 0x80 else 1
        strings[bit] = data[pos + 2:pos + 2 + width * count].decode("utf-16-le" if width == 2 else "cp1252")
        pos += 2 + width * count
print("%s|%s|%s" % (target, strings.get(0x20, "").rstrip("\0"), hotkey))
