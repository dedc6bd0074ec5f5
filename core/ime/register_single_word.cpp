// One word registered with one IME through the input-method manager.
#include <algorithm>
#include <cstring>

#include "eudccore/ime_helpers.h"
#include "ime/ime_names.h"
#include "platform/windows.h"

namespace {

using namespace eudc::ime;

constexpr int kZuinPlaces = 4;
constexpr int kChanjeiLetters = 5;

enum RegisterResult { kDone = 0, kNoSymbols = 2, kRefused = -1 };

// The first `count` bytes of text, ending early at its terminator; the rest zero.
template <int N>
void CopyBounded(const char* text, int count, char (&out)[N]) {
    static_assert(N > 0);
    std::fill(out, out + N, '\0');
    if (!text) return;
    for (int i = 0; i < count && i < N - 1 && text[i]; ++i) out[i] = text[i];
}

// The IME's layout, kept once found.
HKL CachedLayout(HKL& cache, const char* name) {
    if (!cache) cache = RegisterWord_FindHKL(name);
    return cache;
}

int Register(HKL layout, const unsigned char* symbols, const char* word) {
    char head[3];
    CopyBounded(word, 2, head);
    return ImmRegisterWordA(layout, reinterpret_cast<const char*>(symbols), IME_REGWORD_STYLE_EUDC, head) ? kDone
                                                                                                          : kRefused;
}

int RegisterZuin(HKL& cache, const char* name, const char* word, const char* keys, int n, bool systemOrder) {
    char given[kZuinPlaces + 1];
    CopyBounded(keys, kZuinPlaces, given);
    char places[kZuinPlaces + 1] = {};
    if (systemOrder) Zuin__Tavio_2_Microsoft(given, reinterpret_cast<unsigned char*>(places));
    else std::memcpy(places, given, kZuinPlaces);
    HKL layout = CachedLayout(cache, name);
    if (!layout) return kDone;
    // Four places at most; more keys than that are not a syllable.
    if (n < 1 || n > kZuinPlaces) return kNoSymbols;
    places[n] = '\0';
    unsigned char symbols[2 * kZuinPlaces + 1];
    if (RegisterWord_Zuin_Data2Caption(places, symbols, n) < 1) return kNoSymbols;
    return Register(layout, symbols, word);
}

int RegisterChanjei(HKL& cache, const char* name, const char* word, const char* keys, int n) {
    char letters[kChanjeiLetters + 1];
    CopyBounded(keys, kChanjeiLetters, letters);
    HKL layout = CachedLayout(cache, name);
    if (!layout) return kDone;
    if (n < 1 || n > kChanjeiLetters) return kNoSymbols;
    unsigned char symbols[2 * kChanjeiLetters + 1];
    if (RegisterWord_Chanjei_Data2Caption(letters, symbols, n) < 1) return kNoSymbols;
    return Register(layout, symbols, word);
}

}  // namespace

int RegisterWord_Zuin(const char* word, const char* keys, int n, bool systemOrder) {
    static HKL layout = nullptr;
    return RegisterZuin(layout, kZhuyin, word, keys, n, systemOrder);
}

int RegisterWord_NewZuin(const char* word, const char* keys, int n, bool systemOrder) {
    static HKL layout = nullptr;
    return RegisterZuin(layout, kNewZhuyin, word, keys, n, systemOrder);
}

int RegisterWord_Chanjei(const char* word, const char* keys, int n) {
    static HKL layout = nullptr;
    return RegisterChanjei(layout, kChangjie, word, keys, n);
}

int RegisterWord_NewChanjei(const char* word, const char* keys, int n) {
    static HKL layout = nullptr;
    return RegisterChanjei(layout, kNewChangjie, word, keys, n);
}
