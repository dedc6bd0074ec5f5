#include "gdi/eudc_link.h"

#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "gdi/change_watch.h"
#include "platform/winreg.h"
#include "prefix.h"
#include "registry/hive_store.h"
#include "text.h"

namespace platform::gdi {

namespace {

constexpr const WCHAR* kEudcKey = L"EUDC\\950";
constexpr const WCHAR* kSystemDefault = L"SystemDefaultEUDCFont";

std::optional<std::wstring> QueryPath(HKEY key, const std::wstring& name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::wstring data(size / sizeof(WCHAR) + 1, L'\0');
    DWORD got = static_cast<DWORD>(data.size() * sizeof(WCHAR));
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got) !=
        ERROR_SUCCESS)
        return std::nullopt;
    if (auto nul = data.find(L'\0'); nul != std::wstring::npos) data.resize(nul);
    if (data.empty()) return std::nullopt;
    return data;
}

std::optional<std::filesystem::path> ToHostPath(const std::wstring& windowsPath) {
    const bool hasDrive = windowsPath.size() >= 2 && windowsPath[1] == L':';
    const bool rooted = !windowsPath.empty() && (windowsPath[0] == L'\\' || windowsPath[0] == L'/');
    if (!hasDrive && !rooted) return prefix::ToHost(L"C:\\windows\\Fonts\\" + windowsPath);
    return prefix::ToHost(windowsPath);
}

EudcLinks ReadLinks(const std::string& askedName, const std::string& familyName) {
    EudcLinks out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kEudcKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
    std::vector<std::wstring> names;
    if (!askedName.empty()) names.push_back(text::AnsiToWide(askedName));
    if (!familyName.empty()) {
        std::wstring family = text::AnsiToWide(familyName);
        if (names.empty() || !text::EqualNoCase(names.front(), family)) names.push_back(std::move(family));
    }
    names.emplace_back(kSystemDefault);
    for (const auto& name : names)
        if (auto data = QueryPath(key, name))
            if (auto host = ToHostPath(*data)) out.push_back(std::move(*host));
    RegCloseKey(key);
    return out;
}

// Far more faces than a process draws in; beyond it the answers start over.
constexpr size_t kMaxAnswers = 256;

struct Answers {
    std::mutex lock;
    uint64_t generation = 0;
    std::map<std::pair<std::string, std::string>, std::shared_ptr<const EudcLinks>> byFace;
};

Answers& TheAnswers() {
    static auto* answers = new Answers;
    return *answers;
}

}  // namespace

std::shared_ptr<const EudcLinks> EudcLinkFiles(const std::string& askedName, const std::string& familyName,
                                               uint64_t generation) {
    Answers& answers = TheAnswers();
    std::lock_guard<std::mutex> guard(answers.lock);
    if (answers.generation != generation || answers.byFace.size() >= kMaxAnswers) {
        WatchFileFolder(registry::HiveFile(registry::HiveId::User));
        answers.byFace.clear();
        answers.generation = generation;
    }
    auto key = std::make_pair(askedName, familyName);
    auto it = answers.byFace.find(key);
    if (it == answers.byFace.end())
        it = answers.byFace.emplace(std::move(key), std::make_shared<const EudcLinks>(ReadLinks(askedName, familyName))).first;
    return it->second;
}

}  // namespace platform::gdi
