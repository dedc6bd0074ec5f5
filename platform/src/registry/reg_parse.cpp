#include "reg_parse.h"

#include <cstring>
#include <optional>

namespace platform::registry {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Keys are at most kMaxKeyDepth levels deep, so the recursion is bounded.
void MarkSectionsDirty(Key& key) {
    for (auto& child : key.subkeys) {
        if (!child->raw.empty()) child->dirty = true;
        MarkSectionsDirty(*child);
    }
}

class Parser {
public:
    Parser(std::string_view text, ParseError* error) : text_(text), error_(error) {}

    std::unique_ptr<Hive> Run();

private:
    // The line currently looked at: [lineStart_, lineEnd_) without its '\n'.
    bool NextLine() {
        if (next_ >= text_.size()) return false;
        lineStart_ = next_;
        const void* nl = std::memchr(text_.data() + lineStart_, '\n', text_.size() - lineStart_);
        lineEnd_ = nl ? static_cast<size_t>(static_cast<const char*>(nl) - text_.data()) : text_.size();
        next_ = nl ? lineEnd_ + 1 : text_.size();
        ++lineNo_;
        return true;
    }
    // The line's content without a trailing '\r'.
    size_t ContentEnd() const {
        size_t e = lineEnd_;
        if (e > lineStart_ && text_[e - 1] == '\r') --e;
        return e;
    }
    char At(size_t p) const { return p < lineEnd_ ? text_[p] : '\n'; }
    bool RestIsBlank(size_t p) const {
        for (; p < lineEnd_; ++p)
            if (!IsBlank(text_[p])) return false;
        return true;
    }
    bool Fail(const char* message) {
        if (error_ && error_->message.empty()) {
            error_->line = lineNo_;
            error_->message = message;
        }
        return false;
    }

    bool ParseEscaped(size_t& p, char close, std::wstring& out);
    bool ParseKeyHeader();
    bool ParseValue();
    bool ParseHexData(size_t p, std::vector<uint8_t>& out);
    bool ParseTypeNumber(size_t& p, uint32_t& type);
    void FinishChunk(size_t end);

    std::string_view text_;
    ParseError* error_;
    size_t next_ = 0, lineStart_ = 0, lineEnd_ = 0, lineNo_ = 0;

    std::unique_ptr<Hive> hive_;
    Key* current_ = nullptr;
    bool currentRepeated_ = false;  // the key had a section of its own before this one
    size_t chunkStart_ = 0;
};

// A name or string up to the closing delimiter; p moves past it.
bool Parser::ParseEscaped(size_t& p, char close, std::wstring& out) {
    out.clear();
    const size_t end = ContentEnd();
    while (true) {
        if (p >= end) return Fail("unterminated string");
        const auto c = static_cast<unsigned char>(text_[p]);
        if (c == static_cast<unsigned char>(close)) {
            ++p;
            return true;
        }
        if (c == '\\') {
            if (p + 1 >= end) return Fail("escape at end of line");
            const char e = text_[p + 1];
            p += 2;
            if (e == 'x') {
                uint32_t v = 0;
                int n = 0;
                while (n < 4 && p < end && HexDigit(text_[p]) >= 0) {
                    v = v * 16 + static_cast<uint32_t>(HexDigit(text_[p++]));
                    ++n;
                }
                if (!n) return Fail("\\x without hex digits");
                out += static_cast<wchar_t>(v);
            } else if (e >= '0' && e <= '7') {
                uint32_t v = static_cast<uint32_t>(e - '0');
                for (int n = 1; n < 3 && p < end && text_[p] >= '0' && text_[p] <= '7'; ++n)
                    v = v * 8 + static_cast<uint32_t>(text_[p++] - '0');
                out += static_cast<wchar_t>(v);
            } else {
                switch (e) {
                    case 'a': out += L'\a'; break;
                    case 'b': out += L'\b'; break;
                    case 'e': out += static_cast<wchar_t>(27); break;
                    case 'f': out += L'\f'; break;
                    case 'n': out += L'\n'; break;
                    case 'r': out += L'\r'; break;
                    case 't': out += L'\t'; break;
                    case 'v': out += L'\v'; break;
                    default:
                        if (static_cast<unsigned char>(e) >= 0x80) return Fail("escaped non-ASCII byte");
                        out += static_cast<wchar_t>(static_cast<unsigned char>(e));
                }
            }
            continue;
        }
        if (c < 0x80) {
            out += static_cast<wchar_t>(c);
            ++p;
            continue;
        }
        // Wine writes ASCII only; other bytes are taken as UTF-8, and must be valid UTF-8.
        size_t len;
        uint32_t cp;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return Fail("invalid UTF-8");
        }
        if (p + len > end) return Fail("invalid UTF-8");
        for (size_t k = 1; k < len; ++k) {
            const auto cb = static_cast<unsigned char>(text_[p + k]);
            if ((cb & 0xC0) != 0x80) return Fail("invalid UTF-8");
            cp = (cp << 6) | (cb & 0x3F);
        }
        static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return Fail("invalid UTF-8");
        p += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp);
        }
    }
}

