"""A reference SZDD (mode A) decoder, written from the format: flag bytes read from the least
significant bit up, a set bit a literal, a clear bit a 12-bit window position and a 4-bit length
(plus 3) into a 4,096-byte ring that starts filled with spaces and is written from 4,080 on."""
import struct

MAGIC = b"SZDD\x88\xf0\x27\x33"


def header(data):
    if len(data) < 14 or data[:8] != MAGIC:
        raise ValueError("no SZDD header")
    mode, last_char, length = struct.unpack_from("<BBI", data, 8)
    return mode, last_char, length


def decode(data):
    """Every byte the data describes, as the platform's decoders give it (they do not stop at
    the header's length)."""
    mode, _, _ = header(data)
    if mode != ord("A"):
        raise ValueError("unknown SZDD mode")
    window = bytearray(b" " * 4096)
    position = 4096 - 16
    out = bytearray()
    i = 14
    while i < len(data):
        flags = data[i]
        i += 1
        for bit in range(8):
            if i >= len(data):
                break
            if flags >> bit & 1:
                byte = data[i]
                i += 1
                out.append(byte)
                window[position] = byte
                position = (position + 1) & 4095
            else:
                if i + 1 >= len(data):
                    raise ValueError("truncated reference")
                low, high = data[i], data[i + 1]
                i += 2
                source = low | (high & 0xF0) << 4
                for k in range((high & 0x0F) + 3):
                    byte = window[(source + k) & 4095]
                    out.append(byte)
                    window[position] = byte
                    position = (position + 1) & 4095
    return bytes(out)
