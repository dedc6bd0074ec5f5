// Writing hives in Wine's registry text format.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hive.h"

namespace platform::registry {

// Appends UTF-16 units escaped the way Wine writes them: backslash and the two given delimiter
// characters get a backslash; control characters become \a \b \t \n \v \f \r \e or an octal
// escape (\0); units above 127 become \x with the shortest hex form, widened to four digits
// when a hex digit follows so that a reader does not take that digit into the escape.
// Returns the number of characters appended.
size_t AppendEscaped(std::string& out, std::wstring_view units, char delim1, char delim2);

// One value's line(s), ending in a newline: "name"=... or @=..., strings as text when the data
// is a properly terminated UTF-16 string, dword: for a 4-byte REG_DWORD, hex otherwise (wrapped
// with "\" and two spaces as Wine wraps them).
std::string FormatValue(const Value& value);

// The key's path relative to the hive root, escaped, components joined by "\\".
std::string FormatKeyPath(const Key& key);

// Whether Wine writes the key at all: a key with subkeys but no values (nor class, nor link)
// is implied by its subkeys' paths.
bool IsWritten(const Key& key);

// A key's text as Wine writes it, starting with the blank line before its "[path] seconds"
// line. Untouched values keep their original text; valueSpans (when given) receives where each
// value lies in the result.
std::string FormatKey(const Key& key, std::vector<std::pair<uint32_t, uint32_t>>* valueSpans = nullptr);

// A whole file: unchanged keys copied from their raw text, changed ones regenerated.
struct SerializedHive {
    struct Regenerated {
        Key* key;
        size_t offset;
        size_t length;
        std::vector<std::pair<uint32_t, uint32_t>> valueSpans;
    };
    std::string text;
    std::vector<Regenerated> regenerated;
};
SerializedHive Serialize(Hive& hive);
// After the text has been stored: the regenerated keys take it as their raw text.
void Commit(SerializedHive& out);

}  // namespace platform::registry
