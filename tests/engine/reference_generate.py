#!/usr/bin/env python3
"""Independent reference for the generation table in generate_test.cpp.

Built only on hashlib's SHA-1 and the random module, whose seed() for an
integer runs the reference MT19937 init_by_array over the integer's 32-bit
words (least significant first) and whose getrandbits(32) is genrand_int32.
Prints the C++ rows of the table.
"""
import hashlib
import random
import struct

SALT = "ぬれそほた".encode("shift_jis")
DEFAULT = "!#$%&()*+-./0123456789<=>?@ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz"


def numeric_text(numbers):
    return "-".join(str(struct.unpack("<i", struct.pack("<I", n))[0]) for n in numbers)


def generate(owner, key, string_mode, seed_text, numbers, complexity, chars, length):
    seed = seed_text if string_mode else numeric_text(numbers)
    text = (owner + key + seed).encode("utf-16-le")
    data = SALT + bytes(text[0::2])  # low byte of each unit
    h = struct.unpack(">5I", hashlib.sha1(data).digest())
    words = [h[0], h[4], h[1], h[3], h[2]]
    assert words[4] != 0, "random.seed would drop a zero top word"
    rng = random.Random()
    rng.seed(sum(w << (32 * i) for i, w in enumerate(words)))
    draw = lambda n: (rng.getrandbits(32) >> 1) % n
    unit = lambda c: chr(ord(c) & 0xFF)
    for _ in range(length * length):
        rng.getrandbits(32)
    out = []
    for _ in range(16):
        if not complexity:
            pw = [unit(chars[draw(len(chars))]) for _ in range(length)]
        else:
            classes = [[c for c in chars if "0" <= c <= "9"], [c for c in chars if "a" <= c <= "z"],
                       [c for c in chars if "A" <= c <= "Z"]]
            classes.append([c for c in chars if not any(c in k for k in classes)])
            pw = [unit(k[draw(len(k))]) for k in classes if k]
            while len(pw) < length:
                pw.append(unit(chars[draw(len(chars))]))
            for _ in range(2 * length):
                a = draw(length)
                b = draw(length)
                pw[a], pw[b] = pw[b], pw[a]
        out.append("".join(pw))
    return out


def cxx(s):
    def esc(c):
        if 0x20 <= ord(c) < 0x7F:
            return "\\" + c if c in '"\\' else c
        return "\\u%04X" % ord(c) if ord(c) >= 0xA0 else "\\%03o" % ord(c)
    return 'u"' + "".join(esc(c) for c in s) + '"'


CASES = [
    ("first start", "○○", "", True, "TANE", [0] * 7, False, DEFAULT, 10),
    ("numeric, complexity, L=4", "○○", "", False, "TANE", [1, 2, 3, 4, 5, 6, 7], True, DEFAULT, 4),
    ("owner key and L=99 complexity", "山田", "key!", True, "mail", [0] * 7, True, DEFAULT, 99),
    ("3000000000 in the numbers", "x", "", False, "", [3000000000, 0, 99999, 1, 2, 3, 4], False, DEFAULT, 16),
    ("empty owner and seed", "", "", True, "", [0] * 7, False, "abc", 5),
    ("wide unit appended as low byte", "a", "b", True, "c", [0] * 7, False, "\uFF71" + "0", 8),
    ("digits only with complexity", "d", "", True, "digits", [0] * 7, True, "0123456789", 12),
]

for name, owner, key, mode, seed, numbers, cx, chars, length in CASES:
    pw = generate(owner, key, mode, seed, numbers, cx, chars, length)
    print("    {%s, %s, %s, %s, %s, {%s}, %s, %s, %d, %s, %s}," % (
        cxx(name), cxx(owner), cxx(key), "true" if mode else "false", cxx(seed),
        ", ".join("%du" % n for n in numbers), "true" if cx else "false", cxx(chars), length,
        cxx(pw[0]), cxx(pw[15])))
