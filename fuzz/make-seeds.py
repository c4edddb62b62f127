#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

The seeds are small hand-shaped inputs that reach every branch the targets care about; the
fuzzer grows its own corpus from them. Run again after changing this file and commit the result.
"""
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
        "nord-count-below-4": h + block(b"FBLK", b"NORD", 3, b"\0\0\0"),
        "other-count-zero": h + block(b"FBLK", b"SKIP", 0),
        "other-step-past-end": h + nord(1, b"a") + block(b"FBLK", b"SKIP", 0xFFFFFFF0),
        "short-tail": h + nord(2, b"b") + b"FBLK\0\0",
        "huge-offset": h + nord(0xFFFFFFF0, b"\x10" * 12),
        "image-boundary": h + nord(100, b"z" * 40) + nord(60, b"y" * 100),
        "long-name": header(b"ABCDEFGHIJKLMNOPQRS") + nord(8, b"n"),
        "cr-lf-in-name": header(b"A\r\nB\"<&>") + nord(8, b"n"),
        "short-file": h[:31],
        "bad-magic": header(magic=b"SPFE") + nord(0, b"x"),
        "unknown-class": header(phone=b"SG\0A") + nord(0, b"x"),
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
        "defaults-into-empty": writes((b"Patch Version", b"value", b"0.3"),
                                      (b"Author Info", b"NickName", b"Quorrel"),
                                      (b"Author Info", b"FullName", b""),
                                      (b"Author Info", b"www", b"http://quorrel.example.org/")),
        "typical-crlf": typical + writes((b"Author Info", b"FullName", b"Name"),
                                         (b"Author Info", b"Email", b"a@example.org"),
                                         (b"Group", b"2", b"Three"),
                                         (b"New Section", b"key", b" padded ")),
        "odd-lf-no-final-eol": odd + writes((b"AUTHOR INFO", b"FullName", b"'q'"),
                                            (b"\xc3\xd0\xd3\xcf\xcf\xc0", b"\xc8\xcc\xdf", b"2"),
                                            (b"Author Info", b"icq", b"\"x\""),
                                            (b"Author Info", b"www", b"")),
        "refused-writes": typical + writes((b"A]", b"k", b"v"), (b"S", b"k=1", b"v"),
                                           (b"S", b";k", b"v"), (b"S", b"[k", b"v"),
                                           (b"S", b"k", b"line\r\nend"), (b" ", b"k", b"v")),
    }


def version_seeds():
    texts = [b"7", b" 7 ", b"\t+5\t", b"00", b"0", b"-1", b"abc", b"1.5", b"+", b"", b"+0",
             b"9" * 40, b" " * 31 + b"1", b" " * 30 + b"8x", b"4294967295", b"4294967296",
             b"1 2", b"0x10"]
    return {f"v{i:02d}": t for i, t in enumerate(texts)}


def cp1251_seeds():
    return {
        "every-byte": bytes(range(256)),
        "russian-utf8": "Привет, мир! Ёжик ёлка № €".encode("utf-8"),
        "unmappable": "日本 😀 Ω ok".encode("utf-8"),
        "invalid-utf8": b"\xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \xe2\x82 \x80 end",
        "case-pair": "ёЛКА".encode("cp1251") + "ЁлкА".encode("cp1251"),
    }


def smp_seeds():
    head = ('<?xml version="1.0" encoding="Windows-1251"?>\r\n<patch version="0.3">\r\n'
            ' <info title="T<nord" id="0A1B2C3D" group="" version="1">\r\n'
            '  <description short="&quot;"/>\r\n'
            '  <author nickname="n" fullname="" email="" www="" icq=""/>\r\n </info>\r\n'
            ' <patchdata firmware="FW1">\r\n  <changes>\r\n').encode("cp1251")
    tail = b"  </changes>\r\n </patchdata>\r\n</patch>"

    def doc(*lines):
        return head + b"".join(b"   " + line + b"\r\n" for line in lines) + tail

    return {
        "quorrel": doc(b'<nord offset="0x000010" from="1011" to="0102" />',
                       b'<nord offset="0x000020" to="aa" />'),
        "empty": doc(),
        "variations": b"<patch><patchdata firmware='x'>\n<changes >\n\t<nord to = \"0A\" "
        b"from='0b'\toffset=\"0X0000000F\"/>\n</changes\n></patchdata ></patch>\n",
        "hostile-title": b'<patch><info title="<changes><nord offset="0x1" to="00"/>'
        b'</changes></patchdata></patch>"/><patchdata firmware="<patchdata"><changes>'
        b'<nord offset="0x3" from="0102" to="0304"/></changes></patchdata></patch>',
        "overlap": doc(b'<nord offset="0x2" from="3c3f" to="0000" />',
                       b'<nord offset="0x3" from="3f78" to="1111" />'),
        "odd-digits": doc(b'<nord offset="0x1" to="123" />'),
        "not-hex": doc(b'<nord offset="0x1" to="0g" />'),
        "lengths": doc(b'<nord offset="0x1" from="00" to="0000" />'),
        "offset-33-bits": doc(b'<nord offset="0x100000000" to="00" />'),
        "past-4gib": doc(b'<nord offset="0xffffffff" to="0000" />'),
        "at-4gib": doc(b'<nord offset="0xffffffff" to="00" />'),
        "unknown-attribute": doc(b'<nord offset="0x1" to="00" size="1" />'),
        "truncated": doc(b'<nord offset="0x1" to="00" />')[:-3],
        "no-patchdata": b"<patch><changes><nord offset='0x1' to='00'/></changes></patchdata></patch>",
    }


def main():
    for target, seeds in (("diff_road", diff_seeds()), ("ini_text", ini_seeds()),
                          ("version", version_seeds()), ("cp1251", cp1251_seeds()),
                          ("smp_reader", smp_seeds())):
        folder = HERE / "corpus" / target
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
