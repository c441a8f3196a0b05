#!/usr/bin/env python3
"""Prints what a Windows shortcut (.lnk) runs, one "field<TAB>value" a line:
target (the path from its LinkInfo), arguments, working_dir, hotkey (as
"Ctrl+Alt+U", or "none") and show (the ShowCommand number), read from the
binary file itself rather than through the shell that wrote it."""
import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH = 0x1, 0x2, 0x4, 0x8
HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION, IS_UNICODE = 0x10, 0x20, 0x40, 0x80
MODIFIERS = ((0x02, "Ctrl"), (0x04, "Alt"), (0x01, "Shift"))


def key_name(vk):
    if 0x30 <= vk <= 0x39 or 0x41 <= vk <= 0x5A:
        return chr(vk)
    if 0x70 <= vk <= 0x87:
        return "F%d" % (vk - 0x6F)
    return "0x%02X" % vk


def read_lnk(data):
    header_size, = struct.unpack_from("<I", data, 0)
    if header_size != 0x4C or data[4:20] != bytes.fromhex("0114020000000000c000000000000046"):
        raise ValueError("not a shell link")
    flags, = struct.unpack_from("<I", data, 0x14)
    show, = struct.unpack_from("<I", data, 0x3C)
    vk, modifiers = data[0x40], data[0x41]
    pos = header_size
    if flags & HAS_ID_LIST:
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    fields = {"target": "", "arguments": "", "working_dir": "", "show": str(show)}
    if flags & HAS_LINK_INFO:
        size, info_header, info_flags, _, base, _, suffix = struct.unpack_from("<7I", data, pos)
        if info_flags & 1:
            def ansi(offset):
                end = data.index(b"\0", pos + offset)
                return data[pos + offset:end].decode("cp1252")
            fields["target"] = ansi(base) + ansi(suffix)
            if info_header >= 0x24:
                base_unicode, = struct.unpack_from("<I", data, pos + 0x1C)
                end = pos + base_unicode
                while data[end:end + 2] != b"\0\0":
                    end += 2
                fields["target"] = data[pos + base_unicode:end].decode("utf-16-le")
        pos += size
    for flag, name in ((HAS_NAME, "description"), (HAS_RELATIVE_PATH, "relative_path"),
                       (HAS_WORKING_DIR, "working_dir"), (HAS_ARGUMENTS, "arguments"),
                       (HAS_ICON_LOCATION, "icon")):
        if flags & flag:
            count, = struct.unpack_from("<H", data, pos)
            pos += 2
            if flags & IS_UNICODE:
                fields[name] = data[pos:pos + 2 * count].decode("utf-16-le").rstrip("\0")
                pos += 2 * count
            else:
                fields[name] = data[pos:pos + count].decode("cp1252").rstrip("\0")
                pos += count
    if vk:
        fields["hotkey"] = "+".join([n for bit, n in MODIFIERS if modifiers & bit] + [key_name(vk)])
    else:
        fields["hotkey"] = "none"
    return fields


if __name__ == "__main__":
    with open(sys.argv[1], "rb") as f:
        for name, value in read_lnk(f.read()).items():
            print("%s\t%s" % (name, value))
