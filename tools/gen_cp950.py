#!/usr/bin/env python3
"""Generates platform/src/codepage/cp950_table.inc, Microsoft's code page 950 table.

Run from the repository root:  python3 tools/gen_cp950.py
The output is committed; the build does not need Python.

Where the data comes from
- Double-byte codes outside the user-defined areas: Python's built-in 'cp950'
  codec, which carries Microsoft's table (0xA145 -> U+2027, 0xA1C3 -> U+FFE3,
  0xA3E1 -> U+20AC, 0xC94A -> U+FA0C, 0xDDFC -> U+FA0D, 0xF9D6..0xF9FE, ...).
- Single bytes 0x80 -> U+0080 and 0xFF -> U+F8F8: Windows maps these two
  non-lead bytes; Python's codec leaves them undefined, so they are added here.
- The four user-defined (EUDC) areas map onto U+E000..U+F848 row by row, 157
  codes per row (trail bytes 0x40..0x7E, then 0xA1..0xFE):
      0xFA40..0xFEFE -> U+E000..U+E310
      0x8E40..0xA0FE -> U+E311..U+EEB7
      0x8140..0x8DFE -> U+EEB8..U+F6B0
      0xC6A1..0xC8FE -> U+F6B1..U+F848   (the 0xC6 row starts at trail 0xA1)
  Python maps nothing into those areas except 0xC6A1..0xC7FC, which it fills
  with the ETen kana/Cyrillic extension of plain Big5. Windows does not: the
  whole of 0xC6A1..0xC8FE is user-defined there, so the areas take precedence.

Encoding (Unicode -> code page 950)
- Every unit encodes to a code that decodes back to that unit; there are no
  "best fit" approximations, so WC_NO_BEST_FIT_CHARS never changes a result.
- Ten units are reached by two codes each. The encoder uses the code Windows'
  own table (WCTABLE) gives, and the other one becomes decode-only:
      U+2550 F9F9 (not A2A4)   U+255E F9E9 (not A2A5)
      U+256A F9EA (not A2A6)   U+2561 F9EB (not A2A7)
      U+256D A27E (not F9FA)   U+256E A2A1 (not F9FB)
      U+2570 A2A2 (not F9FC)   U+256F A2A3 (not F9FD)
      U+5341 A451 (not A2CC)   U+5345 A4CA (not A2CE)
  Python's encoder picks A2A4..A2A7 for the first four, which is not what
  Windows does, so the choice is made here explicitly. 0xC94A and 0xDDFC are
  not duplicates in Microsoft's table (they decode to U+FA0C and U+FA0D).

Output layout
- kSingleByte[256]: Unicode of each single byte; 0 for the lead bytes 0x81..0xFE.
- kDoubleByte[126][191]: Unicode of lead 0x81..0xFE with trail 0x40..0xFE;
  0 where there is no mapping (always for trails 0x7F..0xA0 and 0xFF).
- kDecodeOnly[]: codes skipped when the encoder's reverse table is built.
"""

import os
import sys

LEAD_FIRST, LEAD_LAST = 0x81, 0xFE
TRAIL_FIRST, TRAIL_LAST = 0x40, 0xFE
TRAILS = list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF))
assert len(TRAILS) == 157
ROW_WIDTH = TRAIL_LAST - TRAIL_FIRST + 1
assert ROW_WIDTH == 191

# (first code, last code, first Unicode, last Unicode)
EUDC_AREAS = [
    (0xFA40, 0xFEFE, 0xE000, 0xE310),
    (0x8E40, 0xA0FE, 0xE311, 0xEEB7),
    (0x8140, 0x8DFE, 0xEEB8, 0xF6B0),
    (0xC6A1, 0xC8FE, 0xF6B1, 0xF848),
]

SINGLE_BYTE_EXTRAS = {0x80: 0x0080, 0xFF: 0xF8F8}

# unit -> the code Windows encodes it to, for units that two codes decode to
PREFERRED = {
    0x2550: 0xF9F9, 0x255E: 0xF9E9, 0x256A: 0xF9EA, 0x2561: 0xF9EB,
    0x256D: 0xA27E, 0x256E: 0xA2A1, 0x2570: 0xA2A2, 0x256F: 0xA2A3,
    0x5341: 0xA451, 0x5345: 0xA4CA,
}

# Spot checks of Microsoft's table against the codec we read it from.
MICROSOFT_SAMPLES = {
    0xA140: 0x3000, 0xA145: 0x2027, 0xA14E: 0xFE51, 0xA1C2: 0x00AF, 0xA1C3: 0xFFE3,
    0xA1C5: 0x02CD, 0xA1FE: 0xFF0F, 0xA240: 0xFF3C, 0xA2CC: 0x5341, 0xA2CE: 0x5345,
    0xA3E1: 0x20AC, 0xA440: 0x4E00, 0xC94A: 0xFA0C, 0xDDFC: 0xFA0D, 0xF9D6: 0x7881,
    0xF9F9: 0x2550, 0xF9FA: 0x256D, 0xF9FB: 0x256E, 0xF9FC: 0x2570, 0xF9FD: 0x256F,
    0xF9FE: 0x2593, 0xBCD0: 0x6A19, 0xB7A2: 0x6977, 0xC5E9: 0x9AD4,
}


def eudc_unicode(code):
    """Unicode of a code in a user-defined area, or None."""
    for first, last, ufirst, _ in EUDC_AREAS:
        if first <= code <= last:
            lead, trail = code >> 8, code & 0xFF
            if trail not in TRAILS:
                return None
            row0 = TRAILS.index(first & 0xFF)  # 0 except for the 0xC6A1 area
            pos = (lead - (first >> 8)) * 157 + TRAILS.index(trail) - row0
            return ufirst + pos
    return None


