#include "gdi/font_substitutes.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "gdi/change_watch.h"
#include "platform/winreg.h"
#include "registry/hive_store.h"

namespace platform::gdi {

namespace {

constexpr const char* kKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";

std::optional<std::string> QueryString(HKEY key, const std::string& name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<BYTE> data(size + 1, 0);
    DWORD got = size;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &got) != ERROR_SUCCESS) return std::nullopt;
    got = std::min<DWORD>(got, size);
    std::string s(reinterpret_cast<const char*>(data.data()), got);
    // The data need not carry its terminator; what follows the first NUL is not part of the name.
    if (auto nul = s.find('\0'); nul != std::string::npos) s.resize(nul);
    return s;
}

std::optional<uint8_t> ParseCharset(std::string_view digits) {
    if (digits.empty() || digits.size() > 3) return std::nullopt;
    unsigned v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > 255) return std::nullopt;
    return static_cast<uint8_t>(v);
}

// Far more names than a process asks for; beyond it the answers start over.
constexpr size_t kMaxAnswers = 256;

struct Answers {
    std::mutex lock;
    uint64_t generation = 0;
    std::map<std::pair<std::string, uint8_t>, std::optional<FontSubstitute>> byName;
};

Answers& TheAnswers() {
    static auto* answers = new Answers;
    return *answers;
}

std::optional<FontSubstitute> ReadFontSubstitute(std::string_view face, uint8_t charset) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    const std::string name(face);
    std::optional<std::string> data = QueryString(key, name + "," + std::to_string(charset));
    if (!data) data = QueryString(key, name);
    RegCloseKey(key);
    if (!data) return std::nullopt;

    FontSubstitute sub;
    const size_t comma = data->rfind(',');
    if (comma != std::string::npos) {
        if (auto cs = ParseCharset(std::string_view(*data).substr(comma + 1))) {
            sub.charset = cs;
            data->resize(comma);
        }
    }
    while (!data->empty() && data->back() == ' ') data->pop_back();
    if (data->empty()) return std::nullopt;
    sub.face = std::move(*data);
    return sub;
}

}  // namespace

std::optional<FontSubstitute> LookupFontSubstitute(std::string_view face, uint8_t charset) {
    return LookupFontSubstitute(face, charset, ChangeGeneration());
}

std::optional<FontSubstitute> LookupFontSubstitute(std::string_view face, uint8_t charset, uint64_t generation) {
    if (face.empty()) return std::nullopt;
    Answers& answers = TheAnswers();
    std::lock_guard<std::mutex> guard(answers.lock);
    if (answers.generation != generation || answers.byName.size() >= kMaxAnswers) {
        WatchFileFolder(registry::HiveFile(registry::HiveId::Machine));
        answers.byName.clear();
        answers.generation = generation;
    }
    auto key = std::make_pair(std::string(face), charset);
    auto it = answers.byName.find(key);
    if (it == answers.byName.end()) it = answers.byName.emplace(std::move(key), ReadFontSubstitute(face, charset)).first;
    return it->second;
}

}  // namespace platform::gdi
