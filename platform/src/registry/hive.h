// The in-memory form of one registry hive file (system.reg or user.reg): a tree of keys that
// keeps, next to the decoded names and data, the exact text each key was read from, so that a
// save reproduces untouched keys byte for byte and regenerates only what changed.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

// FILETIME ticks (100 ns since 1601) of the Unix epoch, and per second.
constexpr uint64_t kUnixEpochTicks = 116444736000000000ull;
constexpr uint64_t kTicksPerSecond = 10000000ull;
uint64_t NowTicks();

// The order Wine keeps keys and values in: ASCII letters folded to lower case, then the
// shorter name first. (Folding to lower case matters: "_x" sorts before "ANSI" in Wine's files.)
int CompareNames(std::wstring_view a, std::wstring_view b);
// Names are equal without regard to ASCII case.
bool SameName(std::wstring_view a, std::wstring_view b);

struct Value {
    std::wstring name;  // empty for the default value
    uint32_t type = 0;
    std::vector<uint8_t> data;
    // Where the value's original text lies in its key's raw text; length 0 once it changed.
    uint32_t rawOffset = 0;
    uint32_t rawLength = 0;
};

struct Key {
    std::wstring name;
    Key* parent = nullptr;
    std::vector<std::unique_ptr<Key>> subkeys;  // in Wine's order
    std::vector<Value> values;                  // in Wine's order
    uint64_t modified = 0;                      // FILETIME ticks
    std::optional<std::wstring> className;
    bool link = false;
    // The key's text as read: the blank line before it, "[...]", its option lines and values.
    // Empty for a key the file only implies (a parent with subkeys but no values).
    std::string raw;
    // Set when the key must be written anew rather than copied from raw.
    bool dirty = false;

    Key* FindSubkey(std::wstring_view n) const;
    // The existing subkey of that name, else a new one inserted where Wine would put it.
    Key* GetOrAddSubkey(std::wstring_view n, bool* created = nullptr);
    bool RemoveSubkey(const Key* child);

    Value* FindValue(std::wstring_view n);
    const Value* FindValue(std::wstring_view n) const;
    // The existing value of that name, else a new empty one at its sorted position.
    Value& GetOrAddValue(std::wstring_view n, bool* created = nullptr);
    bool RemoveValue(std::wstring_view n);

    // Marks the key as changed at the given time.
    void Touch(uint64_t ticks) {
        modified = ticks;
        dirty = true;
    }
};

struct Hive {
    // Everything before the first key: the "WINE REGISTRY" line, the ";; All keys relative"
    // line and "#arch=".
    std::string prologue;
    Key root;
};

// Which file a hive lives in.
enum class HiveId { Machine, User };

// The header Wine writes at the top of a new hive file.
std::string NewHivePrologue(HiveId id);

}  // namespace platform::registry
