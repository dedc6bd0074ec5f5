// Zhuyin and Changjie keys shown as the symbols on the keys, and back.
#include "eudccore/ime_helpers.h"
#include "ime/ime_key_index.h"

namespace {

using eudc::kChanjeiKeyCount;
using eudc::kChanjeiKeys;
using eudc::kZuinKeyCount;
using eudc::kZuinKeys;

// Two-byte code page 950 symbols in the order of the key strings.
// 　ㄅㄆㄇㄈㄉㄊㄋㄌㄍㄎㄏㄐㄑㄒㄓㄔㄕㄖㄗㄘㄙㄧㄨㄩㄚㄛㄜㄝㄞㄟㄠㄡㄢㄣㄤㄥㄦˉˊˇˋ˙
constexpr char kZuinSymbols[] =
    "\xA1\x40\xA3\x74\xA3\x75\xA3\x76\xA3\x77\xA3\x78\xA3\x79\xA3\x7A\xA3\x7B\xA3\x7C\xA3\x7D\xA3\x7E"
    "\xA3\xA1\xA3\xA2\xA3\xA3\xA3\xA4\xA3\xA5\xA3\xA6\xA3\xA7\xA3\xA8\xA3\xA9\xA3\xAA\xA3\xB8\xA3\xB9"
    "\xA3\xBA\xA3\xAB\xA3\xAC\xA3\xAD\xA3\xAE\xA3\xAF\xA3\xB0\xA3\xB1\xA3\xB2\xA3\xB3\xA3\xB4\xA3\xB5"
    "\xA3\xB6\xA3\xB7\xA3\xBC\xA3\xBD\xA3\xBE\xA3\xBF\xA3\xBB";
// 　日月金木水火土竹戈十大中一弓人心手口尸廿山女田難卜Ｚ
constexpr char kChanjeiSymbols[] =
    "\xA1\x40\xA4\xE9\xA4\xEB\xAA\xF7\xA4\xEC\xA4\xF4\xA4\xF5\xA4\x67\xA6\xCB\xA4\xE0\xA4\x51\xA4\x6A"
    "\xA4\xA4\xA4\x40\xA4\x7D\xA4\x48\xA4\xDF\xA4\xE2\xA4\x66\xA4\x72\xA4\xDC\xA4\x73\xA4\x6B\xA5\xD0"
    "\xC3\xF8\xA4\x52\xA2\xE8";
static_assert(sizeof kZuinSymbols - 1 == 2 * kZuinKeyCount);
static_assert(sizeof kChanjeiSymbols - 1 == 2 * kChanjeiKeyCount);

constexpr int kTonePlace = 3;
constexpr int kFirstTonePosition = 38;  // "=", shown as ˉ
constexpr int kChanjeiCaptionClear = 11;

void PutSymbol(const char* symbols, int position, unsigned char* out) {
    out[0] = static_cast<unsigned char>(symbols[2 * position]);
    out[1] = static_cast<unsigned char>(symbols[2 * position + 1]);
}

// Only whole characters are compared: a trail byte and the next lead byte never make a match.
int SymbolPosition(const char* symbols, int count, const char* pair) {
    for (int i = 0; i < count; ++i)
        if (symbols[2 * i] == pair[0] && symbols[2 * i + 1] == pair[1]) return i;
    return -1;
}

int CaptionToKeys(const char* keys, const char* symbols, int count, unsigned char* out, const char* caption,
                  int bytes) {
    if (!out || (!caption && bytes > 0)) return 0;
    if (bytes < 0) bytes = 0;
    if (bytes % 2) return 0;
    const int n = bytes / 2;
    for (int i = 0; i < n; ++i) {
        const int position = SymbolPosition(symbols, count, caption + 2 * i);
        if (position < 0) return 0;
        out[i] = static_cast<unsigned char>(keys[position]);
    }
    out[n] = 0;
    return n;
}

}  // namespace

int RegisterWord_Zuin_Data2Caption(const char* keys, unsigned char* out, int n) {
    if (!out || (!keys && n > 0)) return 0;
    if (n < 0) n = 0;
    bool anyKey = false;
    for (int i = 0; i < n; ++i) {
        const int position = eudc::ZuinKeyPosition(keys[i]);
        if (position < 0) return 0;
        if (position == 0 && i == kTonePlace && anyKey) {
            PutSymbol(kZuinSymbols, kFirstTonePosition, out + 2 * i);
            continue;
        }
        if (position != 0) anyKey = true;
        PutSymbol(kZuinSymbols, position, out + 2 * i);
    }
    out[2 * n] = 0;
    return 2 * n;
}

int RegisterWord_Chanjei_Data2Caption(const char* keys, unsigned char* out, int n) {
    if (!out || (!keys && n > 0)) return 0;
    if (n < 0) n = 0;
    for (int i = 0; i < kChanjeiCaptionClear; ++i) out[i] = 0;
    for (int i = 0; i < n; ++i) {
        const int position = eudc::ChanjeiKeyPosition(keys[i]);
        if (position < 0) return 0;
        PutSymbol(kChanjeiSymbols, position, out + 2 * i);
    }
    out[2 * n] = 0;
    return 2 * n;
}

int RegisterWord_Zuin_Caption2Data(unsigned char* out, const char* caption, int bytes) {
    return CaptionToKeys(kZuinKeys, kZuinSymbols, kZuinKeyCount, out, caption, bytes);
}

int RegisterWord_Chanjei_Caption2Data(unsigned char* out, const char* caption, int bytes) {
    return CaptionToKeys(kChanjeiKeys, kChanjeiSymbols, kChanjeiKeyCount, out, caption, bytes);
}
