#include "eudccore/as400_2_code.h"

#include <cstddef>

#include "codeconv/ansi_code.h"

namespace {

using eudc::kNoCode;

constexpr int kPositions = 6204;          // 33 lead bytes x 188 trail positions
constexpr int kPrivateUse = 5809;         // positions on U+E000..U+F6B0
constexpr int kExtension = 41;            // positions on Big5 0xF9D6..0xF9FE
constexpr int kTrails = 188;
constexpr int kSecondRun = 125;
constexpr int kFirstRun = 63;
constexpr int kOrder2Boundary = 5264;

constexpr WORD kPrivateUseFirst = 0xE000;
constexpr WORD kExtensionFirst = 0xF9D6;
constexpr WORD kExtensionLast = 0xF9FE;

// Orders 0 and 2 put the extension block at the end of the area, order 1 after its first run.
constexpr int kExtensionIndex02 = kPositions - kExtension;  // 6163
constexpr int kOrder1Run = 0xF6B0 - 0xEDF4 + 1;               // 2237 positions on U+EDF4..U+F6B0
constexpr int kOrder1Tail = 2632;                             // first index on U+E000 again
constexpr int kExtensionIndex1 = kOrder1Tail - kExtension;    // 2591
constexpr WORD kOrder1First = 0xEDF4;
constexpr WORD kOrder2First = 0xEA48;

static_assert(kFirstRun + kSecondRun == kTrails);
static_assert(kExtensionIndex02 + 0xE1C3 == kExtensionFirst);
static_assert(kExtensionIndex1 + 0xEFB7 == kExtensionFirst);
static_assert(kOrder2First - kPrivateUseFirst == kOrder1Tail);

// Every order other than 0 and 2 is order 1.
int Normalise(int order) { return order == 0 || order == 2 ? order : 1; }

int ExtensionIndex(int order) { return order == 1 ? kExtensionIndex1 : kExtensionIndex02; }

bool InExtension(int order, int index) {
    const int first = ExtensionIndex(order);
    return index >= first && index < first + kExtension;
}

WORD ExtensionBig5(int order, int index) {
    return static_cast<WORD>(kExtensionFirst + (index - ExtensionIndex(order)));
}

// Windows writes the units of F9FA..F9FD with their twins in row A2.
WORD FromTwin(WORD code) {
    switch (code) {
        case 0xA27E: return 0xF9FA;
        case 0xA2A1: return 0xF9FB;
        case 0xA2A2: return 0xF9FC;
        case 0xA2A3: return 0xF9FD;
        default: return code;
    }
}

}  // namespace

AS400_2_Code::AS400_2_Code(int codeOrder)
    : m_codeOrder(codeOrder),
      m_privateUseCount(kPrivateUse),
      m_extensionCount(kExtension),
      m_trailCount(kTrails),
      m_secondRunCount(kSecondRun),
      m_firstRunCount(kFirstRun),
      m_order2Boundary(kOrder2Boundary) {
    static_assert(offsetof(AS400_2_Code, m_codeOrder) == 0);
    static_assert(offsetof(AS400_2_Code, m_privateUseCount) == 4);
    static_assert(offsetof(AS400_2_Code, m_extensionCount) == 8);
    static_assert(offsetof(AS400_2_Code, m_trailCount) == 12);
    static_assert(offsetof(AS400_2_Code, m_secondRunCount) == 16);
    static_assert(offsetof(AS400_2_Code, m_firstRunCount) == 20);
    static_assert(offsetof(AS400_2_Code, m_order2Boundary) == 24);
}

AS400_2_Code::AS400_2_Code(const AS400_2_Code& other) = default;
AS400_2_Code& AS400_2_Code::operator=(const AS400_2_Code& other) = default;

uint16_t AS400_2_Code::NHC(uint16_t index) const {
    if (index >= kPositions) return kNoCode;
    const int lead = index / m_trailCount;
    const int trail = index % m_trailCount;
    const int low = trail < m_firstRunCount ? 0x41 + trail : 0x81 + (trail - m_firstRunCount);
    return static_cast<uint16_t>(((0xC2 + lead) << 8) | low);
}

