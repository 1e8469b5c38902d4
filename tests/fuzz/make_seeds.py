#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets in this folder (<name>_corpus/): small inputs that
reach each part of the code under test, from which libFuzzer mutates. Run it again after changing
the inputs' layout; the files are kept in the project."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def write(corpus, name, data):
    folder = os.path.join(here, corpus)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


# query_fuzz: byte 0 the settings, byte 1 the After/Before days, then the query (after a refine
# text and a line feed when bit 5 of byte 0 is set).
queries = [
    (0x00, 0x00, "cat"),
    (0x00, 0x00, "cat dog"),
    (0x01, 0x00, "cat and dog"),
    (0x02, 0x00, "cat or mat and not zebra"),
    (0x03, 0x00, "comp* +cat -dog"),
    (0x00, 0x00, "\"cat and the dog\""),
    (0x00, 0x00, "'tiger' `rtf`"),
    (0x00, 0x00, "john's e-mail don't"),
    (0x10, 0x00, "date>=08/12/2025 cat"),
    (0x00, 0x00, "modified<=09/12/2025 modified=yesterday"),
    (0x00, 0x00, "reminder=today reminder=tommorow date=today"),
    (0x00, 0x00, "reminder>=32/13/2025"),
    (0x00, 0x00, "date=1/2/2003 sort=date"),
    (0x00, 0x00, "sort=reminder sort=modified cat*"),
    (0x00, 0x00, "!cat &dog ?mat"),
    (0x20, 0x00, "cat \nand dog"),
    (0x20, 0x00, "comp* \nsort=page"),
    (0xC4, 0x3A, "cat"),
    (0xC8, 0x88, ""),
    (0x40, 0x07, "Invoice 2026"),
    (0x00, 0x00, "a=b ** c*mp 's"),
    (0x00, 0x00, "cat " * 70),
]
for i, (flags, days, text) in enumerate(queries):
    write("query_fuzz_corpus", "q%02d" % i, bytes([flags, days]) + text.encode("latin-1"))


# header_fuzz: bytes 0-1 the header file's length, the header file, the data file.
def record(page_id, created, reminder, modified, start, end, password=b"        "):
    return struct.pack("<8sdddii8s", page_id, created, reminder, modified, start, end, password)


def data_set(pages):
    """pages: (id, body bytes or None for deleted, created, reminder, modified)"""
    header, data = b"", b""
    for page_id, body, created, reminder, modified in pages:
        start = len(data)
        if body is not None:
            data += body + b"E"
        header += record(page_id, created, reminder, modified, start, len(data))
    return header, data


def header_input(header, data):
    return struct.pack("<H", len(header)) + header + data


good = [
    (b"0000000A", b"{\\rtf1 cat dog}", 46000.0, 0.0, 46000.5),
    (b"0000000B", b"{\\rtf1\\ansi \\b e-mail\\b0 cat}", 45999.0, 46000.25, 46000.0),
    (b"0000000C", None, 45990.0, 0.0, 45995.0),
    (b"0000000D", b"plain text, no markup", 46001.0, 46001.0, 45999.0),
]
h, d = data_set(good)
write("header_fuzz_corpus", "good", header_input(h, d))
write("header_fuzz_corpus", "empty", b"\x00\x00")
write("header_fuzz_corpus", "no_data_file", header_input(h, b""))
write("header_fuzz_corpus", "partial_record", header_input(h + b"0000000E\x01\x02", d))
bad_bounds = [record(b"0000000A", 46000, 0, 46000, 0, 9999), record(b"0000000B", 46000, 0, 46000, -5, 3),
              record(b"0000000C", 46000, 0, 46000, 6, 2), record(b"0000000D", 46000, 0, 46000, 2, 2)]
write("header_fuzz_corpus", "bad_bounds", header_input(b"".join(bad_bounds), b"0123456789E"))
odd = [record(b"AB\x00XYZ12", float("nan"), float("inf"), -1e300, 0, 4),
       record(b"\x00\x00\x00\x00\x00\x00\x00\x00", 1e300, -0.0, 5e-324, 0, 4),
       record(b"AB\x00XYZ12", 46000, 46000, 46000, 4, 8, b"\x02\x08\x12\x20\x32\x48\x62\x80"),
       record(b"AB", 46000, 46000, 46000, 0, 8)]
write("header_fuzz_corpus", "odd_fields", header_input(b"".join(odd), b"cat\x00dogE"))
dup = [record(b"0000000A", 46000, 0, 46000, 0, 4), record(b"0000000A", 46001, 0, 46001, 4, 8),
       record(b"0000000A", 46002, 0, 46002, 0, 8)]
write("header_fuzz_corpus", "same_ids_overlap", header_input(b"".join(dup), b"cat E dog"))

# index_fuzz: the index file's text.
indexes = {
    "small": "cat=0000000A\r\ndog=0000000A\r\ncomputer=0000000B\r\n",
    "unsorted_dups": "zebra=00000001\r\ncat=0000000A\r\nCat=0000000A\r\ncat=0000000A\r\napple=00000002\r\n",
    "line_ends": "cat=1\ndog=2\rmat=3\r\n\r\n\n=\r\nnoequals\r\na=b=c",
    "prefixes": "comp=0000000A\r\ncompany=0000000B\r\ncompass=0000000C\r\ncomputer=0000000D\r\ncom=E\r\n",
    "odd_words": "john's=00000001\r\ndon`t=00000002\r\n2026=00000003\r\nCAT=00000004\r\n\xe9t\xe9=00000005\r\n",
    "short_ids": "cat=\r\ncat=1\r\ncat=1234567890ABCDEF\r\n=0000000A\r\n",
    "empty": "",
    "one_line": "cat=0000000A",
}
for name, text in indexes.items():
    write("index_fuzz_corpus", name, text)
write("index_fuzz_corpus", "many", "".join("w%03d=%08X\r\n" % (i * 7 % 100, i) for i in range(100)))

# recent_fuzz: a recent searches file or a saved query.
recents = {
    "recent": "cat and dog\r\ncomp*\r\n\"the cat\" sort=date\r\n",
    "query": "cat +dog \r\n0000000A\r\n0000000B\r\nDEADBEEF\r\n",
    "lf_only": "cat\ndog\n",
    "no_end": "cat\r\nlast line without end",
    "cr_inside": "a\rb\r\r\n\r\n\r",
    "cp1252": "caf\xe9 \x80 \x81 \x8d \x8f \x90 \x9d \x9f\r\n\xff\x00zero\r\n",
    "long_refine": ("x" * 300) + "\r\n0000000A\r\n",
    "ids": "stored \r\n0000000A\r\n\r\nAB\r\n0000000A0000\r\nZZZZZZZZ\r\n",
}
for name, text in recents.items():
    write("recent_fuzz_corpus", name, text)
