#include "prefix.h"

#include <cstdlib>
#include <cwctype>
#include <system_error>

#include "text.h"

namespace fs = std::filesystem;

namespace platform::prefix {

fs::path Root() {
    if (const char* p = std::getenv("WINEPREFIX"); p && *p) return fs::path(p);
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / ".wine";
}

bool Exists() {
    std::error_code ec;
    return fs::is_directory(Root(), ec);
}

std::string UserName() {
    const char* u = std::getenv("USER");
    return (u && *u) ? std::string(u) : std::string("user");
}

fs::path StateDir() { return Root() / ".eudc"; }

bool EnsureExists() {
    const fs::path root = Root();
    std::error_code ec;
    if (fs::is_directory(root / "drive_c", ec)) return true;
    const fs::path c = root / "drive_c";
    const fs::path profile = c / "users" / UserName();
    for (const fs::path& dir : {c / "windows" / "system32", c / "windows" / "Fonts", c / "ProgramData",
                                c / "users" / "Public" / "Documents", profile / "AppData" / "Roaming",
                                profile / "AppData" / "Local" / "Temp", root / "dosdevices"}) {
        fs::create_directories(dir, ec);
        if (ec) return false;
    }
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:", ec);
    fs::create_directory_symlink("/", root / "dosdevices" / "z:", ec);
    return fs::is_directory(c, ec);
}

namespace {

// Finds the entry of dir whose name equals name without regard to case.
fs::path MatchComponent(const fs::path& dir, const std::string& nameUtf8) {
    std::error_code ec;
    fs::path exact = dir / nameUtf8;
    if (fs::symlink_status(exact, ec).type() != fs::file_type::not_found && !ec) return exact;
    const std::wstring want = text::Utf8ToWide(nameUtf8);
    fs::directory_iterator it(dir, ec);
    if (!ec) {
        for (const auto& entry : it) {
            const std::wstring have = text::Utf8ToWide(entry.path().filename().string());
            if (have.size() != want.size()) continue;
            bool same = true;
            for (size_t i = 0; i < have.size() && same; ++i)
                same = std::towupper(static_cast<wint_t>(have[i])) == std::towupper(static_cast<wint_t>(want[i]));
            if (same) return entry.path();
        }
    }
    return exact;
}

std::optional<fs::path> DriveRoot(wchar_t letter) {
    letter = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(letter)));
    if (letter < L'a' || letter > L'z') return std::nullopt;
    std::error_code ec;
    const fs::path link = Root() / "dosdevices" / (std::string(1, static_cast<char>(letter)) + ":");
    if (fs::exists(link, ec)) {
        fs::path target = fs::canonical(link, ec);
        if (!ec) return target;
    }
    if (letter == L'c') return Root() / "drive_c";
    if (letter == L'z') return fs::path("/");
    return std::nullopt;
}

}  // namespace

std::optional<fs::path> ToHost(std::wstring_view path) {
    if (path.starts_with(L"\\\\?\\")) path.remove_prefix(4);
    fs::path base;
    if (path.size() >= 2 && path[1] == L':') {
        auto root = DriveRoot(path[0]);
        if (!root) return std::nullopt;
        base = *root;
        path.remove_prefix(2);
    } else if (path.starts_with(L"\\\\") || path.starts_with(L"//")) {
        return std::nullopt;  // UNC names are not part of a prefix
    } else if (!path.empty() && (path[0] == L'\\' || path[0] == L'/')) {
        base = Root() / "drive_c";
    } else {
        std::error_code ec;
        base = fs::current_path(ec);
    }
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find_first_of(L"\\/", i);
        if (j == std::wstring_view::npos) j = path.size();
        std::wstring_view comp = path.substr(i, j - i);
        if (comp == L"..") {
            base = base.parent_path();
        } else if (!comp.empty() && comp != L".") {
            base = MatchComponent(base, text::WideToUtf8(comp));
        }
        i = j + 1;
    }
    return base;
}

std::wstring ToWindows(const fs::path& hostPath) {
    std::error_code ec;
    fs::path abs = fs::weakly_canonical(fs::absolute(hostPath, ec), ec);
    fs::path driveC = fs::weakly_canonical(Root() / "drive_c", ec);
    std::wstring out;
    auto rel = abs.lexically_relative(driveC);
    if (!rel.empty() && *rel.begin() != "..") {
        out = L"C:";
        if (rel == ".") return L"C:\\";
    } else {
        out = L"Z:";
        rel = abs.relative_path();
        if (rel.empty()) return L"Z:\\";
    }
    for (const auto& part : rel) {
        out += L'\\';
        out += text::Utf8ToWide(part.string());
    }
    return out;
}

}  // namespace platform::prefix
