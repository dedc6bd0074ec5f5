// Dictionary images as a caller may hand them over, damaged included: an add, change or removal
// stays inside the image and one record beyond it, and the length moves by one record at most.
#include <cstring>
#include <vector>

#include "eudccore/ime_buffer.h"
#include "fuzz_target.h"

namespace {

// Input: a selector byte (bit 0 version 2, bit 1 Changjie mode, bits 2-3 another mode), the code,
// eight key bytes, then the image.
std::vector<std::string> Seeds() {
    std::vector<std::string> seeds;
    for (int selector : {0, 1, 2, 3, 4}) {
        unsigned char image[256 + 3 * 20] = {};
        const bool v2 = selector & 1;
        int length = Empty_ImeBuffer(image, (selector & 2) ? 5 : 4, v2, v2);
        const char keys[8] = {1, 2, 3, 4, 5, 0, 0, 0};
        length = (v2 ? Manager_ImeBuffer_NZuin_XP : Manager_ImeBuffer)(image, 0xE001, keys, length, selector & 2 ? 1 : 0);
        length = (v2 ? Manager_ImeBuffer_NZuin_XP : Manager_ImeBuffer)(image, 0xE009, keys, length, selector & 2 ? 1 : 0);
        std::string seed(1, static_cast<char>(selector));
        seed += std::string("\x05\xE0", 2) + std::string(keys, 8);
        seed.append(reinterpret_cast<const char*>(image), static_cast<size_t>(length));
        seeds.push_back(seed);
    }
    return seeds;
}

}  // namespace

EUDC_FUZZ_TARGET(ime_image, Seeds) {
    if (size < 11 || size > 200000) return 0;
    const int selector = data[0];
    const auto code = static_cast<unsigned short>(data[1] | data[2] << 8);
    char keys[8];
    std::memcpy(keys, data + 3, sizeof keys);
    const int length = static_cast<int>(size - 11);
    constexpr int kLargestRecord = 20;
    std::vector<unsigned char> image(static_cast<size_t>(length) + kLargestRecord, 0xCC);
    std::memcpy(image.data(), data + 11, static_cast<size_t>(length));
    const int mode = (selector & 2) ? 1 : (selector >> 2) & 3;
    const bool v2 = selector & 1;
    const int result = (v2 ? Manager_ImeBuffer_NZuin_XP : Manager_ImeBuffer)(image.data(), code, keys, length, mode);
    FUZZ_CHECK(result >= length - kLargestRecord && result <= length + kLargestRecord);
    FUZZ_CHECK(result >= 0 && result <= static_cast<int>(image.size()));
    if (length < 256) FUZZ_CHECK(result == length && std::memcmp(image.data(), data + 11, length) == 0);
    return 0;
}