void Parser::FinishChunk(size_t end) {
    if (!current_) {
        hive_->prologue.assign(text_.substr(0, end));
    } else if (!currentRepeated_) {
        current_->raw.assign(text_.substr(chunkStart_, end - chunkStart_));
    }
}

bool Parser::ParseKeyHeader() {
    size_t p = lineStart_ + 1;
    std::wstring path;
    if (!ParseEscaped(p, ']', path)) return false;
    const size_t end = ContentEnd();
    while (p < end && IsBlank(text_[p])) ++p;
    std::optional<uint64_t> seconds;
    if (p < end && text_[p] >= '0' && text_[p] <= '9') {
        uint64_t s = 0;
        while (p < end && text_[p] >= '0' && text_[p] <= '9') {
            s = s * 10 + static_cast<uint64_t>(text_[p++] - '0');
            if (s > 0xFFFFFFFFull) return Fail("key time out of range");
        }
        seconds = s;
    }
    if (!RestIsBlank(p)) return Fail("text after key name");

    const uint64_t modified = seconds ? kUnixEpochTicks + *seconds * kTicksPerSecond : 0;
    Key* key = &hive_->root;
    size_t depth = 0;
    size_t i = 0;
    std::wstring_view last;
    // A section that spells a parent in another letter case is written anew under the parent's
    // spelling: copied as read, it would give the parent its spelling when the file is read back.
    bool respelled = false;
    while (!path.empty() && i <= path.size()) {
        size_t j = path.find(L'\\', i);
        if (j == std::wstring::npos) j = path.size();
        if (j == i) return Fail("empty key name in path");
        if (++depth > kMaxKeyDepth) return Fail("key path too deep");
        bool created = false;
        last = std::wstring_view(path).substr(i, j - i);
        key = key->GetOrAddSubkey(last, &created);
        if (created) key->modified = modified;
        else if (j < path.size() && key->name != last) respelled = true;
        i = j + 1;
    }
    // A second section for the same key is merged into it; the key is then written anew.
    currentRepeated_ = !key->raw.empty();
    if (currentRepeated_ || respelled) key->dirty = true;
    // A key only implied so far (by a subkey's path, perhaps in another letter case) takes the
    // spelling of its own section, so that the file reads back the same after it is written;
    // the sections read below it spelled it the old way and are written anew.
    if (!currentRepeated_ && key != &hive_->root && key->name != last) {
        key->name.assign(last);
        MarkSectionsDirty(*key);
    }
    if (key != &hive_->root || seconds) key->modified = modified;
    current_ = key;
    return true;
}

