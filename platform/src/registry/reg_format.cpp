#include "reg_format.h"

#include <cstdio>

namespace platform::registry {

namespace {

constexpr char kHex[] = "0123456789abcdef";

bool IsAsciiHexDigit(uint32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The C escape letters Wine uses for control characters; 0 where it writes octal.
char ControlEscape(uint32_t c) {
    switch (c) {
        case 7: return 'a';
        case 8: return 'b';
        case 9: return 't';
        case 10: return 'n';
        case 11: return 'v';
        case 12: return 'f';
        case 13: return 'r';
        case 27: return 'e';
        default: return 0;
    }
}

void AppendHex(std::string& out, uint64_t v, int minDigits) {
    char buf[17];
    int n = 0;
    do {
        buf[n++] = kHex[v & 0xF];
        v >>= 4;
    } while (v && n < 16);
    while (n < minDigits) buf[n++] = '0';
    while (n) out += buf[--n];
}

void AppendOctal(std::string& out, uint32_t v, int minDigits) {
    char buf[12];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + (v & 7));
        v >>= 3;
    } while (v && n < 11);
    while (n < minDigits) buf[n++] = '0';
    while (n) out += buf[--n];
}

uint16_t UnitAt(const std::vector<uint8_t>& data, size_t i) {
    return static_cast<uint16_t>(data[2 * i] | (data[2 * i + 1] << 8));
}

}  // namespace

size_t AppendEscaped(std::string& out, std::wstring_view units, char delim1, char delim2) {
    const size_t start = out.size();
    for (size_t i = 0; i < units.size(); ++i) {
        const uint32_t c = static_cast<uint32_t>(units[i]) & 0xFFFF;
        const uint32_t next = i + 1 < units.size() ? (static_cast<uint32_t>(units[i + 1]) & 0xFFFF) : 0;
        if (c > 127) {
            out += "\\x";
            AppendHex(out, c, IsAsciiHexDigit(next) ? 4 : 1);
        } else if (c < 32) {
            out += '\\';
            if (const char e = ControlEscape(c))
                out += e;
            else
                AppendOctal(out, c, (next >= '0' && next <= '7') ? 3 : 1);
        } else {
            if (c == '\\' || c == static_cast<uint32_t>(delim1) || c == static_cast<uint32_t>(delim2)) out += '\\';
            out += static_cast<char>(c);
        }
    }
    return out.size() - start;
}

