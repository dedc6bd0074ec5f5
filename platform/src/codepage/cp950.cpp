// Code page 950 over the generated table (tools/gen_cp950.py).
#include "codepage/cp950.h"

namespace platform::cp950 {
namespace {

#include "codepage/cp950_table.inc"

bool IsTrailByte(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE); }

uint16_t Lookup(uint8_t lead, uint8_t trail) {
    if (!IsLeadByte(lead) || trail < kTrailFirst || trail > kTrailLast) return 0;
    return kDoubleByte[lead - kLeadFirst][trail - kTrailFirst];
}

// Unicode -> code, built once from the decode table. 0 = no mapping (U+0000 is handled by callers).
struct ReverseTable {
    uint16_t code[0x10000] = {};
    ReverseTable() {
        for (unsigned b = 1; b < 256; ++b)
            if (kSingleByte[b] != 0) code[kSingleByte[b]] = static_cast<uint16_t>(b);
        for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
            for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
                const uint16_t unit = kDoubleByte[lead - kLeadFirst][trail - kTrailFirst];
                const auto c = static_cast<uint16_t>(lead << 8 | trail);
                if (unit != 0 && !IsDecodeOnly(c)) code[unit] = c;
            }
        }
    }
    static bool IsDecodeOnly(uint16_t c) {
        for (uint16_t d : kDecodeOnly)
            if (d == c) return true;
        return false;
    }
};

const ReverseTable& Reverse() {
    static const ReverseTable table;
    return table;
}

}  // namespace

bool IsLeadByte(uint8_t b) { return b >= kLeadFirst && b <= kLeadLast; }

uint16_t ToUnicode(uint16_t code) {
    if (code < 0x100) return IsLeadByte(static_cast<uint8_t>(code)) ? 0 : kSingleByte[code];
    return Lookup(static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code & 0xFF));
}

uint16_t FromUnicode(uint16_t unit) { return Reverse().code[unit]; }

std::wstring Decode(std::string_view bytes, bool* valid) {
    std::wstring out;
    out.reserve(bytes.size());
    bool ok = true;
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (!IsLeadByte(b)) {
            out += static_cast<wchar_t>(kSingleByte[b]);
            ++i;
            continue;
        }
        // A lead byte takes the next byte only when that can be a trail byte, so a stray
        // lead byte never swallows the terminator or the ASCII character after it.
        const auto next = i + 1 < bytes.size() ? static_cast<uint8_t>(bytes[i + 1]) : 0;
        if (i + 1 < bytes.size() && IsTrailByte(next)) {
            uint16_t unit = Lookup(b, next);
            if (unit == 0) {
                ok = false;
                unit = u'?';
            }
            out += static_cast<wchar_t>(unit);
            i += 2;
        } else {
            ok = false;
            out += L'?';
            ++i;
        }
    }
    if (valid) *valid = ok;
    return out;
}

std::string Encode(std::wstring_view units, bool* valid) {
    std::string out;
    out.reserve(units.size() * 2);
    bool ok = true;
    for (wchar_t c : units) {
        const auto u = static_cast<uint32_t>(c);
        const uint16_t code = u == 0 ? 0 : u > 0xFFFF ? 0 : FromUnicode(static_cast<uint16_t>(u));
        if (u != 0 && code == 0) {
            ok = false;
            out += '?';
        } else if (code < 0x100) {
            out += static_cast<char>(code);
        } else {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        }
    }
    if (valid) *valid = ok;
    return out;
}

}  // namespace platform::cp950
