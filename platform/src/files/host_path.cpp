#include "files/host_path.h"

#include <string>
#include <system_error>

#include "files/win_error.h"
#include "prefix.h"
#include "text.h"

namespace fs = std::filesystem;

namespace platform::files {

namespace {

bool HasWildcards(std::wstring_view name) {
    if (name.starts_with(L"\\\\?\\")) name.remove_prefix(4);
    return name.find_first_of(L"*?<>|\"") != std::wstring_view::npos;
}

fs::path Normalised(const fs::path& p) {
    std::error_code ec;
    fs::path abs = fs::absolute(p, ec);
    if (ec) abs = p;
    fs::path canon = fs::weakly_canonical(abs, ec);
    return (ec ? abs : canon).lexically_normal();
}

}  // namespace

bool EntryExists(const fs::path& hostPath) {
    std::error_code ec;
    return fs::symlink_status(hostPath, ec).type() != fs::file_type::not_found && !ec;
}

bool InsidePrefix(const fs::path& hostPath) {
    const fs::path root = Normalised(prefix::Root());
    const fs::path rel = Normalised(hostPath).lexically_relative(root);
    return !rel.empty() && *rel.begin() != "..";
}

std::optional<fs::path> Resolve(std::wstring_view name, Intent intent) {
    if (name.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    if (HasWildcards(name)) {
        SetLastError(ERROR_INVALID_NAME);
        return std::nullopt;
    }
    std::optional<fs::path> host = prefix::ToHost(name);
    if (!host) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    if (intent == Intent::Read || !InsidePrefix(*host)) return host;
    if (intent == Intent::Modify && !EntryExists(*host)) return host;
    if (const DWORD error = prefix::PrepareWrite(); error != ERROR_SUCCESS) {
        SetLastError(error);
        return std::nullopt;
    }
    // Map again: the drive links and folders may only now exist.
    host = prefix::ToHost(name);
    if (!host) SetLastError(ERROR_PATH_NOT_FOUND);
    return host;
}

std::optional<fs::path> ResolveW(LPCWSTR name, Intent intent) {
    return Resolve(name ? std::wstring_view(name) : std::wstring_view(), intent);
}

std::optional<fs::path> ResolveA(LPCSTR name, Intent intent) {
    if (!name) return Resolve(std::wstring_view(), intent);
    return Resolve(text::AnsiToWide(name), intent);
}

}  // namespace platform::files
