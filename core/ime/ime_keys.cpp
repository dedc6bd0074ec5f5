#include "eudccore/ime_keys.h"

#include <cstddef>

#include "ime/ime_key_index.h"

namespace eudc {
namespace {

int PositionIn(const char* keys, int count, char key) {
    for (int i = 0; i < count; ++i)
        if (keys[i] == key) return i;
    return -1;
}

// Callers get a buffer they may write to; the writers keep reading the constant strings.
template <size_t N>
struct WritableKeys {
    char text[N];
};
template <size_t N>
constexpr WritableKeys<N> CopyOf(const char (&keys)[N]) {
    WritableKeys<N> copy{};
    for (size_t i = 0; i < N; ++i) copy.text[i] = keys[i];
    return copy;
}

int ZuinPlace(int position) {
    if (position < kZuinFirstMedial) return 0;
    if (position < kZuinFirstFinal) return 1;
    if (position < kZuinFirstTone) return 2;
    return 3;
}

}  // namespace

int ZuinKeyPosition(char key) { return PositionIn(kZuinKeys, kZuinKeyCount, key); }
int ChanjeiKeyPosition(char key) { return PositionIn(kChanjeiKeys, kChanjeiKeyCount, key); }

uint8_t ZuinKeyIndex(char key) {
    const int position = ZuinKeyPosition(key);
    return position < 0 ? 0 : static_cast<uint8_t>(position);
}

uint8_t ChanjeiKeyIndex(char key) {
    if (key == 0) return 0x20;
    const int position = ChanjeiKeyPosition(key);
    return position < 0 ? 0 : static_cast<uint8_t>(position);
}

}  // namespace eudc

char* RegisterWord_Zuin_GetValidChar() {
    static auto keys = eudc::CopyOf(eudc::kZuinKeys);
    return keys.text;
}

char* RegisterWord_Chanjei_GetValidChar() {
    static auto keys = eudc::CopyOf(eudc::kChanjeiKeys);
    return keys.text;
}

void Zuin__Microsoft_2_Tavio(const char* in, unsigned char* out) {
    for (int i = 0; i < 4; ++i) out[i] = ' ';
    int next = 0;
    for (int i = 0; i < 4; ++i)
        if (in[i] != ' ' && in[i] != eudc::kZuinFirstToneKey) out[next++] = static_cast<unsigned char>(in[i]);
}

void Zuin__Tavio_2_Microsoft(const char* in, unsigned char* out) {
    for (int i = 0; i < 4; ++i) out[i] = ' ';
    bool syllable = false;  // a key among the first three: the syllable needs a tone
    for (int i = 0; i < 4; ++i) {
        if (in[i] == ' ' || in[i] == 0) continue;
        const int position = eudc::ZuinKeyPosition(in[i]);
        if (position < 0) continue;
        out[eudc::ZuinPlace(position)] = static_cast<unsigned char>(in[i]);
        if (i < 3) syllable = true;
    }
    if (syllable && out[3] == ' ') out[3] = eudc::kZuinFirstToneKey;
}
