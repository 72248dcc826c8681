"""Reads the character vectors of an R lazy-load database (Rdata.rdx / Rdata.rdb), the form in
which R packages ship their data sets: a small reader of R's XDR serialization, enough for the
vectors, lists and pairlists that such data is made of."""
import gzip
import lzma
import bz2
import struct
import zlib

NIL, SYM, LIST, CLO, ENV, PROM, LANG = 254, 1, 2, 3, 4, 5, 6
CHAR, LGL, INT, REAL, CPLX, STR, VEC = 9, 10, 13, 14, 15, 16, 19
REF, EMPTYENV, BASEENV, GLOBALENV, UNBOUND, MISSING, BASENAMESPACE = 255, 242, 241, 253, 252, 251, 247


class _Reader:
    def __init__(self, data):
        self.data, self.pos, self.refs = data, 0, []

    def int(self):
        value = struct.unpack_from(">i", self.data, self.pos)[0]
        self.pos += 4
        return value

    def length(self):
        n = self.int()
        if n == -1:  # long vector: two more words
            n = (self.int() << 32) + self.int()
        return n

    def header(self):
        assert self.data[:2] == b"X\n", "only the XDR format is read"
        self.pos = 2
        version = self.int()
        self.int(), self.int()
        if version == 3:
            size = self.int()  # the native encoding's name follows
            self.pos += size

    def item(self):
        flags = self.int()
        kind, has_attr, has_tag = flags & 0xFF, flags & (1 << 9), flags & (1 << 10)
        if kind in (NIL, EMPTYENV, BASEENV, GLOBALENV, UNBOUND, MISSING, BASENAMESPACE):
            return None
        if kind == REF:
            index = flags >> 8
            return self.refs[(index if index else self.int()) - 1]
        if kind == SYM:
            name = self.item()
            self.refs.append(name)
            return name
        if kind in (LIST, LANG, CLO, PROM):
            attrs = self.item() if has_attr else None
            tag = self.item() if has_tag else None
            head = self.item()
            tail = self.item()
            return [(tag, head)] + (tail if isinstance(tail, list) else [])
        if kind == CHAR:
            n = self.int()
            if n == -1:
                return None
            text = self.data[self.pos:self.pos + n].decode("utf-8" if flags & (1 << 15) else "latin-1")
            self.pos += n
            return text
        if kind in (LGL, INT):
            n = self.length()
            values = list(struct.unpack_from(">%di" % n, self.data, self.pos))
            self.pos += 4 * n
        elif kind == REAL:
            n = self.length()
            values = list(struct.unpack_from(">%dd" % n, self.data, self.pos))
            self.pos += 8 * n
        elif kind in (STR, VEC):
            values = [self.item() for _ in range(self.length())]
        else:
            raise ValueError("R type %d is not read" % kind)
        if has_attr:
            attributes = self.item()
            names = dict(attributes).get("names") if attributes else None
            if kind == VEC and names:
                return dict(zip(names, values))
        return values


def _unserialize(data):
    reader = _Reader(data)
    reader.header()
    return reader.item()


def _chunk(rdb, offset, size):
    piece = rdb[offset:offset + size]
    length = struct.unpack(">I", piece[:4])[0]
    kind = piece[4:5]
    if kind == b"Z":
        data = zlib.decompress(piece[5:])
    elif kind == b"2":
        data = bz2.decompress(piece[5:])
    elif kind == b"X":
        data = lzma.decompress(piece[5:])
    elif kind == b"0":
        data = piece[5:]
    else:
        data = zlib.decompress(piece[4:])
    assert len(data) == length
    return _unserialize(data)


def read_vectors(rdx_path):
    """The data sets of a lazy-load database by name: character vectors as lists of str."""
    index = _unserialize(gzip.open(rdx_path).read() if open(rdx_path, "rb").read(2) == b"\x1f\x8b"
                         else zlib.decompress(open(rdx_path, "rb").read()[4:]))
    rdb = open(rdx_path[:-1] + "b", "rb").read()
    variables = index["variables"]
    return {name: _chunk(rdb, *where) for name, where in variables.items()}
