#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_history_reader into seeds/.

Each seed is a history file assembled field by field (big-endian Qt 5.6 data stream):
valid files of both layouts with every value type, and the ways a received file can be
wrong. Run it again after changing it and commit the seeds it writes.
"""
import hashlib
import pathlib
import struct

SEEDS = pathlib.Path(__file__).resolve().parent / "seeds"
MAGIC = bytes.fromhex("a4b3c2d1")


def u8(v):
    return struct.pack(">b", v)


def u16(v):
    return struct.pack(">H", v)


def u32(v):
    return struct.pack(">I", v & 0xFFFFFFFF)


def qstr(s):
    if s is None:
        return u32(0xFFFFFFFF)
    data = s.encode("utf-16-be")
    return u32(len(data)) + data


def blob(b):
    return u32(len(b)) + b


def key(seed):
    return hashlib.md5(seed.encode()).hexdigest()


# QVariant forms: type id, null flag, value.
def v_invalid():
    return u32(0) + u8(1)


def v_string(s):
    return u32(10) + u8(0) + qstr(s)


def v_color(spec, a, r, g, b, pad=0):
    return u32(67) + u8(0) + u8(spec) + u16(a) + u16(r) + u16(g) + u16(b) + u16(pad)


def v_urls(urls, name=b"QList<QUrl>\0"):
    return u32(1024) + u8(0) + blob(name) + u32(len(urls)) + b"".join(blob(u) for u in urls)


def record(typ, plain, md5, val, selected=None, fav=-1, version=1):
    out = u32(typ) + qstr(plain) + qstr(md5) + val + qstr(selected)
    return out + (u32(fav) if version == 1 else b"")


def v1(records, count=None):
    return MAGIC + u8(1) + u32(len(records) if count is None else count) + b"".join(records)


def v0(records):
    return MAGIC + u32(len(records)) + b"".join(records)


def every_type(version):
    img = key("image")
    return [
        record(0, "/tmp/a b.txt, /tmp/\u00fc", key("urls"),
               v_urls([b"file:///tmp/a%20b.txt", b"file:///tmp/%C3%BC"]), "1_0_4", -1, version),
        record(1, "bold", key("html"), v_string("<b>bold</b>"), "0_4_4", -1, version),
        record(2, "Image", img, v_string(img), "90", 2, version),
        record(3, "#123456", key("color"), v_color(1, 0xFFFF, 0x1212, 0x3434, 0x5656), None, 1,
               version),
        record(4, "text \u263a", key("text"), v_string("text \u263a"), "", -1, version),
        record(5, "raw", key("unknown"), v_invalid(), None, -1, version),
    ]


def main():
    text = lambda tag, **kw: record(4, tag, key(tag), v_string(tag), **kw)
    full = v1(every_type(1))
    seeds = {
        "v1_every_type": full,
        "v0_every_type": v0(every_type(0)),
        "v1_empty_list": v1([]),
        "v1_empty_and_null_plain": v1([
            text("a"), record(4, "", key("e"), v_string("e")),
            record(4, None, key("n"), v_string("n")), text("b")]),
        "v1_bad_md5": v1([
            record(4, "u", key("u").upper(), v_string("u")), record(4, "s", key("s")[:31], v_string("s")),
            record(4, "l", key("l") + "0", v_string("l")), record(4, "g", "g" * 32, v_string("g")),
            text("ok")]),
        "v1_bad_type": v1([
            record(-1, "m", key("m"), v_string("m")), record(6, "six", key("six"), v_string("six")),
            text("ok")]),
        "v1_image_value_path": v1([
            record(2, "Image", key("p"), v_string("../../etc/passwd")),
            record(2, "Image", key("q"), v_string(key("q") + ".png")), text("ok")]),
        "v1_color_specs": v1([
            record(3, f"c{spec}", key(f"c{spec}"), v_color(spec, 0x8000, 1, 0xFFFF, 35999, 7))
            for spec in range(6)] + [
            record(3, "bad", key("bad"), v_color(9, 1, 2, 3, 4)),
            record(3, "neg", key("neg"), v_color(-3, 1, 2, 3, 4)), text("ok")]),
        "v1_url_lists": v1([
            record(0, "none", key("none"), v_urls([])),
            record(0, "odd", key("odd"), v_urls([b"", b"%zz", b"http://[::1", b"file:", b"\xff\xfe"])),
            record(0, "noterm", key("noterm"), v_urls([b"file:///x"], name=b"QList<QUrl>")),
            text("ok")]),
        "v1_foreign_qimage": v1([text("a"), record(2, "Image", key("i"),
                                 u32(70) + u8(0) + u32(1) + b"\x89PNG\r\n\x1a\n"), text("b")]),
        "v1_foreign_qbytearray": v1([text("a"), record(3, "#f00", key("f"), u32(12) + u8(0) + blob(b"#f00")),
                                     text("b")]),
        "v1_foreign_user_type": v1([text("a"), record(0, "x", key("x"),
                                    u32(1024) + u8(0) + blob(b"QList<QString>\0") + u32(0)), text("b")]),
        "v1_foreign_int": v1([text("a"), record(4, "7", key("7"), u32(2) + u8(0) + u32(7)), text("b")]),
        "v1_truncated_mid_plain": full[:30],
        "v1_truncated_mid_value": full[:9 + 4 + 4 + 2 * 21 + 4 + 64 + 30],
        "v1_truncated_before_fav": full[:len(full) - 4],
        "v1_huge_count": v1([text("a")], count=0x80000000),
        "v1_huge_plain_length": v1([text("a")]) + u32(4) + u32(0x7FFFFFF0) + b"ab",
        "v1_odd_plain_length": v1([text("a")]) + u32(4) + u32(0x7FFFFFF1) + b"ab",
        "v1_huge_type_name_length": v1([text("a")]) + u32(0) + qstr("x") + qstr(key("x")) +
                                    u32(1024) + u8(0) + u32(0x7FFFFFF0) + b"QList",
        "v1_huge_url_count": v1([text("a"), record(0, "x", key("x"), u32(1024) + u8(0) +
                                 blob(b"QList<QUrl>\0") + u32(0xFFFFFFFF) + blob(b"file:///x"))]),
        "v1_huge_url_length": v1([text("a")]) + u32(0) + qstr("x") + qstr(key("x")) +
                              u32(1024) + u8(0) + blob(b"QList<QUrl>\0") + u32(1) + u32(0x7FFFFFF0),
        "bad_magic": bytes.fromhex("deadbeef") + u8(1) + u32(0),
        "version_2": MAGIC + u8(2) + u32(0),
        "magic_only": MAGIC,
    }
    SEEDS.mkdir(exist_ok=True)
    for name, data in seeds.items():
        (SEEDS / name).write_bytes(data)


if __name__ == "__main__":
    main()
