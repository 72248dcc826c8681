#!/usr/bin/env python3
"""Draws the program's icons and the candidate-kind strip and writes them as ICO and BMP files.

usage: make_images.py OUTPUT_DIR
Writes pennivox.ico (enabled), pennivox_off.ico (disabled), kinds.bmp (five 16x16 images:
word, shorthand, file, folder, learnt word; magenta is the transparent colour) and hand.cur
(the links' pointing hand, black and white); for the rule dialogs finder.ico and finder_frame.ico
(the edit-box finder with and without its cross-hair), finder.cur (the cross-hair being dragged)
and application.ico (an executable without an icon of its own); the three icons also as .grp and
.img resource parts with fixed image ids.
"""
import os
import struct
import sys

MAGENTA = (255, 0, 255)


class Canvas:
    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.pixels = [[fill for _ in range(width)] for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1):
            self.put(x, y0, colour)
            self.put(x, y1 - 1, colour)
        for y in range(y0, y1):
            self.put(x0, y, colour)
            self.put(x1 - 1, y, colour)

    def polygon(self, points, colour):
        for y in range(self.height):
            for x in range(self.width):
                if inside(points, x + 0.5, y + 0.5):
                    self.put(x, y, colour)

    def rounded(self, x0, y0, x1, y1, radius, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                cx = min(max(x + 0.5, x0 + radius), x1 - radius)
                cy = min(max(y + 0.5, y0 + radius), y1 - radius)
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= radius * radius:
                    self.put(x, y, colour)


def inside(points, x, y):
    result = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


def logo(size, body, accent):
    """A rounded tile with two lines of text and a small prompt box hanging below the caret."""
    c = Canvas(size, size, None)
    s = size / 32.0
    px = lambda v: int(round(v * s))
    c.rounded(0, 0, size, size, 6 * s, body)
    c.rect(px(5), px(6), px(27), px(9), (255, 255, 255))
    c.rect(px(5), px(12), px(16), px(15), (255, 255, 255))
    c.rect(px(16), px(10), px(18), px(17), accent)           # the caret
    c.rect(px(12), px(19), px(28), px(28), (255, 255, 255))   # the prompt under it
    c.frame(px(12), px(19), px(28), px(28), accent)
    c.rect(px(13), px(20), px(27), px(23), accent)            # its selected row
    return c


def write_ico(path, canvases):
    images = []
    for c in canvases:
        w, h = c.width, c.height
        xor = bytearray()
        for y in reversed(range(h)):
            for x in range(w):
                p = c.pixels[y][x]
                xor += bytes((0, 0, 0, 0)) if p is None else bytes((p[2], p[1], p[0], 255))
        row_bytes = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in reversed(range(h)):
            row = bytearray(row_bytes)
            for x in range(w):
                if c.pixels[y][x] is None:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((w, h, header + xor + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def write_icon_parts(folder, stem, canvases, first_id):
    """An icon as the raw resources the linker keeps: one image per RT_ICON id from first_id and
    the group directory naming them. Each .rc numbers the images of its ICON statements from 1, so
    two resource files with icons would collide; these ids are chosen instead."""
    write_ico(os.path.join(folder, stem + ".ico"), canvases)
    with open(os.path.join(folder, stem + ".ico"), "rb") as f:
        data = f.read()
    count = struct.unpack_from("<H", data, 4)[0]
    group = struct.pack("<HHH", 0, 1, count)
    for k in range(count):
        w, h, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * k)
        with open(os.path.join(folder, "%s_%d.img" % (stem, k)), "wb") as f:
            f.write(data[offset:offset + size])
        group += struct.pack("<BBBBHHIH", w, h, colours, 0, planes, bits, size, first_id + k)
    with open(os.path.join(folder, stem + ".grp"), "wb") as f:
        f.write(group)


def write_bmp(path, c):
    w, h = c.width, c.height
    row_bytes = (w * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(h)):
        row = bytearray()
        for x in range(w):
            p = c.pixels[y][x] or MAGENTA
            row += bytes((p[2], p[1], p[0]))
        row += bytes(row_bytes - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


# The pointing hand: X outline, o fill, anything else transparent; the hot spot is the fingertip.
HAND = [
    "      XX",
    "     XooX",
    "     XooX",
    "     XooX",
    "     XooX",
    "     XooXXX",
    "     XooXooXXX",
    "     XooXooXooXX",
    "  XX XooXooXooXoX",
    " XooXXooooooooXooX",
    " XoooXoooooooooooX",
    "  XooXoooooooooooX",
    "   XoooooooooooooX",
    "   XooooooooooooX",
    "    XoooooooooooX",
    "    XooooooooooX",
    "     XoooooooooX",
    "     XoooooooooX",
    "     XXXXXXXXXXX",
]
HAND_HOTSPOT = (6, 0)


def write_cursor(path, rows, hotspot, size=32):
    """A one-bit cursor: AND mask 1 where transparent, XOR bit 1 where white."""
    row_bytes = ((size + 31) // 32) * 4
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(size)):
        xrow, mrow = bytearray(row_bytes), bytearray(row_bytes)
        line = rows[y] if y < len(rows) else ""
        for x in range(size):
            ch = line[x] if x < len(line) else " "
            bit = 0x80 >> (x % 8)
            if ch == "o":
                xrow[x // 8] |= bit
            elif ch != "X":
                mrow[x // 8] |= bit
        xor += xrow
        mask += mrow
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    data = header + palette + xor + mask
    out = struct.pack("<HHH", 0, 2, 1)
    out += struct.pack("<BBBBHHII", size, size, 2, 0, hotspot[0], hotspot[1], len(data), 6 + 16)
    with open(path, "wb") as f:
        f.write(out + data)


def kinds():
    c = Canvas(80, 16, MAGENTA)
    grey, dark = (150, 150, 150), (60, 60, 60)
    # 0 word or phrase: a blue "a" on a page
    c.rect(2, 1, 14, 15, (255, 255, 255)); c.frame(2, 1, 14, 15, grey)
    c.rect(5, 6, 11, 7, (30, 80, 190)); c.rect(10, 6, 11, 13, (30, 80, 190))
    c.rect(5, 9, 11, 10, (30, 80, 190)); c.rect(5, 9, 6, 13, (30, 80, 190)); c.rect(5, 12, 11, 13, (30, 80, 190))
    # 1 shorthand: an orange bolt
    c.polygon([(16 + 9, 1), (16 + 3, 9), (16 + 7, 9), (16 + 5, 15), (16 + 13, 6), (16 + 9, 6), (16 + 11, 1)],
              (240, 140, 20))
    # 2 file: a page with a folded corner and lines
    c.polygon([(35, 1), (43, 1), (46, 4), (46, 15), (35, 15)], (255, 255, 255))
    c.frame(35, 1, 47, 15, grey)
    c.polygon([(43, 1), (47, 5), (43, 5)], (200, 200, 200))
    for y in (7, 9, 11):
        c.rect(37, y, 44, y + 1, dark)
    # 3 folder: yellow
    c.rect(49, 3, 55, 6, (220, 170, 40))
    c.rect(49, 5, 63, 14, (250, 205, 70)); c.frame(49, 5, 63, 14, (190, 140, 30))
    # 4 learnt word: a green star
    star = [(72, 1), (74, 6), (79, 6), (75, 9), (77, 15), (72, 11), (67, 15), (69, 9), (65, 6), (70, 6)]
    c.polygon(star, (40, 160, 60))
    return c


def finder(with_cross):
    """A round sight in a square frame; the cross-hair is what the user drags away."""
    c = Canvas(32, 32, None)
    c.rect(1, 1, 31, 31, (240, 240, 240))
    c.frame(1, 1, 31, 31, (90, 90, 90))
    c.frame(2, 2, 30, 30, (255, 255, 255))
    if with_cross:
        for y in range(32):
            for x in range(32):
                d = ((x + 0.5 - 16) ** 2 + (y + 0.5 - 16) ** 2) ** 0.5
                if 8.5 <= d <= 10.5:
                    c.put(x, y, (20, 20, 20))
        c.rect(15, 4, 17, 13, (20, 20, 20)); c.rect(15, 19, 17, 28, (20, 20, 20))
        c.rect(4, 15, 13, 17, (20, 20, 20)); c.rect(19, 15, 28, 17, (20, 20, 20))
        c.rect(15, 15, 17, 17, (200, 30, 30))
    return c


def cross_cursor():
    """The dragged cross-hair: a ring and four arms in black with a white edge, hot spot in the middle."""
    rows = [[" "] * 32 for _ in range(32)]
    def put(x, y, ch):
        if 0 <= x < 32 and 0 <= y < 32 and (ch == "X" or rows[y][x] == " "):
            rows[y][x] = ch
    for y in range(32):
        for x in range(32):
            d = ((x + 0.5 - 16) ** 2 + (y + 0.5 - 16) ** 2) ** 0.5
            if 8.5 <= d <= 10.5:
                put(x, y, "X")
            elif 7.5 <= d <= 11.5:
                put(x, y, "o")
    for t in list(range(3, 13)) + list(range(19, 29)):
        for u in (15, 16):
            put(u, t, "X"); put(t, u, "X")
        for u in (14, 17):
            put(u, t, "o"); put(t, u, "o")
    put(15, 15, "X"); put(16, 16, "X"); put(15, 16, "X"); put(16, 15, "X")
    return ["".join(r) for r in rows], (16, 16)


def application(size):
    """A plain program window: blue title bar over a white body."""
    c = Canvas(size, size, None)
    s = size / 16.0
    px = lambda v: int(round(v * s))
    c.rect(px(1), px(2), px(15), px(14), (255, 255, 255))
    c.rect(px(1), px(2), px(15), px(5), (49, 106, 197))
    c.frame(px(1), px(2), px(15), px(14), (60, 60, 60))
    return c


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    blue, orange = (49, 106, 197), (250, 150, 30)
    write_ico(os.path.join(out, "pennivox.ico"), [logo(32, blue, orange), logo(16, blue, orange)])
    write_ico(os.path.join(out, "pennivox_off.ico"),
              [logo(32, (140, 140, 140), (90, 90, 90)), logo(16, (140, 140, 140), (90, 90, 90))])
    write_bmp(os.path.join(out, "kinds.bmp"), kinds())
    write_cursor(os.path.join(out, "hand.cur"), HAND, HAND_HOTSPOT)
    write_icon_parts(out, "finder", [finder(True)], 17800)
    write_icon_parts(out, "finder_frame", [finder(False)], 17900)
    rows, hotspot = cross_cursor()
    write_cursor(os.path.join(out, "finder.cur"), rows, hotspot)
    write_icon_parts(out, "application", [application(32), application(16)], 18300)


if __name__ == "__main__":
    main()