uint16_t AS400_2_Code::Code5550(uint16_t index) const { return static_cast<uint16_t>(NHC(index) + 0x18FF); }

uint16_t AS400_2_Code::IbmTerminalCode_InFile(uint16_t index) const { return static_cast<uint16_t>(index + 0xC318); }

uint16_t AS400_2_Code::Unicode(uint16_t index) const {
    if (index >= kPositions) return kNoCode;
    const int order = Normalise(m_codeOrder);
    const int i = index;
    if (InExtension(order, i)) return eudc::AnsiCodeToUnicode(ExtensionBig5(order, i));
    switch (order) {
        case 0:
            if (i < kPrivateUse) return static_cast<uint16_t>(kPrivateUseFirst + i);
            return kNoCode;
        case 2:
            if (i < kOrder1Tail) return static_cast<uint16_t>(kOrder2First + i);
            if (i < m_order2Boundary) return static_cast<uint16_t>(kPrivateUseFirst + (i - kOrder1Tail));
            if (i < kPrivateUse) return static_cast<uint16_t>(kPrivateUseFirst + i);
            return kNoCode;
        default:
            if (i < kOrder1Run) return static_cast<uint16_t>(kOrder1First + i);
            if (i >= kOrder1Tail) return static_cast<uint16_t>(kPrivateUseFirst + (i - kOrder1Tail));
            return kNoCode;
    }
}

uint16_t AS400_2_Code::Big5(uint16_t index) const {
    if (index >= kPositions) return kNoCode;
    const int order = Normalise(m_codeOrder);
    if (InExtension(order, index)) return ExtensionBig5(order, index);
    const uint16_t unit = Unicode(index);
    if (unit == kNoCode) return kNoCode;
    // An unmappable unit comes back as the double-byte default "??" (0x3F3F).
    return eudc::UnicodeToAnsiCode(unit, "??");
}

uint16_t AS400_2_Code::Seek_Unicode(uint16_t code) const {
    const int order = Normalise(m_codeOrder);
    const int j = static_cast<uint16_t>(code - kPrivateUseFirst);
    if (j < kPrivateUse) {
        switch (order) {
            case 0:
                return static_cast<uint16_t>(j);
            case 2:
                if (j < kOrder1Tail) return static_cast<uint16_t>(j + kOrder1Tail);
                if (j < m_order2Boundary) return static_cast<uint16_t>(j - kOrder1Tail);
                return static_cast<uint16_t>(j);
            default:
                if (code < kOrder1First) return static_cast<uint16_t>(j + kOrder1Tail);
                return static_cast<uint16_t>(code - kOrder1First);
        }
    }

    // Outside the private-use run only the extension block has positions.
    bool usedDefault = false;
    const WORD big5 = FromTwin(eudc::UnicodeToAnsiCode(code, "?", &usedDefault));
    if (usedDefault || big5 < kExtensionFirst || big5 > kExtensionLast) return kNoCode;
    return static_cast<uint16_t>(ExtensionIndex(order) + (big5 - kExtensionFirst));
}

uint16_t AS400_2_Code::Get_ShouldUnicode(uint16_t code, int codeOrderType) {
    const AS400_2_Code order0(0), order1(1), order2(2);
    uint16_t index;
    uint16_t result;
    switch (codeOrderType) {
        case 1:
            index = order0.Seek_Unicode(code);
            result = order1.Unicode(index);
            break;
        case 2:
            index = order1.Seek_Unicode(code);
            result = order0.Unicode(index);
            break;
        case 3:
            index = order2.Seek_Unicode(code);
            result = order0.Unicode(index);
            break;
        default:
            return code;
    }
    // An extension-block image is no private-use code.
    if (index == kNoCode || result < kPrivateUseFirst) return kNoCode;
    return result;
}
