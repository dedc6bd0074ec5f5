#include "prefix.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <mutex>
#include <system_error>
#include <vector>

#include "text.h"
#include "windows_path.h"

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
    // Measured under Wine 8.0: a prefix made with USER=x has C:\users\x; without USER the
    // passwd entry of the effective user names the profile.
    if (const char* u = std::getenv("USER"); u && *u) return u;
    if (const struct passwd* pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
    return "wine";
}

std::wstring ProfileFolder() { return L"C:\\users\\" + text::Utf8ToWide(UserName()); }

fs::path StateDir() { return Root() / ".eudc"; }

namespace {

// The folders Wine 8.0 makes for the same purposes.
bool CreateMinimalLayout(const fs::path& root) {
    std::error_code ec;
    const fs::path c = root / "drive_c";
    const fs::path profile = c / "users" / UserName();
    for (const fs::path& dir :
         {c / "windows" / "system32", c / "windows" / "Fonts", c / "windows" / "temp", c / "ProgramData",
          c / "users" / "Public" / "Documents", profile / "AppData" / "Roaming", profile / "AppData" / "Local",
          profile / "Temp", root / "dosdevices"}) {
        fs::create_directories(dir, ec);
        if (ec) return false;
    }
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:", ec);
    fs::create_directory_symlink("/", root / "dosdevices" / "z:", ec);
    return fs::is_directory(c, ec);
}

// The folders where a wineserver for the prefix keeps its socket and lock: upstream Wine uses
// /tmp/.wine-<uid>; Debian's Wine a random folder in $TMPDIR (else /tmp) whose name it records
// in <prefix>/wineserver. Both end in server-<device>-<inode> of the prefix, in hex.
std::vector<fs::path> ServerFolders(const fs::path& root) {
    struct stat st = {};
    if (stat(root.c_str(), &st) != 0) return {};
    char leaf[64];
    std::snprintf(leaf, sizeof leaf, "server-%llx-%llx", static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    std::vector<fs::path> out{fs::path("/tmp") / (".wine-" + std::to_string(geteuid())) / leaf};
    std::ifstream recorded(root / "wineserver");
    std::string name;
    if (recorded && std::getline(recorded, name) && !name.empty() && name.find('/') == std::string::npos &&
        name != "." && name != "..") {
        const char* tmp = std::getenv("TMPDIR");
        if (tmp && *tmp) out.push_back(fs::path(tmp) / name / leaf);
        out.push_back(fs::path("/tmp") / name / leaf);
    }
    return out;
}

// A running wineserver holds a write lock on its folder's lock file for as long as it runs.
bool LockHeld(const fs::path& lockFile) {
    const int fd = open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    const bool held = fcntl(fd, F_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
    close(fd);
    return held;
}

}  // namespace

bool WineServerRunning() {
    for (const fs::path& dir : ServerFolders(Root()))
        if (LockHeld(dir / "lock")) return true;
    return false;
}

DWORD PrepareWrite(bool* created) {
    if (created) *created = false;
    const fs::path root = Root();
    std::error_code ec;
    if (fs::is_directory(root, ec) && WineServerRunning()) return ERROR_BUSY;
    if (fs::is_directory(root / "drive_c", ec)) return ERROR_SUCCESS;
    if (!CreateMinimalLayout(root)) return ERROR_PATH_NOT_FOUND;
    if (created) *created = true;
    return ERROR_SUCCESS;
}

namespace {

// Finds the entry of dir whose name equals name without regard to case; link tells whether the
// entry found is a symbolic link.
fs::path MatchComponent(const fs::path& dir, const std::string& nameUtf8, bool& link) {
    std::error_code ec;
    fs::path exact = dir / nameUtf8;
    link = false;
    const fs::file_type type = fs::symlink_status(exact, ec).type();
    if (type != fs::file_type::not_found && !ec) {
        link = type == fs::file_type::symlink;
        return exact;
    }
    const std::wstring want = text::Utf8ToWide(nameUtf8);
    fs::directory_iterator it(dir, ec);
    if (!ec) {
        for (const auto& entry : it) {
            const std::wstring have = text::Utf8ToWide(entry.path().filename().string());
            if (have.size() != want.size()) continue;
            bool same = true;
            for (size_t i = 0; i < have.size() && same; ++i)
                same = std::towupper(static_cast<wint_t>(have[i])) == std::towupper(static_cast<wint_t>(want[i]));
            if (same) {
                link = entry.is_symlink(ec);
                return entry.path();
            }
        }
    }
    return exact;
}

// A drive's link resolved, kept while the link itself stays the same: resolving it costs a
// readlink per component of its target, and every path names a drive.
struct ResolvedLink {
    std::string link;
    dev_t dev = 0;
    ino_t ino = 0;
    int64_t mtimeNs = 0;
    fs::path target;
};

// resolved tells whether the root is the link's canonical target.
std::optional<fs::path> DriveRoot(wchar_t letter, bool& resolved) {
    resolved = false;
    letter = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(letter)));
    if (letter < L'a' || letter > L'z') return std::nullopt;
    const fs::path link = Root() / "dosdevices" / (std::string(1, static_cast<char>(letter)) + ":");
    struct stat st = {};
    if (lstat(link.c_str(), &st) == 0) {
        static std::mutex mutex;
        static ResolvedLink cache[26];
        ResolvedLink& c = cache[letter - L'a'];
        const int64_t mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        std::lock_guard<std::mutex> guard(mutex);
        if (c.link == link.native() && c.dev == st.st_dev && c.ino == st.st_ino && c.mtimeNs == mtimeNs) {
            resolved = true;
            return c.target;
        }
        std::error_code ec;
        fs::path target = fs::canonical(link, ec);
        if (!ec) {
            c = ResolvedLink{link.native(), st.st_dev, st.st_ino, mtimeNs, target};
            resolved = true;
            return target;
        }
    }
    if (letter == L'c') return Root() / "drive_c";
    if (letter == L'z') return fs::path("/");
    return std::nullopt;
}

std::mutex g_currentMutex;
std::optional<std::wstring> g_current;

}  // namespace

std::wstring CurrentDirectory() {
    {
        std::lock_guard<std::mutex> guard(g_currentMutex);
        if (g_current) return *g_current;
    }
    std::error_code ec;
    const fs::path host = fs::current_path(ec);
    if (ec) return L"C:\\windows";
    return ToWindows(host);
}

void SetCurrentDirectoryPath(const std::wstring& fullPath) {
    std::lock_guard<std::mutex> guard(g_currentMutex);
    g_current = fullPath;
}

std::optional<fs::path> ToHost(std::wstring_view windowsPath, bool* canonical) {
    if (canonical) *canonical = false;
    const std::optional<path::FullPath> full = path::MakeFull(windowsPath, CurrentDirectory);
    if (!full) return std::nullopt;
    bool plain = false;
    std::optional<fs::path> base = DriveRoot(full->drive, plain);
    if (!base) return std::nullopt;
    for (const std::wstring& comp : full->components) {
        bool link = false;
        *base = MatchComponent(*base, text::WideToUtf8(comp), link);
        plain = plain && !link;
    }
    if (canonical) *canonical = plain;
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
