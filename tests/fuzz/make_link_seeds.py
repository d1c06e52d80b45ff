#!/usr/bin/env python3
"""Writes the seed corpora of fuzz_text_dispatcher and fuzz_binary_handler.

Text seeds: a flags byte (bit 0 incoming link, bit 1 password already passed, bit 2 the link
is encrypted, with the harness's fingerprints and nonce), then text
messages separated by zero bytes: every command and reply of the protocol, the handshake in
order, and the probes a hostile host would try.
Binary seeds: a flags byte (bit 0: the shared file was offered first; bit 1: this host asked
for the peer's history and for the files the harness names), then records of a
16-bit little-endian length and one serialized Message, encoded here field by field.
Run it again after changing it and commit the seeds it writes.
"""
import hashlib
import hmac
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
TEXT = HERE / "seeds_text_dispatcher"
BINARY = HERE / "seeds_binary_handler"
# What the fuzz harness shares; the seeds aim at them.
SHARED = "/tmp/tolvane-link-fuzz/shared/a.txt"
KEY = "0123456789abcdef0123456789abcdef"

INCOMING, TRUSTED, ENCRYPTED = 1, 2, 4
# The harness's encrypted link: its fingerprints, the nonce it sent, the password "pw".
NONCE = b"N" * 32
RIGHT_PROOF = "??tag_pwd_proof#" + hmac.new(
    b"pw", b"tolvane link password proof 1" + b"P" * 32 + b"L" * 32 + NONCE,
    hashlib.sha256).hexdigest()
OFFERED, ASKED = 1, 2


def text_seed(name, flags, *messages):
    (TEXT / name).write_bytes(bytes([flags]) + b"\0".join(m.encode() for m in messages))


def varint(v):
    v &= (1 << 64) - 1
    out = bytearray()
    while v >= 0x80:
        out.append((v & 0x7F) | 0x80)
        v >>= 7
    out.append(v)
    return bytes(out)


def field_len(number, data):
    return varint(number << 3 | 2) + varint(len(data)) + data


def field_int(number, value):
    return b"" if value == 0 else varint(number << 3) + varint(value)


def file_request(path, size):
    return field_len(2, field_len(1, path.encode()) + field_int(2, size))


def file_response(accept, port, path):
    inner = field_int(1, 1 if accept else 0) + field_int(2, port) + field_len(3, path.encode())
    return field_len(3, inner)


def binary_seed(name, flags, *messages):
    body = b"".join(struct.pack("<H", len(m)) + m for m in messages)
    (BINARY / name).write_bytes(bytes([flags]) + body)


def main():
    for d in (TEXT, BINARY):
        d.mkdir(exist_ok=True)
        for old in d.iterdir():
            old.unlink()

    text_seed("handshake_server", INCOMING, "??tag_pwd#pw", "??tag_os#", "!!tag_os#w",
              "??tag_host#", "!!tag_host#peer", "??tag_normal_file#history")
    text_seed("handshake_client", 0, "!!tag_pwd#ok", "??tag_os#", "!!tag_os#m", "??tag_host#",
              "!!tag_host#box", "??tag_normal_file#history")
    text_seed("wrong_password", INCOMING, "??tag_pwd#nope", "??tag_os#")
    text_seed("before_password", INCOMING, "??tag_normal_file#history", "??tag_os#",
              "??tag_normal_file#" + SHARED + "**##!!", "??tag_pwd#pw")
    text_seed("refused_by_full_server", 0, "??tag_connection_err#")
    text_seed("encrypted_server_proof", INCOMING | ENCRYPTED, "??tag_os#", RIGHT_PROOF,
              "??tag_os#", RIGHT_PROOF)
    text_seed("encrypted_server_wrong_proof", INCOMING | ENCRYPTED,
              RIGHT_PROOF[:-2] + "00", RIGHT_PROOF)
    text_seed("encrypted_server_clear_password", INCOMING | ENCRYPTED, "??tag_pwd#pw")
    # Characters that are no hex digits must not be skipped inside a proof.
    text_seed("encrypted_server_proof_with_junk", INCOMING | ENCRYPTED,
              RIGHT_PROOF[:40] + "zz\u00d4" + RIGHT_PROOF[40:])
    text_seed("encrypted_client", ENCRYPTED, "??tag_pwd_nonce#" + NONCE.hex(),
              "??tag_pwd_nonce#" + NONCE.hex(), "!!tag_pwd#ok", "??tag_os#")
    text_seed("clear_client_gets_nonce", 0, "??tag_pwd_nonce#" + NONCE.hex(),
              "??tag_pwd_nonce#zz", "!!tag_pwd#ok")
    text_seed("file_requests", INCOMING | TRUSTED, "??tag_normal_file#" + SHARED + "**##!!/s",
              "??tag_normal_file#/etc/hostname**##!!", "??tag_normal_file#../../etc/passwd",
              "??tag_normal_file#" + SHARED + "/../../../etc/hostname**##!!",
              "??tag_normal_file#/tmp/tolvane-link-fuzz/shared**##!!", "??tag_normal_file#**##!!**##!!")
    text_seed("image_requests", INCOMING | TRUSTED,
              "??tag_normal_file#/_*tag_file_img*/_" + KEY,
              "??tag_normal_file#/_*tag_file_img*/_" + KEY.upper(),
              "??tag_normal_file#/_*tag_file_img*/_../../../etc/passwd",
              "??tag_normal_file#/_*tag_file_img*/_")
    text_seed("replies", TRUSTED, "!!tag_os#x", "!!tag_os#w", "!!tag_host#", "!!tag_pwd#okay",
              "!!tag_normal_file_ok#/a", "!!tag_normal_file_error#is_dirC:/data",
              "!!tag_normal_file_error#unknown/x", "!!tag_normal_file_error#not_foundhistory",
              "!!tag_normal_file_error#not_foundhistory", "!!anything", "hello", "")
    text_seed("payloads_on_fixed_tags", INCOMING | TRUSTED, "??tag_os#x", "??tag_host#y",
              "??tag_connection_err#z", "??tag_unknown#")

    binary_seed("announce", ASKED, file_request("/remote/a.txt", 5),
                file_request("/remote/a.txt", 5), file_request("/remote/b.txt", 5))
    binary_seed("announce_unasked", 0, file_request("/remote/a.txt", 5),
                file_request("history", 9))
    binary_seed("announce_history", ASKED, file_request("/t/history", 9),
                file_request("/t/history", 9), file_request("/t/history", (1 << 30)))
    binary_seed("announce_names", ASKED, file_request("../../evil.txt", 3),
                file_request("C:\\x\\..\\evil.bat", 3), file_request("", 3),
                file_request("/a/..", 3), file_request("/a/b/", 3), file_request("history", 9))
    binary_seed("announce_sizes", ASKED, file_request("/n.bin", -1), file_request("/z.bin", 0),
                file_request("/big.bin", (1 << 62)))
    binary_seed("accept_offered", OFFERED, file_response(True, 9, SHARED),
                file_response(True, 9, SHARED))
    binary_seed("accept_unoffered", OFFERED, file_response(True, 9, "/etc/hostname"),
                file_response(False, 0, SHARED), file_response(True, 70000, SHARED),
                file_response(True, -1, SHARED))
    binary_seed("other_bodies", 0, field_len(1, b"hello"), b"", b"\xff\xff\xff",
                field_len(2, b"\x0a\x02\xc3\x28"))


if __name__ == "__main__":
    main()
