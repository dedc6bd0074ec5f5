#include "ime/version_block.h"

#include <cstring>
#include <string>

#include "text.h"

namespace platform::ime {

namespace {

constexpr DWORD kSignature = 0x31425645u;  // "EVB1"
constexpr size_t kFixedOffset = 8;
constexpr size_t kTranslationOffset = kFixedOffset + sizeof(VS_FIXEDFILEINFO);
constexpr size_t kStringsOffset = kTranslationOffset + 4;
constexpr WORD kLanguage = 0x0404;
constexpr WORD kCodePage = 950;
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

void PutWord(std::vector<BYTE>& b, size_t at, WORD v) {
    b[at] = static_cast<BYTE>(v & 0xFF);
    b[at + 1] = static_cast<BYTE>(v >> 8);
}
void PutDword(std::vector<BYTE>& b, size_t at, DWORD v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<BYTE>((v >> (8 * i)) & 0xFF);
}
WORD GetWord(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD GetDword(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

void AppendText(std::vector<BYTE>& b, const std::string& text) {
    const size_t at = b.size();
    b.resize(at + 2 + text.size() + 1);
    PutWord(b, at, static_cast<WORD>(text.size() + 1));
    std::memcpy(b.data() + at + 2, text.data(), text.size());
}


// A counted, terminated text at p inside [p, end): its length with the terminator, or 0.
size_t TextAt(const BYTE* p, const BYTE* end) {
    if (end - p < 2) return 0;
    const size_t n = GetWord(p);
    if (n == 0 || static_cast<size_t>(end - p - 2) < n || p[2 + n - 1] != 0) return 0;
    return n;
}

}  // namespace

std::vector<BYTE> BuildVersionBlock(const Descriptor& d) {
    std::vector<BYTE> b(kStringsOffset + 2, 0);
    PutDword(b, 4, kSignature);
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    fixed.dwProductVersionMS = (static_cast<DWORD>(d.productVersion[0]) << 16) | d.productVersion[1];
    fixed.dwProductVersionLS = (static_cast<DWORD>(d.productVersion[2]) << 16) | d.productVersion[3];
    fixed.dwFileVersionMS = fixed.dwProductVersionMS;
    fixed.dwFileVersionLS = fixed.dwProductVersionLS;
    fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    fixed.dwFileOS = VOS_NT_WINDOWS32;
    fixed.dwFileType = VFT_DRV;
    fixed.dwFileSubtype = VFT2_DRV_INPUTMETHOD;
    // VerQueryValueA hands out a pointer to it, so it is kept in the host's own form.
    std::memcpy(b.data() + kFixedOffset, &fixed, sizeof fixed);
    PutWord(b, kTranslationOffset, kLanguage);
    PutWord(b, kTranslationOffset + 2, kCodePage);

    const std::string version = std::to_string(d.productVersion[0]) + "." + std::to_string(d.productVersion[1]) +
                                "." + std::to_string(d.productVersion[2]) + "." + std::to_string(d.productVersion[3]);
    WORD count = 0;
    AppendText(b, "ProductVersion");
    AppendText(b, version);
    ++count;
    if (d.hasDescription) {
        AppendText(b, "FileDescription");
        AppendText(b, d.description);
        ++count;
    }
    PutWord(b, kStringsOffset, count);
    PutDword(b, 0, static_cast<DWORD>(b.size()));
    return b;
}

void CutVersionBlock(std::vector<BYTE>& block, size_t size) {
    if (size >= block.size() || size < kVersionBlockHeader) return;
    block.resize(size);
    PutDword(block, 0, static_cast<DWORD>(size));
}

bool QueryVersionBlock(const BYTE* block, std::string_view subBlock, const void*& value, UINT& length) {
    value = nullptr;
    length = 0;
    if (!block || GetDword(block + 4) != kSignature) return false;
    const BYTE* end = block + GetDword(block);
    const size_t total = static_cast<size_t>(end - block);

    std::vector<std::string_view> parts;
    while (!subBlock.empty()) {
        const size_t sep = subBlock.find('\\');
        const std::string_view part = subBlock.substr(0, sep);
        if (!part.empty()) parts.push_back(part);
        if (sep == std::string_view::npos) break;
        subBlock.remove_prefix(sep + 1);
    }

    if (parts.empty()) {
        if (total < kTranslationOffset) return false;
        value = block + kFixedOffset;
        length = sizeof(VS_FIXEDFILEINFO);
        return true;
    }
    if (parts.size() == 2 && platform::text::EqualNoCaseAscii(parts[0], "VarFileInfo") && platform::text::EqualNoCaseAscii(parts[1], "Translation")) {
        if (total < kStringsOffset) return false;
        value = block + kTranslationOffset;
        length = 4;
        return true;
    }
    if (parts.size() != 3 || !platform::text::EqualNoCaseAscii(parts[0], "StringFileInfo") || !platform::text::EqualNoCaseAscii(parts[1], "040403B6") ||
        total < kStringsOffset + 2)
        return false;
    const BYTE* p = block + kStringsOffset + 2;
    for (WORD i = 0, count = GetWord(block + kStringsOffset); i < count; ++i) {
        const size_t nameLen = TextAt(p, end);
        if (!nameLen) return false;
        const BYTE* text = p + 2 + nameLen;
        const size_t textLen = TextAt(text, end);
        if (!textLen) return false;
        const std::string_view name(reinterpret_cast<const char*>(p + 2), nameLen - 1);
        if (platform::text::EqualNoCaseAscii(name, parts[2])) {
            value = text + 2;
            length = static_cast<UINT>(textLen);
            return true;
        }
        p = text + 2 + textLen;
    }
    return false;
}

}  // namespace platform::ime
