#!/usr/bin/env python3
"""Writes a mixed-script UTF-8 text of exactly SIZE bytes to FILE and prints the
SHA-256 of its upper-case form: every code point mapped on its own (one code point
in, one out; a character without a single-character capital, such as ß, stays).

usage: trayconv_bigtext.py FILE SIZE [ascii]   (ascii: English letters, digits and spaces only)
"""
import hashlib
import random
import sys

SCRIPTS = [
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ",
    "àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿßÀÉÎÕÜıİ",
    "абвгдеёжзийклмнопрстуфхцчшщъыьэюяіїєґАБВГДЕЖЗИЙ",
    "αβγδεζηθικλμνξοπρστυφχψωςάέήίόύώΑΒΓΔΣΩ",
    "աբգդեզէըթժիլխծկհձղճմյնշոչպջռսվտրցւփքօֆ",
    "中文字符日本語テキストひらがなカタカナ한국어",
    "עברית العربية",
    "😀😃🎉🚀💡🌍",
    "𐐨𐐩𐐪𐐫𐐬𐐭𐐮𐐯𐐀𐐁𐐂",
    "𝐀𝐁𝐂𝐚𝐛𝐜",
    "0123456789",
]
SEPARATORS = [" ", " ", " ", ", ", ". ", "\t", "\r\n", " - "]


def block(rng, chars, scripts):
    out = []
    size = 0
    while size < chars:
        script = rng.choice(scripts)
        word = "".join(rng.choice(script) for _ in range(rng.randint(1, 9)))
        out.append(word)
        out.append(rng.choice(SEPARATORS))
        size += len(word) + 2
    return "".join(out)


def main():
    path, size = sys.argv[1], int(sys.argv[2])
    scripts = SCRIPTS[:1] + SCRIPTS[-1:] if sys.argv[3:] == ["ascii"] else SCRIPTS
    rng = random.Random(20240607)
    blocks = [block(rng, 100_000, scripts).encode() for _ in range(12)]
    parts = []
    total = 0
    while total < size:
        b = rng.choice(blocks)
        parts.append(b)
        total += len(b)
    data = b"".join(parts)
    # Cut at a character boundary, then pad with ASCII to the exact size.
    cut = size
    while cut > 0 and (data[cut] & 0xC0) == 0x80:
        cut -= 1
    data = data[:cut] + b"x" * (size - cut)
    assert len(data) == size
    with open(path, "wb") as f:
        f.write(data)

    text = data.decode("utf-8")
    table = {}
    for c in set(text):
        up = c.upper()
        table[ord(c)] = up if len(up) == 1 else c
    print(hashlib.sha256(text.translate(table).encode("utf-8")).hexdigest())


if __name__ == "__main__":
    main()
