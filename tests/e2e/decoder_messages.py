"""Datagrams as the decoding programs (WSJT-X, JTDX) publish them over UDP:
Qt's data stream, big-endian, magic 0xadbccbda."""

import struct

MAGIC = 0xADBCCBDA


def text(value):
    """A UTF-8 text with its 32-bit length; None is the null text."""
    if value is None:
        return struct.pack(">I", 0xFFFFFFFF)
    data = value.encode("utf-8")
    return struct.pack(">I", len(data)) + data


def header(kind, client_id, schema=2):
    return struct.pack(">III", MAGIC, schema, kind) + text(client_id)


def heartbeat(client_id, schema=3):
    return header(0, client_id, schema) + struct.pack(">I", 3) + text("2.6.1") + text(None)


def status(client_id, mode="FT8"):
    return (header(1, client_id) + struct.pack(">Q", 14_074_000) + text(mode) + text(None)
            + text("-10") + text(mode) + struct.pack(">???", True, False, True))


def decode(client_id, delta_time, message="CQ DL1ABC JO62", new=True, off_air=False,
           time_ms=45_015_000, snr=-12, delta_frequency=1234, mode="~"):
    return (header(2, client_id) + struct.pack(">?Iid I", new, time_ms, snr, delta_time,
                                               delta_frequency)
            + text(mode) + text(message) + struct.pack(">??", False, off_air))


def clear(client_id):
    return header(3, client_id)
