"""Small PNG and GIF encoders (standard library only) for websim's synthetic pictures.

The real photographs come from a Debian package; these fill in the sizes a test needs
(1x1, 28x30, huge) and keep websim useful on a machine without that package.
"""

import struct
import zlib


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, height, row):
    """A truecolour PNG; row(y) returns the y-th row as width*3 bytes of RGB."""
    raw = bytearray()
    for y in range(height):
        raw += b"\x00" + row(y)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header)
            + _chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + _chunk(b"IEND", b""))


def huge_png(width, height, colour=(40, 90, 160)):
    """A PNG of one colour, written row by row so that its raw pixels never sit in memory."""
    compressor = zlib.compressobj(9)
    line = b"\x00" + bytes(colour) * width
    idat = bytearray()
    for _ in range(height):
        idat += compressor.compress(line)
    idat += compressor.flush()
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header)
            + _chunk(b"IDAT", bytes(idat)) + _chunk(b"IEND", b""))


def gif(width, height, palette, pixel):
    """An 8-bit GIF; pixel(x, y) is an index into palette (a list of up to 256 RGB tuples).

    The LZW stream restarts with a clear code often enough that every code stays 9 bits wide,
    which keeps the encoder trivial at the price of no compression.
    """
    colours = list(palette) + [(0, 0, 0)] * (256 - len(palette))
    table = b"".join(bytes(c) for c in colours[:256])
    clear, end = 256, 257
    codes = []
    for y in range(height):
        for x in range(width):
            if len(codes) % 254 == 0:
                codes.append(clear)
            codes.append(pixel(x, y))
    codes.append(end)
    bits = 0
    nbits = 0
    stream = bytearray()
    for code in codes:
        bits |= code << nbits
        nbits += 9
        while nbits >= 8:
            stream.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        stream.append(bits & 0xFF)
    blocks = bytearray()
    for i in range(0, len(stream), 255):
        part = stream[i:i + 255]
        blocks += bytes([len(part)]) + part
    return (b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, 0, 0) + table
            + b"," + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x08" + bytes(blocks)
            + b"\x00;")


def bmp(width, height, colour=(200, 60, 60)):
    """An uncompressed 24-bit BMP (an image type the program refuses by its ending)."""
    stride = (width * 3 + 3) & ~3
    pixels = (bytes(reversed(colour)) * width).ljust(stride, b"\x00") * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


# Pattern pictures: deterministic from a seed, colourful enough to tell apart in a collage.

def _hue(h):
    h = h % 360
    x = int(255 * (1 - abs((h / 60) % 2 - 1)))
    return [(255, x, 0), (x, 255, 0), (0, 255, x), (0, x, 255), (x, 0, 255), (255, 0, x)][int(h // 60)]


def pattern_png(width, height, seed):
    kind = seed % 3
    base = _hue(seed * 47)
    other = _hue(seed * 47 + 150)

    def row(y):
        out = bytearray()
        for x in range(width):
            if kind == 0:  # stripes
                c = base if ((x + y) // 24) % 2 else other
            elif kind == 1:  # rings
                dx, dy = x - width // 2, y - height // 2
                c = base if int((dx * dx + dy * dy) ** 0.5) // 20 % 2 else other
            else:  # gradient
                t = x / max(1, width - 1)
                c = tuple(int(base[i] * (1 - t) + other[i] * t) for i in range(3))
            out += bytes(c)
        return bytes(out)

    return png(width, height, row)


def pattern_gif(width, height, seed):
    palette = [_hue(seed * 31 + i * 9) for i in range(40)]
    return gif(width, height, palette, lambda x, y: ((x // 8) + (y // 8)) % len(palette))
