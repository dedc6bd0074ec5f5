// HKEY_LOCAL_MACHINE Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::gdi {

struct FontSubstitute {
    std::string face;                // code page 950
    std::optional<uint8_t> charset;  // from data of the form "name,charset"
};

// The substitute of face (code page 950) asked for with charset: the value named "face,charset"
// when there is one, else the value named "face". Data of the form "name,charset" also changes the
// character set. nullopt when neither value exists or its data is no usable string.
// Answers are kept until the change generation (change_watch.h) moves; system.reg's folder is
// watched for that.
std::optional<FontSubstitute> LookupFontSubstitute(std::string_view face, uint8_t charset, uint64_t generation);
// The same at the current generation.
std::optional<FontSubstitute> LookupFontSubstitute(std::string_view face, uint8_t charset);

}  // namespace platform::gdi
