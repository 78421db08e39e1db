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


def decode(data, strict=False):
    """Every byte the data describes, as the platform's decoders give it (they do not stop at
    the header's length). strict also rejects what only some decoders would read alike: a
    reference further back than 4,079 bytes or into the initial spaces, and a set flag bit
    with no item after it."""
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
                if strict and flags >> bit:
                    raise ValueError("flag bits set after the last item")
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
                if strict:
                    distance = (position - source) & 4095
                    if not 1 <= distance <= 4079 or distance > len(out):
                        raise ValueError(f"reference {distance} back at {len(out)}")
                for k in range((high & 0x0F) + 3):
                    byte = window[(source + k) & 4095]
                    out.append(byte)
                    window[position] = byte
                    position = (position + 1) & 4095
    return bytes(out)
