"""Reads a Windows shortcut (.lnk, the Shell Link Binary File Format): what
it starts, in which folder, with which icon."""

import struct
from dataclasses import dataclass

HAS_TARGET_ID_LIST = 0x01
HAS_LINK_INFO = 0x02
HAS_NAME = 0x04
HAS_RELATIVE_PATH = 0x08
HAS_WORKING_DIR = 0x10
HAS_ARGUMENTS = 0x20
HAS_ICON_LOCATION = 0x40
IS_UNICODE = 0x80

HEADER_SIZE = 0x4C
VOLUME_ID_AND_LOCAL_BASE_PATH = 0x01


@dataclass
class ShellLink:
    target: str
    working_folder: str
    arguments: str
    icon_location: str
    icon_index: int


def _ansi_string(data, offset):
    # The system's code page; the paths read here are ASCII.
    return data[offset:data.index(b"\0", offset)].decode("latin-1")


def _target_from_link_info(data, offset):
    (_size, header_size, flags, _volume, local_base_path, _network, common_suffix) = \
        struct.unpack_from("<7I", data, offset)
    if not flags & VOLUME_ID_AND_LOCAL_BASE_PATH:
        raise ValueError("the shortcut's target is not on a local drive")
    if header_size >= 0x24:
        local_unicode, suffix_unicode = struct.unpack_from("<2I", data, offset + 0x1C)
        if local_unicode:
            return (_utf16_string(data, offset + local_unicode)
                    + _utf16_string(data, offset + suffix_unicode))
    return _ansi_string(data, offset + local_base_path) + _ansi_string(data, offset + common_suffix)


def _utf16_string(data, offset):
    end = offset
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[offset:end].decode("utf-16-le")


def read_shell_link(path):
    with open(path, "rb") as file:
        data = file.read()
    if struct.unpack_from("<I", data, 0)[0] != HEADER_SIZE:
        raise ValueError(f"{path} is not a shortcut")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    icon_index = struct.unpack_from("<i", data, 0x38)[0]
    offset = HEADER_SIZE
    if flags & HAS_TARGET_ID_LIST:
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    target = ""
    if flags & HAS_LINK_INFO:
        target = _target_from_link_info(data, offset)
        offset += struct.unpack_from("<I", data, offset)[0]

    strings = {}
    for flag in (HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION):
        if flags & flag:
            count = struct.unpack_from("<H", data, offset)[0]
            offset += 2
            size = count * 2 if flags & IS_UNICODE else count
            raw = data[offset:offset + size]
            # Wine counts a terminating NUL in; Windows does not write one.
            strings[flag] = raw.decode("utf-16-le" if flags & IS_UNICODE
                                       else "latin-1").rstrip("\0")
            offset += size
    return ShellLink(target=target, working_folder=strings.get(HAS_WORKING_DIR, ""),
                     arguments=strings.get(HAS_ARGUMENTS, ""),
                     icon_location=strings.get(HAS_ICON_LOCATION, ""), icon_index=icon_index)
