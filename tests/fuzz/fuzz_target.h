// One fuzz target is one function over a byte string. The fuzz build (scripts/fuzz.sh, clang with
// libFuzzer) makes each its own program; the normal suite runs every target over the inputs
// made by code for it and over the inputs fuzzing once found (tests/fuzz/corpus/<target>/).
// A target returns 0; a broken promise traps, which both the fuzzer and the suite see.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using FuzzTarget = int (*)(const uint8_t* data, size_t size);

// The inputs made by code that a target's corpus starts from.
using FuzzSeeds = std::vector<std::string> (*)();

bool RegisterFuzzTarget(const char* name, FuzzTarget target, FuzzSeeds seeds);
struct RegisteredFuzzTarget {
    const char* name;
    FuzzTarget target;
    FuzzSeeds seeds;
};
const std::vector<RegisteredFuzzTarget>& FuzzTargets();

// A promise of the code under test that did not hold.
#define FUZZ_CHECK(condition)              \
    do {                                   \
        if (!(condition)) __builtin_trap(); \
    } while (0)

#ifdef EUDC_FUZZ_PROGRAM
#define EUDC_FUZZ_TARGET(name, seeds)                                                  \
    static int FuzzTarget_##name(const uint8_t* data, size_t size);                    \
    static const bool kRegistered_##name = RegisterFuzzTarget(#name, FuzzTarget_##name, seeds); \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {          \
        return FuzzTarget_##name(data, size);                                          \
    }                                                                                  \
    static int FuzzTarget_##name(const uint8_t* data, size_t size)
#else
#define EUDC_FUZZ_TARGET(name, seeds)                                                  \
    static int FuzzTarget_##name(const uint8_t* data, size_t size);                    \
    static const bool kRegistered_##name = RegisterFuzzTarget(#name, FuzzTarget_##name, seeds); \
    static int FuzzTarget_##name(const uint8_t* data, size_t size)
#endif
