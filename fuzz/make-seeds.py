#!/usr/bin/env python3
"""Writes the binary seeds (small hand-shaped inputs) into fuzz/corpus/<target>/; commit the result.
The text corpora (version, cp1251, smp_reader) are edited as files."""
import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent


def header(firmware=b"FW1", phone=b"SGHA", magic=b"SPFD"):
    return magic + phone + firmware[:16].ljust(16, b"\0") + b"\0" * 8


def block(tag, kind, count, payload=b""):
    return tag + kind + struct.pack("<I", count) + payload


def nord(offset, data):
    return block(b"FBLK", b"NORD", len(data) + 4, struct.pack("<I", offset) + data)


def diff_seeds():
    h = header()
    return {
        "header-only": h,
        "one-nord": h + nord(0x10, bytes(range(8))),
        "empty-nord": h + nord(0x20, b""),
        "two-nords-and-skip": h + nord(0, b"\x01\x02") + block(b"FBLK", b"INFO", 4, b"abcd")
        + nord(0x123456, b"\xff" * 6),
        "bad-tag-after-nord": h + nord(4, b"ok") + b"XBLK" + b"\0" * 12,
        "nord-past-end": h + block(b"FBLK", b"NORD", 400, struct.pack("<I", 0) + b"\0" * 8),
        "other-count-zero": h + block(b"FBLK", b"SKIP", 0),
        "other-step-past-end": h + nord(1, b"a") + block(b"FBLK", b"SKIP", 0xFFFFFFF0),
        "huge-offset": h + nord(0xFFFFFFF0, b"\x10" * 12),
        "image-boundary": h + nord(100, b"z" * 40) + nord(60, b"y" * 100),
        "long-name": header(b"ABCDEFGHIJKLMNOPQRS") + nord(8, b"n"),
        "cr-lf-in-name": header(b"A\r\nB\"<&>") + nord(8, b"n"),
        "short-file": h[:31],
        "bad-magic": header(magic=b"SPFE") + nord(0, b"x"),
        "unknown-class": header(phone=b"SG\0A") + nord(0, b"x"),
        "offset-digits": h + b"".join(nord(o, b"Z") for o in (0, 0xABCDEF, 0x1234567, 0xDEADBEEF)),
        # A non-NORD block steps by its count alone: 12 skips exactly its own header.
        "other-blocks": h + block(b"FBLK", b"JUNK", 12) + nord(1, b"\x01")
        + block(b"FBLK", b"XXXX", 20, b"w" * 8) + nord(2, b"\x02"),
        # The image the target makes is as long as the DIFF: old bytes only below its end.
        "image-edge-inside": h + nord(43, b"ab"),
        "image-edge-outside": h + nord(44, b"ab"),
        "nord-past-end-by-far": h + nord(1, b"\x01") + block(b"FBLK", b"NORD", 0xFFFFFFFF, b"\0" * 8),
        **{f"nord-count-{c}": h + nord(1, b"\x01") + block(b"FBLK", b"NORD", c, b"\0" * c)
           for c in range(4)},
        **{f"tail-of-{n}": h + nord(1, b"\x01") + b"FBLKNORD\x04\0\0\0"[:n] for n in range(1, 12)},
    }


def ini_seeds():
    def writes(*triples):
        return b"\0\0" + b"\0".join(b"\0".join(t) for t in triples)

    typical = (b"; edited by hand\r\n[Patch Version]\r\nvalue=0.3\r\n\r\n[Author Info]\r\n"
               b"NickName=Quorrel\r\nFullName=\r\nEmail = a@example.org \r\n"
               b"www=http://quorrel.example.org/\r\nicq=\r\n\r\n[Group]\r\n0=One\r\n1=Two\r\n")
    odd = (b"[author info]\nnickname = 'quoted'\n\tfullname=\"x\"\n;www=commented\nnot an entry\n"
           b"[Author Info]\nicq=second section\n[\xc3\xf0\xf3\xef\xef\xe0]\n\xe8\xec\xff=1")
    return {
        "defaults-into-empty": writes(
            (b"Patch Version", b"value", b"0.3"), (b"Author Info", b"NickName", b"Quorrel"),
            (b"Author Info", b"FullName", b""),
            (b"Author Info", b"www", b"http://quorrel.example.org/")),
        "typical-crlf": typical + writes(
            (b"Author Info", b"FullName", b"Name"), (b"Author Info", b"Email", b"a@example.org"),
            (b"Group", b"2", b"Three"), (b"New Section", b"key", b" padded ")),
        "odd-lf-no-final-eol": odd + writes(
            (b"AUTHOR INFO", b"FullName", b"'q'"),
            (b"\xc3\xd0\xd3\xcf\xcf\xc0", b"\xc8\xcc\xdf", b"2"),
            (b"Author Info", b"icq", b"\"x\""), (b"Author Info", b"www", b"")),
        # Every write the engine must refuse; the replay checks each changes nothing.
        "refused-writes": typical + writes(
            (b"A]", b"k", b"v"), (b"S", b"k=1", b"v"), (b"S", b";k", b"v"), (b"S", b"[k", b"v"),
            (b"S", b"k", b"line\r\nend"), (b" ", b"k", b"v"), (b"", b"k", b"v"), (b"S", b"", b"v"),
            (b"S", b" \t", b"v"), (b"S", b"k\nj", b"v"), (b"A\r", b"k", b"v"), (b"S", b"k", b"a\r"),
            (b"S", b"k", b"a\nb")),
    }


def main():
    for target, seeds in (("diff_road", diff_seeds()), ("ini_text", ini_seeds())):
        folder = HERE / "corpus" / target
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
