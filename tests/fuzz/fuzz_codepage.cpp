// Code page 950 text: decoding never reads past the input, and one round through UTF-16 settles
// it (decoding what was encoded gives the same UTF-16 again).
#include <vector>

#include "fuzz_target.h"
#include "platform/winnls.h"

namespace {

std::vector<std::string> Seeds() {
    return {"Windows\xA5\xD8\xBF\xFD\\EUDC.TTE", "\xBC\xD0\xB7\xA2\xC5\xE9", "\xFA\x40\xFE\xFE\x81\x40\xC8\xA4",
            std::string("\xA4\x41\xA4\x61\x00\xA4", 6), "plain ASCII \x7F"};
}

std::vector<WCHAR> Decode(const char* text, int size) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, size, nullptr, 0);
    std::vector<WCHAR> out(static_cast<size_t>(n > 0 ? n : 0));
    if (n > 0) FUZZ_CHECK(MultiByteToWideChar(CP_ACP, 0, text, size, out.data(), n) == n);
    return out;
}

std::string Encode(const std::vector<WCHAR>& wide) {
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) FUZZ_CHECK(WideCharToMultiByte(CP_ACP, 0, wide.data(), size, out.data(), n, nullptr, nullptr) == n);
    return out;
}

}  // namespace

EUDC_FUZZ_TARGET(codepage, Seeds) {
    if (size == 0 || size > 4096) return 0;
    const std::vector<WCHAR> first = Decode(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const std::string encoded = Encode(first);
    const std::vector<WCHAR> second = Decode(encoded.data(), static_cast<int>(encoded.size()));
    FUZZ_CHECK(Encode(second) == encoded);
    return 0;
}