bool Parser::ParseTypeNumber(size_t& p, uint32_t& type) {
    uint64_t v = 0;
    int n = 0;
    while (HexDigit(At(p)) >= 0) {
        v = v * 16 + static_cast<uint64_t>(HexDigit(At(p++)));
        if (++n > 8) return Fail("type number too long");
    }
    if (!n || At(p) != ')' || At(p + 1) != ':') return Fail("bad type number");
    p += 2;
    type = static_cast<uint32_t>(v);
    return true;
}

// Comma-separated bytes; a line ending in '\' continues on the next one.
bool Parser::ParseHexData(size_t p, std::vector<uint8_t>& out) {
    out.clear();
    bool expectByte = false;  // after a comma another byte must come
    while (true) {
        while (p < lineEnd_ && (text_[p] == ' ' || text_[p] == '\t')) ++p;
        if (At(p) == '\\' && RestIsBlank(p + 1)) {
            if (!NextLine()) return Fail("continuation at end of file");
            p = lineStart_;
            continue;
        }
        if (RestIsBlank(p)) {
            if (expectByte) return Fail("hex data ends in a comma");
            return true;
        }
        const int hi = HexDigit(At(p));
        if (hi < 0) return Fail("bad hex data");
        int v = hi;
        ++p;
        if (HexDigit(At(p)) >= 0) v = v * 16 + HexDigit(At(p++));
        out.push_back(static_cast<uint8_t>(v));
        while (p < lineEnd_ && (text_[p] == ' ' || text_[p] == '\t')) ++p;
        if (At(p) == ',') {
            ++p;
            expectByte = true;
        } else {
            expectByte = false;
            if (!(At(p) == '\\' && RestIsBlank(p + 1)) && !RestIsBlank(p)) return Fail("bad hex data");
            if (At(p) == '\\') return Fail("continuation without a comma");
        }
    }
}

bool Parser::ParseValue() {
    const size_t valueStart = lineStart_;
    size_t p = lineStart_;
    std::wstring name;
    if (At(p) == '@') {
        ++p;
    } else {
        ++p;  // the opening quote
        if (!ParseEscaped(p, '"', name)) return false;
    }
    while (At(p) == ' ' || At(p) == '\t') ++p;
    if (At(p) != '=') return Fail("value without '='");
    ++p;
    while (At(p) == ' ' || At(p) == '\t') ++p;

    uint32_t type = 0;
    std::vector<uint8_t> data;
    const std::string_view rest = text_.substr(p, lineEnd_ - p);
    bool isString = false;
    if (rest.starts_with("\"")) {
        type = 1;
        isString = true;
    } else if (rest.starts_with("str:\"")) {
        type = 1;
        p += 4;
        isString = true;
    } else if (rest.starts_with("str(")) {
        p += 4;
        if (!ParseTypeNumber(p, type)) return false;
        if (At(p) != '"') return Fail("string value without quotes");
        isString = true;
    } else if (rest.starts_with("dword:")) {
        p += 6;
        uint32_t v = 0;
        int n = 0;
        while (HexDigit(At(p)) >= 0) {
            v = v * 16 + static_cast<uint32_t>(HexDigit(At(p++)));
            if (++n > 8) return Fail("dword too long");
        }
        if (!n || !RestIsBlank(p)) return Fail("bad dword");
        type = 4;
        data = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                static_cast<uint8_t>(v >> 24)};
    } else if (rest.starts_with("hex:")) {
        type = 3;
        if (!ParseHexData(p + 4, data)) return false;
    } else if (rest.starts_with("hex(")) {
        p += 4;
        if (!ParseTypeNumber(p, type)) return false;
        if (!ParseHexData(p, data)) return false;
    } else {
        return Fail("unknown value type");
    }
    if (isString) {
        ++p;  // the opening quote
        std::wstring s;
        if (!ParseEscaped(p, '"', s)) return false;
        if (!RestIsBlank(p)) return Fail("text after string");
        data.resize((s.size() + 1) * 2);
        for (size_t i = 0; i < s.size(); ++i) {
            data[2 * i] = static_cast<uint8_t>(s[i] & 0xFF);
            data[2 * i + 1] = static_cast<uint8_t>((s[i] >> 8) & 0xFF);
        }
    }

    bool created = false;
    Value& v = current_->GetOrAddValue(name, &created);
    v.type = type;
    v.data = std::move(data);
    if (!created) current_->dirty = true;  // a name given twice: the later data holds, as in Wine
    // A value given twice (perhaps in another letter case) keeps the name it first had, so its
    // line is written anew rather than copied.
    if (currentRepeated_ || !created) {
        v.rawOffset = v.rawLength = 0;
    } else {
        v.rawOffset = static_cast<uint32_t>(valueStart - chunkStart_);
        v.rawLength = static_cast<uint32_t>(next_ - valueStart);
    }
    return true;
}