std::string FormatValue(const Value& value) {
    std::string out;
    size_t count;
    if (value.name.empty()) {
        out.append("@=");
        count = 2;
    } else {
        out.push_back('"');
        count = AppendEscaped(out, value.name, '"', '"') + 3;
        out += "\"=";
    }
    const std::vector<uint8_t>& d = value.data;
    switch (value.type) {
        case 1:  // REG_SZ
        case 2:  // REG_EXPAND_SZ
        case 7: {  // REG_MULTI_SZ
            // Only a properly terminated UTF-16 string is written as text.
            if (d.size() < 2 || d.size() % 2 != 0 || UnitAt(d, d.size() / 2 - 1) != 0) break;
            if (value.type != 1) {
                out += "str(";
                AppendHex(out, value.type, 1);
                out += "):";
            }
            std::wstring units(d.size() / 2 - 1, L'\0');
            for (size_t i = 0; i < units.size(); ++i) units[i] = static_cast<wchar_t>(UnitAt(d, i));
            out += '"';
            AppendEscaped(out, units, '"', '"');
            out += "\"\n";
            return out;
        }
        case 4:  // REG_DWORD
            if (d.size() != 4) break;
            out += "dword:";
            AppendHex(out, static_cast<uint32_t>(d[0] | (d[1] << 8) | (d[2] << 16)) | (static_cast<uint32_t>(d[3]) << 24),
                      8);
            out += '\n';
            return out;
        default:
            break;
    }
    const size_t before = out.size();
    if (value.type == 3) {
        out += "hex:";
    } else {
        out += "hex(";
        AppendHex(out, value.type, 1);
        out += "):";
    }
    count += out.size() - before;
    for (size_t i = 0; i < d.size(); ++i) {
        out += kHex[d[i] >> 4];
        out += kHex[d[i] & 0xF];
        count += 2;
        if (i + 1 < d.size()) {
            out += ',';
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    out += '\n';
    return out;
}

std::string FormatKeyPath(const Key& key) {
    std::vector<const Key*> chain;
    for (const Key* k = &key; k->parent; k = k->parent) chain.push_back(k);
    std::string out;
    for (size_t i = chain.size(); i-- > 0;) {
        AppendEscaped(out, chain[i]->name, '[', ']');
        if (i) out += "\\\\";
    }
    return out;
}

bool IsWritten(const Key& key) {
    return !key.values.empty() || key.subkeys.empty() || key.className || key.link;
}

std::string FormatKey(const Key& key, std::vector<std::pair<uint32_t, uint32_t>>* valueSpans) {
    std::string out = "\n[";
    out += FormatKeyPath(key);
    out += "] ";
    // Seconds since 1970 as a 32-bit unsigned number (a time before 1970 wraps around, as in Wine).
    const uint32_t seconds =
        key.modified >= kUnixEpochTicks
            ? static_cast<uint32_t>((key.modified - kUnixEpochTicks) / kTicksPerSecond)
            : 0u - static_cast<uint32_t>((kUnixEpochTicks - key.modified) / kTicksPerSecond);
    out += std::to_string(seconds);
    out += "\n#time=";
    AppendHex(out, key.modified >> 32, 1);
    AppendHex(out, key.modified & 0xFFFFFFFFu, 8);
    out += '\n';
    if (key.className) {
        out += "#class=\"";
        AppendEscaped(out, *key.className, '"', '"');
        out += "\"\n";
    }
    if (key.link) out += "#link\n";
    if (valueSpans) valueSpans->clear();
    for (const Value& v : key.values) {
        const size_t start = out.size();
        if (v.rawLength && static_cast<size_t>(v.rawOffset) + v.rawLength <= key.raw.size()) {
            out.append(key.raw, v.rawOffset, v.rawLength);
            // The file's last line may have ended without a line break.
            if (out.back() != '\n') out += '\n';
        } else {
            out += FormatValue(v);
        }
        if (valueSpans) valueSpans->emplace_back(static_cast<uint32_t>(start), static_cast<uint32_t>(out.size() - start));
    }
    return out;
}

namespace {

void AppendChunk(std::string& text, std::string_view chunk) {
    // A file whose last line had no newline may get keys after it.
    if (!text.empty() && text.back() != '\n' && !chunk.empty() && chunk.front() != '\n') text += '\n';
    text.append(chunk);
}

void SerializeKey(Key& key, SerializedHive& out) {
    if (!key.dirty) {
        AppendChunk(out.text, key.raw);
    } else if (IsWritten(key)) {
        SerializedHive::Regenerated r{&key, 0, 0, {}};
        const std::string chunk = FormatKey(key, &r.valueSpans);
        AppendChunk(out.text, chunk);
        r.offset = out.text.size() - chunk.size();
        r.length = chunk.size();
        out.regenerated.push_back(std::move(r));
    } else {
        out.regenerated.push_back({&key, out.text.size(), 0, {}});
    }
    // Keys are at most a few hundred levels deep (the parser and the API refuse deeper paths).
    for (auto& child : key.subkeys) SerializeKey(*child, out);
}

}  // namespace

SerializedHive Serialize(Hive& hive) {
    SerializedHive out;
    out.text.reserve(hive.prologue.size() + 4096);
    out.text = hive.prologue;
    SerializeKey(hive.root, out);
    return out;
}

void Commit(SerializedHive& out) {
    for (auto& r : out.regenerated) {
        Key& key = *r.key;
        key.raw.assign(out.text, r.offset, r.length);
        if (r.length) {
            for (size_t i = 0; i < key.values.size() && i < r.valueSpans.size(); ++i) {
                key.values[i].rawOffset = r.valueSpans[i].first;
                key.values[i].rawLength = r.valueSpans[i].second;
            }
        } else {
            for (Value& v : key.values) v.rawLength = 0;
        }
        key.dirty = false;
    }
}

}  // namespace platform::registry
