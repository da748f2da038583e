#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target: small, valid files of each
format (and the shapes that stress the readers), one folder per target.

    fuzz/make_corpus.py [fuzz/corpus]
"""
import os
import struct
import sys


def tap_record(flag, body):
    data = bytes([flag]) + body
    check = 0
    for byte in data:
        check ^= byte
    data += bytes([check])
    return struct.pack("<H", len(data)) + data


def program_header(name, length, autostart):
    return bytes([0]) + name.ljust(10).encode()[:10] + struct.pack("<HHH", length, autostart, length)


def code_header(name, length, start):
    return bytes([3]) + name.ljust(10).encode()[:10] + struct.pack("<HHH", length, start, 32768)


def tap_files():
    program = bytes([0, 10, 5, 0, 0xEF, 0x22, 0x22, 0xAF, 0x0D])  # 10 LOAD "" CODE
    code = bytes(range(64))
    return {
        "program_and_code.tap": tap_record(0, program_header("loader", len(program), 10)) + tap_record(0xFF, program)
        + tap_record(0, code_header("bytes", len(code), 32768)) + tap_record(0xFF, code),
        "headerless.tap": tap_record(0xFF, bytes(200)),
        "cut_short.tap": tap_record(0xFF, bytes(32))[:20],
        "empty_record.tap": struct.pack("<H", 0) + tap_record(0xFF, b"\x01"),
    }


def tzx_block(block_id, body):
    return bytes([block_id]) + body


def tzx_blocks():
    """The blocks after the 10-byte header, as the parse target takes them."""
    standard = tzx_block(0x10, struct.pack("<HH", 1000, 19) + tap_record(0, program_header("game", 9, 0))[2:])
    turbo_data = bytes(range(16))
    turbo = tzx_block(0x11, struct.pack("<HHHHHHBH", 2168, 667, 735, 855, 1710, 3223, 8, 500)
                      + len(turbo_data).to_bytes(3, "little") + turbo_data)
    tone = tzx_block(0x12, struct.pack("<HH", 2168, 100))
    pulses = tzx_block(0x13, bytes([3]) + struct.pack("<HHH", 667, 735, 900))
    pure = tzx_block(0x14, struct.pack("<HHBH", 855, 1710, 6, 0) + (4).to_bytes(3, "little") + b"\xAA\x55\xF0\x0F")
    direct = tzx_block(0x15, struct.pack("<HHB", 79, 0, 8) + (3).to_bytes(3, "little") + b"\xF0\x0F\xFF")
    pause = tzx_block(0x20, struct.pack("<H", 500))
    stop = tzx_block(0x20, struct.pack("<H", 0))
    group = tzx_block(0x21, bytes([4]) + b"side") + tzx_block(0x22, b"")
    loop = tzx_block(0x24, struct.pack("<H", 3)) + tone + tzx_block(0x25, b"")
    jump = tzx_block(0x23, struct.pack("<h", 2))
    back = tzx_block(0x23, struct.pack("<h", -1))
    call = tzx_block(0x26, struct.pack("<Hhh", 2, 2, 3)) + tzx_block(0x27, b"")
    select_entries = struct.pack("<hB", 1, 4) + b"main" + struct.pack("<hB", 2, 5) + b"level"
    select = tzx_block(0x28, struct.pack("<HB", len(select_entries) + 1, 2) + select_entries)
    stop48 = tzx_block(0x2A, struct.pack("<I", 0))
    level = tzx_block(0x2B, struct.pack("<IB", 1, 1))
    text = tzx_block(0x30, bytes([5]) + b"hello")
    message = tzx_block(0x31, bytes([2, 4]) + b"wait")
    archive_entries = bytes([0, 4]) + b"Game" + bytes([0xFF, 2]) + b"ok"
    archive = tzx_block(0x32, struct.pack("<HB", len(archive_entries) + 1, 2) + archive_entries)
    hardware = tzx_block(0x33, bytes([1, 0, 1, 0]))
    custom = tzx_block(0x35, b"POKEs     " + struct.pack("<I", 2) + b"\x00\x01")
    glue = tzx_block(0x5A, b"XTape!\x1a\x01\x14")
    unknown = tzx_block(0x4B, struct.pack("<I", 3) + b"abc")
    return {
        "standard.tzxb": standard,
        "turbo_tone_pulses_pure.tzxb": tone + pulses + pure + turbo,
        "direct_and_pause.tzxb": direct + pause + stop,
        "flow.tzxb": group + loop + jump + back + call + stop48,
        "select.tzxb": select + standard + turbo,
        "info.tzxb": level + text + message + archive + hardware + custom + glue + unknown,
        "cut_short.tzxb": (standard + turbo)[:-3],
        "private_id.tzxb": tzx_block(0xF0, struct.pack("<I", 4) + b"abcd"),
    }


def csw_v1(rate, pulses, flags=0):
    return (b"Compressed Square Wave\x1a" + bytes([1, 1]) + struct.pack("<HBB", rate, 1, flags) + bytes(3) + pulses)


def csw_v2(rate, data, compression=2):
    return (b"Compressed Square Wave\x1a" + bytes([2, 0]) + struct.pack("<IIBBB", rate, len(data), compression, 0, 0)
            + b"reelbox\x00".ljust(16, b"\x00") + data)


def csw_files():
    pulses = bytes([5, 3] * 50) + b"\x00" + struct.pack("<I", 10000) + bytes([20, 20])
    # The target cuts the input as run-length data at the rate in its first two bytes, then reads it as a file.
    return {
        "v1.csw": csw_v1(44100, pulses, 1),
        "v1_pieces.csw": csw_v1(100, bytes([60] * 10) + b"\x00" + struct.pack("<I", 500) + bytes([1])),
        "v1_cut_escape.csw": csw_v1(22050, bytes([7, 0, 1])),
        # Version 2 data passes through the fuzz target's stand-in service unchanged.
        "v2.csw": csw_v2(44100, pulses),
        "v2_rle.csw": csw_v2(44100, pulses, 1),
        "runs_only.csw": struct.pack("<H", 300) + bytes([9, 9, 0]) + struct.pack("<I", 70000) + bytes([1, 2]),
    }


def voc_header():
    return b"Creative Voice File\x1a" + struct.pack("<HHH", 26, 0x010A, (~0x010A + 0x1234) & 0xFFFF)


def voc_sound(samples, time_constant=0xA6, codec=0):
    return bytes([1]) + (len(samples) + 2).to_bytes(3, "little") + bytes([time_constant, codec]) + samples


def voc_files():
    wave = bytes([0x20, 0x20, 0xE0, 0xE0] * 64)
    extended = bytes([8]) + (4).to_bytes(3, "little") + struct.pack("<HBB", 59732, 0, 0)
    silence = bytes([3]) + (3).to_bytes(3, "little") + struct.pack("<HB", 1000, 0xA6)
    return {
        "sound.voc": voc_header() + voc_sound(wave) + b"\x00",
        "extended.voc": voc_header() + extended + voc_sound(wave) + b"\x00",
        "skipped_blocks.voc": voc_header() + silence + bytes([9]) + (4).to_bytes(3, "little") + b"abcd"
        + voc_sound(wave[:40], 0x83),
        "no_terminator.voc": voc_header() + voc_sound(bytes(300), 0xFE),
        "bad_codec.voc": voc_header() + voc_sound(wave, 0xA6, 4),
        "cut_short.voc": (voc_header() + voc_sound(wave))[:-100],
    }


def riff(chunks, form=b"WAVE"):
    body = form + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def chunk(name, data):
    return name + struct.pack("<I", len(data)) + data + (b"\x00" if len(data) % 2 else b"")


def fmt(rate, channels=1, bits=8, tag=1):
    align = channels * bits // 8
    return chunk(b"fmt ", struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits))


def wav_files():
    wave = bytes([0x30, 0x30, 0xD0, 0xD0] * 100)
    return {
        "mono8.wav": riff([fmt(11025), chunk(b"data", wave)]),
        "list_before_data.wav": riff([fmt(100), chunk(b"LIST", b"INFOabcd"), chunk(b"data", wave[:301])]),
        "stereo16.wav": riff([fmt(44100, 2, 16), chunk(b"data", bytes(64))]),
        "empty_data.wav": riff([fmt(8000), chunk(b"data", b"")]),
        "short_fmt.wav": riff([chunk(b"fmt ", bytes(12)), chunk(b"data", wave)]),
        "cut_short.wav": riff([fmt(22050), chunk(b"data", wave)])[:-50],
    }


def write(folder, files):
    os.makedirs(folder, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    write(os.path.join(root, "fuzz_tap"), tap_files())
    write(os.path.join(root, "fuzz_tzx"), tzx_blocks())
    write(os.path.join(root, "fuzz_csw"), csw_files())
    write(os.path.join(root, "fuzz_voc"), voc_files())
    write(os.path.join(root, "fuzz_wav"), wav_files())


if __name__ == "__main__":
    main()