std::unique_ptr<Hive> Parser::Run() {
    if (text_.size() > kMaxHiveFileSize) {
        Fail("file too large");
        return nullptr;
    }
    if (std::memchr(text_.data(), '\0', text_.size())) {
        lineNo_ = 1;
        Fail("NUL byte in file");
        return nullptr;
    }
    hive_ = std::make_unique<Hive>();
    if (!NextLine() || text_.substr(lineStart_, ContentEnd() - lineStart_) != "WINE REGISTRY Version 2") {
        lineNo_ = 1;
        Fail("not a WINE REGISTRY Version 2 file");
        return nullptr;
    }
    size_t blankRun = std::string_view::npos;  // where the blank lines before this line begin
    while (NextLine()) {
        const size_t end = ContentEnd();
        if (RestIsBlank(lineStart_)) {
            if (blankRun == std::string_view::npos) blankRun = lineStart_;
            continue;
        }
        const size_t thisLine = lineStart_;
        const size_t runStart = blankRun;
        blankRun = std::string_view::npos;
        const char c = text_[thisLine];
        if (c == '[') {
            const size_t start = runStart != std::string_view::npos ? runStart : thisLine;
            FinishChunk(start);
            chunkStart_ = start;
            if (!ParseKeyHeader()) return nullptr;
            continue;
        }
        if (c == ';') continue;  // comment
        if (!current_) {
            if (c == '#') continue;  // #arch= and other options of the file
            Fail("value outside a key");
            return nullptr;
        }
        const std::string_view line = text_.substr(thisLine, end - thisLine);
        if (line.starts_with("#time=")) {
            uint64_t t = 0;
            size_t p = thisLine + 6;
            int n = 0;
            while (HexDigit(At(p)) >= 0) {
                t = t * 16 + static_cast<uint64_t>(HexDigit(At(p++)));
                if (++n > 16) {
                    Fail("#time too long");
                    return nullptr;
                }
            }
            if (!n || !RestIsBlank(p)) {
                Fail("bad #time");
                return nullptr;
            }
            current_->modified = t;
        } else if (line.starts_with("#class=\"")) {
            size_t p = thisLine + 8;
            std::wstring cls;
            if (!ParseEscaped(p, '"', cls)) return nullptr;
            if (!RestIsBlank(p)) {
                Fail("text after class");
                return nullptr;
            }
            current_->className = std::move(cls);
        } else if (line.starts_with("#link") && RestIsBlank(thisLine + 5)) {
            current_->link = true;
        } else if (c == '#') {
            continue;  // an option we do not know; kept in the key's text
        } else if (c == '@' || c == '"') {
            if (!ParseValue()) return nullptr;
        } else {
            Fail("unrecognised line");
            return nullptr;
        }
    }
    FinishChunk(text_.size());
    return std::move(hive_);
}

}  // namespace

std::unique_ptr<Hive> ParseHive(std::string_view text, ParseError* error) {
    if (error) *error = ParseError{};
    Parser parser(text, error);
    return parser.Run();
}

}  // namespace platform::registry