def check_eudc_areas():
    total = 0
    for first, last, ufirst, ulast in EUDC_AREAS:
        rows = (last >> 8) - (first >> 8) + 1
        count = rows * 157 - TRAILS.index(first & 0xFF)
        assert count == ulast - ufirst + 1, (hex(first), count)
        assert eudc_unicode(first) == ufirst and eudc_unicode(last) == ulast
        total += count
    assert [a[2] for a in EUDC_AREAS] == [0xE000, 0xE311, 0xEEB8, 0xF6B1]
    for a, b in zip(EUDC_AREAS, EUDC_AREAS[1:]):  # contiguous, no overlap
        assert a[3] + 1 == b[2]
    assert total == 0xF848 - 0xE000 + 1 == 6217
    assert 0xC6A1 - 0xC640 == 0x61  # the C6 row below 0xA1 is standard Big5
    assert eudc_unicode(0xC67E) is None and eudc_unicode(0xFA7F) is None


def python_decode(code):
    try:
        s = bytes([code >> 8, code & 0xFF]).decode("cp950")
    except UnicodeDecodeError:
        return None
    return ord(s) if len(s) == 1 else None


def build():
    check_eudc_areas()
    single = [0] * 256
    for b in range(0x80):
        single[b] = b
    for b, u in SINGLE_BYTE_EXTRAS.items():
        single[b] = u
    for b in range(0x80):
        assert bytes([b]).decode("cp950") == chr(b)

    double = {}
    from_python = 0
    eudc = 0
    for lead in range(LEAD_FIRST, LEAD_LAST + 1):
        for trail in range(TRAIL_FIRST, TRAIL_LAST + 1):
            code = lead << 8 | trail
            u = eudc_unicode(code)
            if u is not None:
                eudc += 1
            else:
                u = python_decode(code)
                if u is None:
                    continue
                assert trail in TRAILS
                assert not (0xE000 <= u <= 0xF848), hex(code)
                from_python += 1
            double[code] = u
    assert eudc == 6217
    assert from_python == 13503, from_python  # Microsoft's double-byte count
    for code, u in MICROSOFT_SAMPLES.items():
        assert double.get(code) == u, (hex(code), double.get(code))
    for code in range(0xA3C0, 0xA3E1):  # plain Big5 control pictures: not in Microsoft's table
        assert code not in double

    # Reverse direction: exactly the duplicates above, resolved as Windows does.
    users = {}
    for code, u in double.items():
        users.setdefault(u, []).append(code)
    for b in range(256):
        if single[b] or b == 0:
            if not (LEAD_FIRST <= b <= LEAD_LAST):
                users.setdefault(single[b], []).append(b)
    dups = {u: codes for u, codes in users.items() if len(codes) > 1}
    assert set(dups) == set(PREFERRED), sorted(hex(u) for u in dups)
    decode_only = []
    for u, codes in sorted(dups.items()):
        assert len(codes) == 2 and PREFERRED[u] in codes
        decode_only += [c for c in codes if c != PREFERRED[u]]
    decode_only.sort()
    return single, double, decode_only


def emit(single, double, decode_only):
    out = []
    out.append("// Generated by tools/gen_cp950.py from Python's 'cp950' codec (Microsoft's table),")
    out.append("// with the user-defined areas on U+E000..U+F848. Do not edit; rerun the script.")
    out.append("// Included by cp950.cpp only.")
    out.append("")
    out.append("constexpr unsigned kLeadFirst = 0x%02X;" % LEAD_FIRST)
    out.append("constexpr unsigned kLeadLast = 0x%02X;" % LEAD_LAST)
    out.append("constexpr unsigned kTrailFirst = 0x%02X;" % TRAIL_FIRST)
    out.append("constexpr unsigned kTrailLast = 0x%02X;" % TRAIL_LAST)
    out.append("constexpr unsigned kMappedDoubleByteCodes = %d;" % len(double))
    out.append("")
    out.append("// Unicode of each single byte; 0 for lead bytes.")
    out.append("constexpr uint16_t kSingleByte[256] = {")
    for i in range(0, 256, 16):
        out.append("    " + ", ".join("0x%X" % single[b] for b in range(i, i + 16)) + ",")
    out.append("};")
    out.append("")
    out.append("// [lead - kLeadFirst][trail - kTrailFirst]; 0 = no mapping.")
    out.append("constexpr uint16_t kDoubleByte[%d][%d] = {" % (LEAD_LAST - LEAD_FIRST + 1, ROW_WIDTH))
    for lead in range(LEAD_FIRST, LEAD_LAST + 1):
        row = [double.get(lead << 8 | t, 0) for t in range(TRAIL_FIRST, TRAIL_LAST + 1)]
        out.append("    {  // 0x%02X" % lead)
        for i in range(0, ROW_WIDTH, 16):
            out.append("        " + ",".join("0x%X" % u for u in row[i:i + 16]) + ",")
        out.append("    },")
    out.append("};")
    out.append("")
    out.append("// Codes that decode to a unit the encoder writes with another code.")
    out.append("constexpr uint16_t kDecodeOnly[%d] = {" % len(decode_only))
    out.append("    " + ", ".join("0x%04X" % c for c in decode_only) + ",")
    out.append("};")
    return "\n".join(out) + "\n"


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = os.path.join(root, "platform", "src", "codepage", "cp950_table.inc")
    text = emit(*build())
    with open(target, "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    print("wrote %s (%d bytes)" % (target, len(text)), file=sys.stderr)


if __name__ == "__main__":
    main()
