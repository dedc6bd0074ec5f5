// The Zhuyin and Changjie key strings and the one-byte key indexes the dictionary images store.
#pragma once
#include <cstdint>

namespace eudc {

// A key's position picks its Zhuyin symbol and its place in a syllable.
inline constexpr char kZuinKeys[] = " 1QAZ2WSXEDCRFV5TGBYHNUJM8IK,9OL.0P;/-=6347";
inline constexpr int kZuinKeyCount = sizeof(kZuinKeys) - 1;
inline constexpr char kChanjeiKeys[] = " ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr int kChanjeiKeyCount = sizeof(kChanjeiKeys) - 1;

// Where a Zhuyin key's position puts it: 0 initial, 1 medial, 2 final, 3 tone.
inline constexpr int kZuinFirstMedial = 22;
inline constexpr int kZuinFirstFinal = 25;
inline constexpr int kZuinFirstTone = 38;
inline constexpr char kZuinFirstToneKey = '=';

// The position of `key` in the key string; -1 for a zero byte or a byte that is no key.
int ZuinKeyPosition(char key);
int ChanjeiKeyPosition(char key);

// The stored index of a Zhuyin place: its key's position, 0 for a space, a zero byte or an
// unknown byte.
uint8_t ZuinKeyIndex(char key);
// The stored index of a Changjie place: its letter's position; an unused place (zero byte) is
// 0x20; a space or an unknown byte is 0.
uint8_t ChanjeiKeyIndex(char key);

}  // namespace eudc
