#include "files/host_path.h"

#include <sys/stat.h>

#include <mutex>
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

// The prefix root resolved, kept while $WINEPREFIX names the same directory: resolving it costs a
// readlink per component, and every write asks.
fs::path NormalisedRoot() {
    struct Resolved {
        std::string root;
        bool exists = false;
        dev_t dev = 0;
        ino_t ino = 0;
        fs::path normalised;
    };
    static std::mutex mutex;
    static Resolved cache;
    const fs::path root = prefix::Root();
    struct stat st = {};
    const bool exists = stat(root.c_str(), &st) == 0;
    std::lock_guard<std::mutex> guard(mutex);
    if (cache.root != root.native() || cache.exists != exists || cache.dev != st.st_dev || cache.ino != st.st_ino) {
        // A root that does not exist yet is resolved again once it does.
        cache = Resolved{root.native(), exists, exists ? st.st_dev : 0, exists ? st.st_ino : 0, Normalised(root)};
    }
    return cache.normalised;
}

bool InsidePrefix(const fs::path& hostPath, bool canonical) {
    const fs::path root = NormalisedRoot();
    const fs::path rel = (canonical ? hostPath.lexically_normal() : Normalised(hostPath)).lexically_relative(root);
    return !rel.empty() && *rel.begin() != "..";
}

std::optional<fs::path> Resolve(std::wstring_view name, Intent intent, bool* canonicalOut) {
    if (canonicalOut) *canonicalOut = false;
    if (name.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    if (HasWildcards(name)) {
        SetLastError(ERROR_INVALID_NAME);
        return std::nullopt;
    }
    bool canonical = false;
    std::optional<fs::path> host = prefix::ToHost(name, &canonical);
    if (!host) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    if (canonicalOut) *canonicalOut = canonical;
    if (intent == Intent::Read || !InsidePrefix(*host, canonical)) return host;
    if (intent == Intent::Modify && !EntryExists(*host)) return host;
    bool created = false;
    if (const DWORD error = prefix::PrepareWrite(&created); error != ERROR_SUCCESS) {
        SetLastError(error);
        return std::nullopt;
    }
    if (!created) return host;
    // Map again: the drive links and folders only now exist.
    host = prefix::ToHost(name, canonicalOut);
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
