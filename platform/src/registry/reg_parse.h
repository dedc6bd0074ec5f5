// Reading hives in Wine's registry text format.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "hive.h"

namespace platform::registry {

// Deepest key path accepted (Windows allows 512 levels).
constexpr size_t kMaxKeyDepth = 512;
// Largest hive file we read.
constexpr size_t kMaxHiveFileSize = size_t{1} << 30;

struct ParseError {
    size_t line = 0;  // 1-based
    std::string message;
};

// Parses a whole file. Any line that is not part of the format makes the whole file fail:
// a hive that was only half understood must not be written back over the original.
std::unique_ptr<Hive> ParseHive(std::string_view text, ParseError* error = nullptr);

}  // namespace platform::registry
